#include "bupinfo/bup_archive.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <utime.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "bupinfo/archive_listing.h"
#include "support/opus_trace.h"
#include "support/pipe_child.h"
#include "test_helpers.h"

namespace {

using Members = std::vector<std::pair<std::string, std::string>>;
using Names = std::vector<CString>;

CTime Stamp() { return CTime(2021, 7, 15, 10, 30, 0); }

int Run(std::vector<std::string> argv) {
    CPipeChild child(std::move(argv));
    while (child.LineGet()) {
    }
    return child.Unload();
}

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// zip and Python's zipfile, so the listing is not read right for one producer only.
enum class Producer { eZip, ePython };

struct Archive {
    std::string name;
    Members members;
};

// "--archive PATH" starts the next archive; the other pairs are member name and source file.
const char* const kPythonZip =
    "import sys, zipfile\n"
    "a, z = sys.argv[1:], None\n"
    "for name, path in zip(a[::2], a[1::2]):\n"
    "    if name == '--archive':\n"
    "        z and z.close()\n"
    "        z = zipfile.ZipFile(path, 'w')\n"
    "    else:\n"
    "        z.writestr(zipfile.ZipInfo(name, (2021, 7, 15, 10, 30, 0)), open(path, 'rb').read())\n"
    "z and z.close()\n";

// Members are stored in the given order with the time stamp Stamp().
void Make(const TempDir& tmp, Producer e, const std::vector<Archive>& archives) {
    std::vector<std::string> python = {"python3", "-I", "-S", "-c", kPythonZip};
    for (const Archive& arc : archives) {
        std::vector<std::string> zip = {"zip", "-q", "-j", tmp.file(arc.name)};
        python.insert(python.end(), {"--archive", tmp.file(arc.name)});
        for (size_t i = 0; i < arc.members.size(); ++i) {
            const std::string src = tmp.write(
                "src_" + arc.name + "/" + std::to_string(i) + "/" + arc.members[i].first, arc.members[i].second);
            const utimbuf times = {Stamp().GetTime(), Stamp().GetTime()};
            utime(src.c_str(), &times);
            zip.push_back(src);
            python.insert(python.end(), {arc.members[i].first, src});
        }
        if (e != Producer::eZip)
            continue;
        // zip makes no empty archive, but leaves one when its last member is deleted.
        if (arc.members.empty())
            zip.push_back(tmp.write("src_" + arc.name + "/gone", ""));
        EXPECT_EQ(Run(zip), 0) << "cannot make " << arc.name;
        if (arc.members.empty()) {
            EXPECT_EQ(Run({"zip", "-q", "-d", tmp.file(arc.name), "gone"}), 0);
        }
    }
    if (e == Producer::ePython) {
        EXPECT_EQ(Run(python), 0) << "python3 could not make the archives";
    }
}

std::string Image() {
    std::string s;
    for (int i = 0; i < 512; ++i)
        s += static_cast<char>(i * 7);
    return s;
}

const Members kPackage = {{"BupInfo2.xml", "<BupInfo2/>\n"}, {"image.bin", Image()}, {"readme.txt", "r"}};
const Members kHostile = {{"$(touch${IFS}CANARY)", "1"}, {";touch${IFS}CANARY;x", "2"},
                          {"`touch${IFS}CANARY`", "3"},  {"a b;touch${IFS}CANARY", "4"},
                          {"q\"x;touch${IFS}CANARY\"", "5"}, {"-x", "6"}};

TEST(BupArchiveListing, MemberLines) {
    struct Case { const char* line; uint32_t size; int year, month, day, hour, minute; };
    const Case cases[] = {
        {"      512  07-15-21 10:30   BupInfo2.xml\n", 512, 2021, 7, 15, 10, 30},
        {"        1  01-02-70 00:00   a", 1, 2070, 1, 2, 0, 0},
        {"        1  01-02-71 00:00   a", 1, 1971, 1, 2, 0, 0},
        {"     4096  07-15-2021 10:30   a", 4096, 2021, 7, 15, 10, 30},
        {"        0  2021-07-15 23:59   a b", 0, 2021, 7, 15, 23, 59},
        {"99999999999  2021-07-15 10:30   huge", UINT32_MAX, 2021, 7, 15, 10, 30},
    };
    for (const Case& c : cases) {
        uint32_t size = 7;
        CTime time;
        ASSERT_TRUE(ArcListingInfoGet(c.line, size, time)) << c.line;
        EXPECT_EQ(size, c.size) << c.line;
        EXPECT_EQ(time.GetTime(), CTime(c.year, c.month, c.day, c.hour, c.minute, 0).GetTime()) << c.line;
    }
    for (const char* bad : {"", "Archive:  x.zip", "---------                     -------",
                            "  Length      Date    Time    Name", "      512  07/15/21 10:30   x",
                            "      512  07-15-21", "      512  07-15-21 1030 x", "512"}) {
        uint32_t size = 7;
        CTime time;
        EXPECT_FALSE(ArcListingInfoGet(bad, size, time)) << bad;
        EXPECT_EQ(size, 7u);
    }
}

TEST(BupArchiveListing, NamesAndRules) {
    CString name = "unchanged";
    EXPECT_EQ(ArcListingNameGet("  3  2021-07-15 10:30   a b;touch${IFS}CANARY \r\n", name), 25);
    EXPECT_EQ(name, "b;touch${IFS}CANARY");
    name = "unchanged";
    EXPECT_EQ(ArcListingNameGet("noblank", name), -1);
    EXPECT_EQ(ArcListingNameGet(" leading", name), 0);
    EXPECT_EQ(name, "unchanged");

    EXPECT_TRUE(ArcListingIsHeaderRule("---------  ---------- -----   ----\n"));
    EXPECT_FALSE(ArcListingIsHeaderRule("Archive:  ---------"));
    EXPECT_FALSE(ArcListingIsHeaderRule(""));
    EXPECT_TRUE(ArcListingIsClosingRule("---------                     -------  \n"));
    EXPECT_FALSE(ArcListingIsClosingRule("---------  ---------- -----   ----"));
}

// Python starts slowly, so each producer makes its archives once per test.
class BupArchiveProducers : public testing::TestWithParam<Producer> {
protected:
    void SetUp() override { Make(m_tmp, GetParam(), {{"pkg.bup", kPackage}, {"empty.bup", {}}}); }
    TempDir m_tmp;
    const CBupArchive m_arc = m_tmp.file("pkg.bup").c_str();
};

INSTANTIATE_TEST_SUITE_P(BupArchive, BupArchiveProducers, testing::Values(Producer::eZip, Producer::ePython),
                         [](const auto& p) { return p.param == Producer::eZip ? "zip" : "python"; });

TEST_P(BupArchiveProducers, FindsReadsAndExtracts) {
    Names list = {"stale"};
    for (const char* all : {"*", "*.*", ""}) {
        EXPECT_TRUE(m_arc.FileFind(all, list, false)) << all;
        EXPECT_EQ(list, (Names{"BupInfo2.xml", "image.bin", "readme.txt"})) << all;
    }
    EXPECT_TRUE(m_arc.FileFind("*.bin", list, false));
    EXPECT_EQ(list, Names{"image.bin"});
    EXPECT_FALSE(m_arc.FileFind("bupinfo2.XML", list, false));
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(m_arc.FileFind("bupinfo2.XML", list, true));
    EXPECT_EQ(list, Names{"BupInfo2.xml"});

    for (const char* missing : {"empty.bup", "missing.bup"}) {
        list = {"stale"};
        const CBupArchive arc = m_tmp.file(missing).c_str();
        EXPECT_FALSE(arc.FileFind("*", list, false)) << missing;
        EXPECT_TRUE(list.empty());
        uint32_t size = 0;
        CTime time;
        EXPECT_FALSE(arc.FileInfoGet("BupInfo2.xml", size, time));
    }

    // Reading
    uint32_t size = 0;
    CTime time;
    ASSERT_TRUE(m_arc.FileInfoGet("image.bin", size, time));
    EXPECT_EQ(size, 512u);
    EXPECT_EQ(time.GetTime(), Stamp().GetTime());
    EXPECT_FALSE(m_arc.FileInfoGet("IMAGE.bin", size, time));

    std::vector<uint8_t> buf(600, 0xEE);
    size = 511;
    EXPECT_FALSE(m_arc.FileGet("image.bin", buf.data(), size));
    EXPECT_EQ(size, 511u);
    EXPECT_EQ(buf[0], 0xEE);
    for (uint32_t capacity : {512u, 600u}) {
        size = capacity;
        ASSERT_TRUE(m_arc.FileGet("image.bin", buf.data(), size));
        ASSERT_EQ(size, 512u);
        EXPECT_EQ(std::string(buf.begin(), buf.begin() + 512), Image());
    }

    // Extracting, over an older file
    const std::string out = m_tmp.file("out");
    m_tmp.write("out/image.bin", "old");
    EXPECT_TRUE(m_arc.FileGet("image.bin", out.c_str()));
    EXPECT_EQ(TempDir::read(out + "/image.bin"), Image());
    EXPECT_TRUE(m_arc.FileGet(Names{"readme.txt", "missing", "BupInfo2.xml"}, out.c_str()));
    EXPECT_EQ(TempDir::read(out + "/readme.txt"), "r");
    EXPECT_EQ(TempDir::read(out + "/BupInfo2.xml"), "<BupInfo2/>\n");
}

// Runs in a child process and writes the trace to stderr, where EXPECT_EXIT can match it.
void TraceToStderr(const TempDir& tmp, void (*fn)(const TempDir&)) {
    const std::string trace = tmp.file("out.trc");
    g_Trace.Enable_By_Profile(
        tmp.write("trace.ini", "[TRACE_SETTINGS]\nTrace=1\nTraceLevel=4\nTraceFile=" + trace + "\n").c_str());
    fn(tmp);
    std::fputs(TempDir::read(trace).c_str(), stderr);
    _exit(0);
}

TEST(BupArchiveDeathTest, TracesWhyReadingFails) {
    TempDir tmp;
    Make(tmp, Producer::eZip, {{"pkg.bup", kPackage}});
    auto shortBuffer = [](const TempDir& t) {
        uint8_t buf[511];
        uint32_t size = sizeof(buf);
        CBupArchive(t.file("pkg.bup").c_str()).FileGet("image.bin", buf, size);
    };
    EXPECT_EXIT(TraceToStderr(tmp, shortBuffer), testing::ExitedWithCode(0), "ulSize > ulMaxSize");
    auto optionName = [](const TempDir& t) { CBupArchive(t.file("pkg.bup").c_str()).FileGet("-x", "out"); };
    EXPECT_EXIT(TraceToStderr(tmp, optionName), testing::ExitedWithCode(0), "member '-x' would be read as an option");
}

TEST(BupArchiveAdd, StoresBaseNameAndCreatesArchive) {
    TempDir tmp;
    const CBupArchive arc = tmp.file("new.bup").c_str();
    EXPECT_TRUE(arc.FileAdd(tmp.write("a/b/BupInfo2.xml", "<x/>").c_str()));
    EXPECT_TRUE(arc.FileAdd(tmp.write("c/image.bin", "12345").c_str()));
    EXPECT_TRUE(arc.FileAdd(tmp.write("a/b/BupInfo2.xml", "<longer/>").c_str()));
    Names list;
    EXPECT_TRUE(arc.FileFind("*", list, false));
    EXPECT_EQ(list, (Names{"BupInfo2.xml", "image.bin"}));
    uint32_t size = 0;
    CTime time;
    EXPECT_TRUE(arc.FileInfoGet("BupInfo2.xml", size, time));
    EXPECT_EQ(size, 9u);
}

// Runs in the temporary directory, where a shell would have touched CANARY.
class BupArchiveHostile : public testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(chdir(m_tmp.path().c_str()), 0); }
    void TearDown() override {
        EXPECT_FALSE(Exists(m_tmp.file("CANARY")));
        EXPECT_EQ(chdir(m_cwd.c_str()), 0);
    }
    const std::string m_cwd = std::filesystem::current_path().string();
    TempDir m_tmp;
};

