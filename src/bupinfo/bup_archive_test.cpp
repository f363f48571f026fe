#include "bupinfo/bup_archive.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <utime.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "bupinfo/archive_limits.h"
#include "support/opus_trace.h"
#include "support/profile.h"
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

TEST_F(BupArchiveHostile, MemberNamesAreOnlyNames) {
    Make(m_tmp, Producer::ePython, {{"hostile.bup", kHostile}});
    const CBupArchive arc = m_tmp.file("hostile.bup").c_str();
    Names list;
    ASSERT_TRUE(arc.FileFind("*", list, false));
    // The listing has always named a member by the part behind its last blank.
    EXPECT_EQ(list, (Names{"$(touch${IFS}CANARY)", ";touch${IFS}CANARY;x", "`touch${IFS}CANARY`",
                           "b;touch${IFS}CANARY", "q\"x;touch${IFS}CANARY\"", "-x"}));
    EXPECT_TRUE(arc.FileGet("", "out"));
    for (const auto& [name, content] : kHostile)
        EXPECT_EQ(TempDir::read("out/" + name), content) << name;
    uint8_t buf[8];
    uint32_t size = sizeof(buf);
    ASSERT_TRUE(arc.FileGet("-x", buf, size));
    EXPECT_EQ(std::string(buf, buf + size), "6");
}

// Archives Python writes member by member: the content repeated, a unix mode (0: none
// given) and whether the member claims to be encrypted.
struct Crafted {
    std::string name;
    std::string content;
    unsigned mode = 0;
    bool encrypted = false;
    size_t repeat = 1;
};

std::string Craft(const TempDir& tmp, const std::string& name, const std::vector<Crafted>& members) {
    std::vector<std::string> argv = {"python3", "-I", "-S", QM_CRAFT_ZIP, tmp.file(name)};
    for (const Crafted& m : members)
        argv.insert(argv.end(), {m.name, m.content, std::to_string(m.mode), m.encrypted ? "1" : "0",
                                 std::to_string(m.repeat)});
    EXPECT_EQ(Run(argv), 0) << "python3 could not make " << name;
    return tmp.file(name);
}

// The limits a test sets hold for it alone.
class LimitsGuard {
public:
    explicit LimitsGuard(const SArchiveLimits& limits) { ArchiveLimitsSet(limits); }
    ~LimitsGuard() { ArchiveLimitsSet(m_saved); }

private:
    SArchiveLimits m_saved = ArchiveLimitsGet();
};

struct RefusedCase {
    const char* what;
    std::vector<Crafted> members;
    const char* rule;
};

void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.what; }

class BupArchiveRefused : public testing::TestWithParam<RefusedCase> {};

// Whatever the package holds, nothing of it is used or written once one member breaks a rule.
TEST_P(BupArchiveRefused, NothingIsReadOrWritten) {
    SArchiveLimits small;
    small.ulMaxMembers = 3;
    small.ulMaxRatio = 100;
    small.ullMaxMemberBytes = 1 << 20;
    const LimitsGuard guard(small);
    TempDir tmp;
    std::vector<Crafted> members = {{"BupInfo2.xml", "<bupinfo2/>"}};
    members.insert(members.end(), GetParam().members.begin(), GetParam().members.end());
    const CBupArchive arc = Craft(tmp, "evil.bup", members).c_str();

    Names list;
    EXPECT_FALSE(arc.FileFind("*", list, false));
    EXPECT_NE(arc.RefusalGet().find(GetParam().rule), std::string::npos) << arc.RefusalGet();
    uint8_t buf[64];
    uint32_t size = sizeof(buf);
    CTime time;
    EXPECT_FALSE(arc.FileGet("BupInfo2.xml", buf, size));
    EXPECT_FALSE(arc.FileInfoGet("BupInfo2.xml", size, time));
    const std::string out = tmp.file("deep/er/out");
    EXPECT_FALSE(arc.FileGet("", out.c_str()));
    EXPECT_FALSE(arc.RefusalGet().empty());
    EXPECT_FALSE(Exists(tmp.file("deep")));
    EXPECT_FALSE(Exists(tmp.file("escaped.bin")));
}

