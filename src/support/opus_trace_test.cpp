#include "support/opus_trace.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "test_helpers.h"

namespace {

class TraceTest : public testing::Test {
protected:
    // Each test plays a fresh process.
    void SetUp() override {
        COpusTrace::s_fFirstOutput = true;
        COpusTrace::s_fTraceClear = false;
    }
    void TearDown() override { SetUp(); }

    std::string Settings(const std::string& body) {
        return m_dir.write("trace.ini", "[TRACE_SETTINGS]\n" + body);
    }
    std::string Enabled(int level, int clear = 0, const std::string& extra = "") {
        return Settings("Trace=1\nTraceClear=" + std::to_string(clear) + "\nTraceFile=" + m_trace +
                        "\nTraceLevel=" + std::to_string(level) + "\n" + extra);
    }
    // The trace written so far; the file is removed so the next check starts empty.
    std::string Take() const {
        std::string out = TempDir::read(m_trace);
        std::filesystem::remove(m_trace);
        return out;
    }

    TempDir m_dir;
    const std::string m_trace = m_dir.file("out.trc");
};

TEST_F(TraceTest, LineColumnsAndLevelFilter) {
    COpusTrace t(Enabled(3).c_str());
    t.OutTV2(3, "bool CKrnl2App::Init(int, char**)", "Enter", "sub", "argc=%d %s", 2, "x");
    char szPid[32];
    std::snprintf(szPid, sizeof(szPid), "%04u", static_cast<unsigned>(getpid()));
    const std::string out = Take();
    EXPECT_THAT(out, testing::MatchesRegex("[0-9]{2}\\.[0-9]{2}\\.[0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2}\\.[0-9]{3}\t" +
                                           std::string(szPid) +
                                           "\t0000\tInfo\tbool CKrnl2App\tInit\tEnter\tsub\targc=2 x\n"));

    t.OutTV2(4, "f", "Internal", "", "verbose");
    t.OutBinary(4, "x", 1, 16, 8, false, nullptr);
    t.OutTVBigRaw(4, "cap", "text");
    EXPECT_EQ("", Take());
    // Level 0 has no level word; the class ends at the first "::", the function at "(".
    t.OutTV2(0, "A::B::C(x::y)", "Internal", "", "zero");
    EXPECT_NE(std::string::npos, Take().find("\t0000\t\tA\tB::C\tInternal\t\tzero\n"));

    // Longer text is cut to one entry's size.
    t.OutTV2(3, "f", "Internal", "", "%s", std::string(COpusTrace::kLineChars + 500, 'x').c_str());
    const std::string cut = Take();
    EXPECT_EQ(COpusTrace::kLineChars + 1, cut.size());
    EXPECT_NE(std::string::npos, cut.find("\t<global>\tf\tInternal\t\txxx"));
    EXPECT_EQ("xx\n", cut.substr(cut.size() - 3));

    // Columns are cut to the space given.
    char cls[5], fn[3];
    COpusTrace::SplitFunction("bool CKrnl2App::Init()", cls, sizeof(cls), fn, sizeof(fn));
    EXPECT_STREQ("bool", cls);
    EXPECT_STREQ("In", fn);
}

TEST_F(TraceTest, ClearEmptiesOnlyOnFirstWrite) {
    m_dir.write("out.trc", "old run\n");
    COpusTrace(Enabled(3, 0).c_str()).OutTVBigRaw(3, "a", "1");
    EXPECT_EQ("old run\na\n1\n", TempDir::read(m_trace));
    COpusTrace::s_fFirstOutput = true;
    COpusTrace t(Enabled(3, 1).c_str());
    t.OutTVBigRaw(3, "b", "2");
    t.OutTVBigRaw(3, "c", "3");
    EXPECT_EQ("b\n2\nc\n3\n", Take());
}

TEST_F(TraceTest, SettingsAnnouncedAndDefaultFileDropped) {
    const std::string on = Enabled(3, 0, "TraceInfo=1\n");
    testing::internal::CaptureStdout();
    COpusTrace t(on.c_str());
    EXPECT_EQ("TRACE OUTPUT ENABLED: " + on + ", " + m_trace + ", level=3\n",
              testing::internal::GetCapturedStdout());

    // Off: the level is still read and the default name kept.
    const std::string off = Settings("Trace=0\nTraceInfo=1\nTraceLevel=5\n");
    testing::internal::CaptureStdout();
    COpusTrace t2(off.c_str());
    EXPECT_EQ("TRACE OUTPUT DISABLED: " + off + "\n", testing::internal::GetCapturedStdout());
    EXPECT_EQ(5u, t2.Level());
    EXPECT_STREQ("Trace.trc", t2.TraceFile());

    // On without a file name writes nothing; run in the temporary directory so a kept default lands there.
    const std::string noFile = Settings("Trace=1\nTraceLevel=3\n");
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.path());
    {
        COpusTrace t3(noFile.c_str());
        t3.OutTV2(3, "f", "Enter", "", "x");
    }
    std::filesystem::current_path(cwd);
    EXPECT_EQ(1, std::distance(std::filesystem::directory_iterator(m_dir.path()), {}));  // trace.ini
}

TEST_F(TraceTest, BinaryLayout) {
    COpusTrace t(Enabled(3).c_str());
    const unsigned char data[20] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 0x00, 0x01,
                                    0x7F, 0x20, 'a', 'b', 'c', 0xFF, '1', '2', '3', '4'};
    t.OutBinary(3, data, 20, 16, 8, false, nullptr);
    EXPECT_EQ("41 42 43 44 45 46 47 48  00 01 7F 20 61 62 63 FF  ABCDEFGH ... abc.\n"
              "31 32 33 34" + std::string(39, ' ') + "1234" + std::string(13, ' ') + "\n",
              Take());

    t.OutBinary(3, "abcdefghijklmnopqrstuvwxyzabcdef", 32, 32, 8, false, nullptr);
    std::string out = Take();
    ASSERT_EQ(136u, out.size());
    EXPECT_EQ("68  69", out.substr(21, 6));
    EXPECT_EQ("  abcdefgh ijklmnop qrstuvwx yzabcdef\n", out.substr(98));

    t.OutBinary(3, nullptr, 4, 16, 8, false, nullptr);
    EXPECT_EQ("OutBinary(..., <null>, ...)\n", Take());

    // With a header line, and a blank line after it.
    t.OutTVBin2(3, "void CFoo::Bar()", "Record", "", data, 3, 16, 8, false);
    char msg[64];
    std::snprintf(msg, sizeof(msg), "\tBinary data at address %p (3 Bytes)\n\n41 42 43 ",
                  static_cast<const void*>(data));
    out = Take();
    EXPECT_NE(std::string::npos, out.find(msg)) << out;
    EXPECT_EQ(67u, out.size() - out.find("41 42 43 ") - 1);
}

}  // namespace
