#include "support/profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_helpers.h"

namespace {

class ProfileTest : public testing::Test {
protected:
    CProfile Make(const std::string& content) { return CProfile(m_dir.write("p.ini", content).c_str()); }
    std::string Content() const { return TempDir::read(m_dir.file("p.ini")); }
    std::string Get(const CProfile& p, const char* section, const char* key) {
        CString s;
        p.StringGet(section, key, "<def>", s);
        return s.str();
    }
    // StringSet on a file with the given content; returns the new content.
    std::string Set(const std::string& content, const char* section, const char* key, const char* value) {
        EXPECT_TRUE(Make(content).StringSet(section, key, value));
        return Content();
    }

    TempDir m_dir;
};

TEST_F(ProfileTest, LooseMatching) {
    // The key text is found inside a longer key written before it.
    CProfile p = Make("[TRACE_SETTINGS]\nTraceClear=1\nTrace=0\n");
    EXPECT_EQ(1, p.IntGet("TRACE_SETTINGS", "Trace", 7));

    // ...and inside an earlier value, taking the next "=" after it.
    p = Make("[S]\nNote=Level\nX=5\nLevel=9\n");
    EXPECT_EQ(5, p.IntGet("S", "Level", 7));

    // Values are verbatim; atoi skips the blank.
    p = Make("[S]\nTrace = 1\n");
    EXPECT_EQ(1, p.IntGet("S", "Trace", 7));
    CString s;
    EXPECT_EQ(3, p.StringGet("S", "Trace", "", s));
    EXPECT_EQ(" 1", s);
    EXPECT_EQ(0, Make("[S]\nK=abc\n").IntGet("S", "K", 7));

    // Section names match as prefixes, right after the bracket only.
    p = Make("[Tests]\nA=1\n[ B]\nC=2\n");
    EXPECT_EQ("1", Get(p, "Test", "A"));
    EXPECT_EQ("<def>", Get(p, "B", "C"));
}

TEST_F(ProfileTest, SectionBoundaries) {
    CProfile p = Make("[A]\nX=1\n[B]\nY=2\n[C]");
    EXPECT_EQ("<def>", Get(p, "A", "Y"));
    EXPECT_EQ("2", Get(p, "B", "Y"));
    EXPECT_EQ("<def>", Get(p, "D", "Y"));
    // A header on the last line has no body.
    EXPECT_EQ("<def>", Get(p, "C", "X"));
    // The "=" search runs past line ends.
    EXPECT_EQ("2", Get(Make("[A]\nX\nY=2\n"), "A", "X"));
    EXPECT_EQ("<def>", Get(Make("[A]\nX\n"), "A", "X"));
}

TEST_F(ProfileTest, CrLfLines) {
    CProfile p = Make("[S]\r\n\r\n\r\nK=v w \r\nN=1\r\n");
    EXPECT_EQ("v w ", Get(p, "S", "K"));
    EXPECT_EQ(1, p.IntGet("S", "N", 0));
    EXPECT_TRUE(p.StringSet("S", "K", "new"));
    EXPECT_EQ("[S]\r\n\r\n\r\nK=new\nN=1\r\n", Content());
}

TEST_F(ProfileTest, StringGetReturns) {
    CProfile p = Make("[S]\nK=hello\nE=\n");
    char buf[4];
    EXPECT_EQ(4, p.StringGet("S", "K", "d", buf, sizeof(buf)));
    EXPECT_STREQ("hel", buf);
    char big[32];
    EXPECT_EQ(6, p.StringGet("S", "K", "d", big, sizeof(big)));
    EXPECT_STREQ("hello", big);
    EXPECT_EQ(1, p.StringGet("S", "E", "d", big, sizeof(big)));
    EXPECT_STREQ("", big);
    EXPECT_EQ(1, p.StringGet("S", "Missing", "default", big, sizeof(big)));
    EXPECT_STREQ("default", big);
    CString s;
    EXPECT_EQ(8, p.StringGet("S", "Missing", "default", s));
    EXPECT_EQ("default", s);
}

TEST_F(ProfileTest, UnreadableFile) {
    for (const std::string& path : {m_dir.file("none.ini"), m_dir.path()}) {
        CProfile p(path.c_str());
        EXPECT_EQ(42, p.IntGet("S", "K", 42));
        CString s;
        EXPECT_EQ(0, p.StringGet("S", "K", "def", s));
        EXPECT_EQ("def", s);
        char buf[8];
        EXPECT_EQ(0, p.StringGet("S", "K", "def", buf, sizeof(buf)));
        EXPECT_STREQ("def", buf);
        EXPECT_FALSE(p.StringSet("S", "K", "v"));
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("none.ini")));
}

TEST_F(ProfileTest, SetReplacesValue) {
    EXPECT_EQ("[S]\nK=x\nZ=1\n", Set("[S]\nK=long value\nZ=1\n", "S", "K", "x"));
    EXPECT_EQ("[S]\nK=a longer value\nZ=1\n", Set("[S]\nK=x\nZ=1\n", "S", "K", "a longer value"));
    EXPECT_EQ("[S]\nK=new", Set("[S]\nK=old", "S", "K", "new"));
    EXPECT_EQ("[S]\nK=\n", Set("[S]\nK=old\n", "S", "K", ""));
}

TEST_F(ProfileTest, SetInsertsKeyAndSection) {
    // A new key comes first in its section.
    EXPECT_EQ("[A]\nX=1\n[S]\nB=2\nA=1\n", Set("[A]\nX=1\n[S]\nA=1\n", "S", "B", "2"));
    EXPECT_EQ("[A]\nX=1\n[B]\nK=V\n\n", Set("[A]\nX=1\n", "B", "K", "V"));
    // Without a final line feed the header is joined to the last line.
    EXPECT_EQ("[A]\nX=1[B]\nK=V\n\n", Set("[A]\nX=1", "B", "K", "V"));
    EXPECT_EQ("[B]\nK=V\n\n", Set("", "B", "K", "V"));
    // The result reads back.
    CProfile p(m_dir.file("p.ini").c_str());
    EXPECT_EQ("V", Get(p, "B", "K"));
}

TEST_F(ProfileTest, SizeLimit) {
    const size_t kMax = CProfile::kMaxText;
    // Only the first 8192 bytes are seen: the text stops right after "B=".
    std::string head = "[S]\nA=1\n";
    std::string pad(kMax - head.size() - 3, '.');
    CProfile p = Make(head + pad + "\nB=2\n");
    EXPECT_EQ(1, p.IntGet("S", "A", 0));
    EXPECT_EQ("", Get(p, "S", "B"));

    // A longer file is refused whole rather than cut at the limit.
    std::string longer = head + std::string(kMax, '.') + "\n";
    p = Make(longer);
    EXPECT_FALSE(p.StringSet("S", "A", "2"));
    EXPECT_EQ(longer, Content());

    // Growth to exactly the limit is stored, one byte more is not.
    std::string full = head + std::string(kMax - head.size() - 1, '.');
    EXPECT_EQ(kMax - 1, full.size());
    EXPECT_EQ("[S]\nA=12\n" + full.substr(head.size()), Set(full, "S", "A", "12"));
    EXPECT_EQ(full, Set(full, "S", "A", "123"));
    EXPECT_EQ(full, Set(full, "S", "New", "1"));
    EXPECT_EQ(full, Set(full, "T", "K", "1"));
    // Shrinking a file at the limit still works.
    std::string atMax = "[S]\nA=12\n" + full.substr(head.size());
    EXPECT_EQ(full, Set(atMax, "S", "A", "1"));
}

}  // namespace