const RefusedCase kRefused[] = {
    {"parent", {{"../../escaped.bin", "x"}}, "member '../../escaped.bin' refused: its name has a '..' component"},
    {"absolute", {{"/tmp/escaped.bin", "x"}}, "its name is absolute"},
    {"link", {{"image.bin", "/etc/shadow", 0120777}}, "member 'image.bin' refused: it is a symbolic link"},
    {"fifo", {{"pipe", "", 010644}}, "it is not a regular file"},
    {"encrypted", {{"secret.bin", "x", 0, true}}, "member 'secret.bin' refused: it is encrypted"},
    {"case", {{"bupinfo2.XML", "<x/>"}}, "collides with 'BupInfo2.xml'"},
    {"bomb", {{"zeros.bin", "0", 0, false, 200000}}, "more than the limit of 100 times"},
    {"too_big", {{"big.bin", "0123456789abcdefghijklmnopqrstuvwxyz", 0, false, 30000}},
     "1080000 bytes, more than the limit of 1048576 bytes"},
    {"too_many", {{"a", "1"}, {"b", "2"}, {"c", "3"}}, "holds 4 members, more than the limit of 3"},
};

INSTANTIATE_TEST_SUITE_P(BupArchive, BupArchiveRefused, testing::ValuesIn(kRefused),
                         [](const auto& p) { return std::string(p.param.what); });

// The folder an extraction writes into is ours, but a name in it may have been planted.
TEST(BupArchiveExtract, NeverFollowsALinkOnTheWay) {
    TempDir tmp;
    const CBupArchive arc =
        Craft(tmp, "pkg.bup", {{"image.bin", "new image"}, {"sub/part.bin", "part"}}).c_str();
    const std::string victim = tmp.write("victim/file", "precious");
    const std::string out = tmp.file("out");
    std::filesystem::create_directories(out);
    std::filesystem::create_symlink(victim, out + "/image.bin");
    EXPECT_TRUE(arc.FileGet("image.bin", out.c_str()));
    EXPECT_EQ(TempDir::read(victim), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(out + "/image.bin"));
    EXPECT_EQ(TempDir::read(out + "/image.bin"), "new image");

    std::filesystem::create_directory_symlink(tmp.file("victim"), out + "/sub");
    EXPECT_FALSE(arc.FileGet("sub/part.bin", out.c_str()));
    EXPECT_NE(arc.RefusalGet().find("member 'sub/part.bin' could not be written"), std::string::npos)
        << arc.RefusalGet();
    EXPECT_FALSE(Exists(tmp.file("victim/part.bin")));

    // The destination itself is never a link either.
    std::filesystem::create_directory_symlink(tmp.file("victim"), tmp.file("linked"));
    EXPECT_FALSE(arc.FileGet("image.bin", tmp.file("linked").c_str()));
    EXPECT_FALSE(Exists(tmp.file("victim/image.bin")));
}

TEST(BupArchiveLimits, ComeFromTheProfile) {
    TempDir tmp;
    const CProfile profile(
        tmp.write("q.conf", "[Limits]\nMaxMemberMB=2\nMaxDescriptionKB=3\nMaxMembers=-1\nMaxRatio=junk\n").c_str());
    const SArchiveLimits limits = ArchiveLimitsFromProfile(profile);
    const SArchiveLimits defaults;
    EXPECT_EQ(limits.ullMaxMemberBytes, 2u << 20);
    EXPECT_EQ(limits.ullMaxDescriptionBytes, 3u << 10);
    EXPECT_EQ(limits.ulMaxMembers, defaults.ulMaxMembers);
    EXPECT_EQ(limits.ulMaxRatio, defaults.ulMaxRatio);
}

}  // namespace