TEST_F(BupArchiveHostile, ArchivePathsAreNeverInterpreted) {
    const std::string dir = "d \"q\" $(touch CANARY); `touch CANARY` 'x'\nend";
    const std::string src = m_tmp.write(dir + "/BupInfo2.xml", "<x/>");
    for (const std::string& path : {m_tmp.file(dir + "/a \"1\" $(touch CANARY);\n.bup"), std::string("-rel.bup")}) {
        const CBupArchive arc = path.c_str();
        arc.FileAdd(src.c_str());
        Names list;
        EXPECT_TRUE(arc.FileFind("*", list, false)) << path;
        EXPECT_EQ(list, Names{"BupInfo2.xml"});
        arc.FileGet("BupInfo2.xml", (dir + "/out;$(touch CANARY)").c_str());
        EXPECT_EQ(TempDir::read(dir + "/out;$(touch CANARY)/BupInfo2.xml"), "<x/>");
        uint8_t buf[4];
        uint32_t size = sizeof(buf);
        EXPECT_TRUE(arc.FileGet("BupInfo2.xml", buf, size));
        EXPECT_EQ(std::string(buf, buf + size), "<x/>");
    }
}

TEST_F(BupArchiveHostile, MemberNamesAreNeverInterpreted) {
    Make(m_tmp, Producer::ePython, {{"hostile.bup", kHostile}});
    const CBupArchive arc = m_tmp.file("hostile.bup").c_str();

    // Passed on, "-x" would start an exclusion list and everything else would land here.
    EXPECT_TRUE(arc.FileGet("-x", "out"));
    EXPECT_FALSE(Exists("out") || Exists(kHostile[0].first));
    Names list = {"stale"};
    EXPECT_FALSE(arc.FileFind("-x", list, false));
    EXPECT_TRUE(list.empty());
    uint8_t buf[8];
    uint32_t size = sizeof(buf);
    CTime time;
    EXPECT_FALSE(arc.FileGet("-x", buf, size));
    EXPECT_FALSE(arc.FileInfoGet("-x", size, time));

    ASSERT_TRUE(arc.FileFind("*", list, false));
    EXPECT_EQ(list, (Names{"$(touch${IFS}CANARY)", ";touch${IFS}CANARY;x", "`touch${IFS}CANARY`",
                           "b;touch${IFS}CANARY", "q\"x;touch${IFS}CANARY\"", "-x"}));
    EXPECT_TRUE(arc.FileGet(list, "out"));
    for (const CString& name : list) {
        size = sizeof(buf);
        arc.FileGet(name, buf, size);
    }
    arc.FileFind("*;touch${IFS}CANARY;*", list, true);
    // The name cut at its last blank matches no member.
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(Exists("out/" + kHostile[i].first), i != 3) << kHostile[i].first;
}

}  // namespace
