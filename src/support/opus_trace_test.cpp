#include "support/opus_trace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>
#include <unistd.h>
#include <vector>

#include "test_helpers.h"

namespace {

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> parts(1);
    for (char c : s) {
        if (c == sep)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

class TraceTest : public testing::Test {
protected:
    void SetUp() override {
        // Each test plays a fresh process.
        COpusTrace::s_fFirstOutput = true;
        COpusTrace::s_fTraceClear = false;
        m_trace = m_dir.file("out.trc");
    }
    void TearDown() override { SetUp(); }

    std::string Settings(const std::string& body) {
        return m_dir.write("trace.ini", "[TRACE_SETTINGS]\n" + body);
    }
    std::string Enabled(int level, int clear = 0, const std::string& extra = "") {
        return Settings("Trace=1\nTraceClear=" + std::to_string(clear) + "\nTraceFile=" + m_trace +
                        "\nTraceLevel=" + std::to_string(level) + "\n" + extra);
    }
    std::string Out() const { return TempDir::read(m_trace); }

    TempDir m_dir;
    std::string m_trace;
};

TEST_F(TraceTest, LineColumns) {
    COpusTrace t(Enabled(3).c_str());
    t.OutTV2(3, "bool CKrnl2App::Init(int, char**)", "Enter", "sub", "argc=%d %s", 2, "x");
    std::string out = Out();
    ASSERT_FALSE(out.empty());
    ASSERT_EQ('\n', out.back());
    auto cols = Split(out.substr(0, out.size() - 1), '\t');
    ASSERT_EQ(9u, cols.size()) << out;
    EXPECT_TRUE(std::regex_match(cols[0], std::regex(R"(\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\.\d{3})")))
        << cols[0];
    char szPid[32];
    std::snprintf(szPid, sizeof(szPid), "%04u", static_cast<unsigned>(getpid()));
    EXPECT_EQ(szPid, cols[1]);
    EXPECT_EQ("0000", cols[2]);
    EXPECT_EQ("Info", cols[3]);
    EXPECT_EQ("bool CKrnl2App", cols[4]);
    EXPECT_EQ("Init", cols[5]);
    EXPECT_EQ("Enter", cols[6]);
    EXPECT_EQ("sub", cols[7]);
    EXPECT_EQ("argc=2 x", cols[8]);
}

TEST(TraceSplit, Columns) {
    struct Case { const char* in; const char* cls; const char* fn; };
    const Case cases[] = {
        {"bool CKrnl2App::Init(int, char**)", "bool CKrnl2App", "Init"},
        {"void CCCommandLineInfo::Parse(int, TCHAR**)", "void CCCommandLineInfo", "Parse"},
        {"int main(int, char**)", "<global>", "int main"},
        {"plain", "<global>", "plain"},
        {"A::B::C(x::y)", "A", "B::C"},
        {"", "<global>", ""},
    };
    for (const Case& c : cases) {
        char cls[64], fn[64];
        COpusTrace::SplitFunction(c.in, cls, sizeof(cls), fn, sizeof(fn));
        EXPECT_STREQ(c.cls, cls) << c.in;
        EXPECT_STREQ(c.fn, fn) << c.in;
    }
    char cls[5], fn[3];
    COpusTrace::SplitFunction("bool CKrnl2App::Init()", cls, sizeof(cls), fn, sizeof(fn));
    EXPECT_STREQ("bool", cls);
    EXPECT_STREQ("In", fn);
}

TEST_F(TraceTest, LevelFilter) {
    COpusTrace t(Enabled(3).c_str());
    t.OutTV2(4, "f", "Internal", "", "verbose");
    t.OutBinary(4, "x", 1, 16, 8, false, nullptr);
    t.OutTVBigRaw(4, "cap", "text");
    EXPECT_EQ("", Out());
    t.OutTV2(0, "f", "Internal", "", "zero");
    auto cols = Split(Out(), '\t');
    ASSERT_EQ(9u, cols.size());
    EXPECT_EQ("", cols[3]);
    EXPECT_EQ("zero\n", cols[8]);
}

TEST_F(TraceTest, ClearEmptiesOnlyOnFirstWrite) {
    m_dir.write("out.trc", "old run\n");
    {
        COpusTrace t(Enabled(3, 0).c_str());
        t.OutTVBigRaw(3, "a", "1");
    }
    EXPECT_EQ("old run\na\n1\n", Out());
    COpusTrace::s_fFirstOutput = true;
    COpusTrace t(Enabled(3, 1).c_str());
    t.OutTVBigRaw(3, "b", "2");
    t.OutTVBigRaw(3, "c", "3");
    EXPECT_EQ("b\n2\nc\n3\n", Out());
}

TEST_F(TraceTest, Announcements) {
    std::string on = Enabled(3, 0, "TraceInfo=1\n");
    testing::internal::CaptureStdout();
    COpusTrace t(on.c_str());
    EXPECT_EQ("TRACE OUTPUT ENABLED: " + on + ", " + m_trace + ", level=3\n",
              testing::internal::GetCapturedStdout());

    std::string off = Settings("Trace=0\nTraceInfo=1\nTraceLevel=5\n");
    testing::internal::CaptureStdout();
    COpusTrace t2(off.c_str());
    EXPECT_EQ("TRACE OUTPUT DISABLED: " + off + "\n", testing::internal::GetCapturedStdout());
    EXPECT_FALSE(t2.Enabled());
    EXPECT_EQ(5u, t2.Level());
    EXPECT_STREQ("Trace.trc", t2.TraceFile());

    testing::internal::CaptureStdout();
    COpusTrace t3(m_dir.file("missing.ini").c_str());
    EXPECT_EQ("", testing::internal::GetCapturedStdout());
    EXPECT_FALSE(t3.Enabled());
}

TEST_F(TraceTest, EnabledWithoutFileWritesNothing) {
    std::string settings = Settings("Trace=1\nTraceLevel=3\n");
    // Run in the temporary directory so a wrongly kept default name lands there.
    auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(m_dir.path());
    {
        COpusTrace t(settings.c_str());
        EXPECT_TRUE(t.Enabled());
        EXPECT_STREQ("", t.TraceFile());
        t.OutTV2(3, "f", "Enter", "", "x");
        t.OutTVBigRaw(3, "c", "t");
    }
    std::filesystem::current_path(cwd);
    int n = 0;
    for (auto& e : std::filesystem::directory_iterator(m_dir.path()))
        n += e.path().filename() != "trace.ini";
    EXPECT_EQ(0, n);
}

TEST_F(TraceTest, LongTextIsCut) {
    COpusTrace t(Enabled(3).c_str());
    std::string big(COpusTrace::kLineChars + 500, 'x');
    t.OutTV2(3, "f", "Internal", "", "%s", big.c_str());
    std::string out = Out();
    EXPECT_EQ(COpusTrace::kLineChars + 1, out.size());
    EXPECT_EQ("xx\n", out.substr(out.size() - 3));
}

TEST_F(TraceTest, BinaryLayout16) {
    COpusTrace t(Enabled(3).c_str());
    const unsigned char data[20] = {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 0x00, 0x01,
                                    0x7F, 0x20, 'a', 'b', 'c', 0xFF, '1', '2', '3', '4'};
    t.OutBinary(3, data, 20, 16, 8, false, nullptr);
    EXPECT_EQ("41 42 43 44 45 46 47 48  00 01 7F 20 61 62 63 FF  ABCDEFGH ... abc.\n"
              "31 32 33 34" + std::string(39, ' ') + "1234" + std::string(13, ' ') + "\n",
              Out());
}

TEST_F(TraceTest, BinaryLayout32) {
    COpusTrace t(Enabled(3).c_str());
    unsigned char data[32];
    for (int i = 0; i < 32; ++i)
        data[i] = static_cast<unsigned char>('a' + i % 26);
    t.OutBinary(3, data, 32, 32, 8, false, nullptr);
    std::string out = Out();
    ASSERT_EQ(136u, out.size());
    EXPECT_EQ("68  69", out.substr(21, 6));
    EXPECT_EQ("  abcdefgh ijklmnop qrstuvwx yzabcdef\n", out.substr(98));
}

TEST_F(TraceTest, BinaryNullAndHeader) {
    COpusTrace t(Enabled(3).c_str());
    t.OutBinary(3, nullptr, 4, 16, 8, false, nullptr);
    EXPECT_EQ("OutBinary(..., <null>, ...)\n", Out());

    std::filesystem::remove(m_trace);
    const char data[3] = {'x', 'y', 'z'};
    t.OutTVBin2(3, "void CFoo::Bar()", "Record", "", data, 3, 16, 8, false);
    auto lines = Split(Out(), '\n');
    ASSERT_EQ(4u, lines.size());
    char msg[64];
    std::snprintf(msg, sizeof(msg), "Binary data at address %p (3 Bytes)", static_cast<const void*>(data));
    EXPECT_EQ(msg, Split(lines[0], '\t').back());
    EXPECT_EQ("", lines[1]);
    EXPECT_EQ(0u, lines[2].find("78 79 7A "));
    EXPECT_EQ(67u, lines[2].size());
}

}  // namespace
