#include "support/profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_helpers.h"

namespace {

class ProfileTest : public testing::Test {
protected:
    CProfile Make(const std::string& content) { return CProfile(m_dir.write("p.ini", content).c_str()); }
    std::string Get(const std::string& content, const char* section, const char* key) {
        CString s;
        Make(content).StringGet(section, key, "<def>", s);
        return s.str();
    }
    // StringSet on a file with the given content; returns the new content.
    std::string Set(const std::string& content, const char* section, const char* key, const char* value) {
        EXPECT_TRUE(Make(content).StringSet(section, key, value));
        return TempDir::read(m_dir.file("p.ini"));
    }
    TempDir m_dir;
};

TEST_F(ProfileTest, LooseMatching) {
    struct { const char *text, *section, *key, *value; } cases[] = {
        // The key text is found inside a longer key or an earlier value; the next "=" counts.
        {"[TRACE_SETTINGS]\nTraceClear=1\nTrace=0\n", "TRACE_SETTINGS", "Trace", "1"},
        {"[S]\nNote=Level\nX=5\nLevel=9\n", "S", "Level", "5"},
        {"[A]\nX\nY=2\n", "A", "X", "2"}, {"[A]\nX\n", "A", "X", "<def>"},
        // Sections match by prefix right after the bracket and end at the next "[".
        {"[Tests]\nA=1\n[ B]\nC=2\n", "Test", "A", "1"},
        {"[Tests]\nA=1\n[ B]\nC=2\n", "B", "C", "<def>"},
        {"[A]\nX=1\n[B]\nY=2\n[C]", "A", "Y", "<def>"}, {"[A]\nX=1\n[B]\nY=2\n[C]", "D", "X", "<def>"},
        {"[A]\nX=1\n[B]\nY=2\n[C]", "C", "Y", "<def>"},  // a header on the last line has no body
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.value, Get(c.text, c.section, c.key)) << c.text << " " << c.key;

    // Values are verbatim; the number skips the blank.
    CProfile p = Make("[S]\nTrace = 1\nK=abc\n");
    EXPECT_EQ(1, p.IntGet("S", "Trace", 7));
    EXPECT_EQ(0, p.IntGet("S", "K", 7));
    CString s;
    EXPECT_EQ(3, p.StringGet("S", "Trace", "", s));
    EXPECT_EQ(" 1", s);
}

TEST_F(ProfileTest, CrLfLines) {
    const std::string text = "[S]\r\n\r\n\r\nK=v w \r\nN=1\r\n";
    EXPECT_EQ("v w ", Get(text, "S", "K"));
    EXPECT_EQ(1, Make(text).IntGet("S", "N", 0));
    // The write-back replaces up to the line feed, so the CR goes.
    EXPECT_EQ("[S]\r\n\r\n\r\nK=new\nN=1\r\n", Set(text, "S", "K", "new"));
}

TEST_F(ProfileTest, ReturnValuesAndUnreadableFiles) {
    CProfile p = Make("[S]\nK=hello\n");
    char buf[4], big[32];
    EXPECT_EQ(4, p.StringGet("S", "K", "d", buf, sizeof(buf)));
    EXPECT_STREQ("hel", buf);
    EXPECT_EQ(6, p.StringGet("S", "K", "d", big, sizeof(big)));
    EXPECT_EQ(1, p.StringGet("S", "Missing", "default", big, sizeof(big)));
    EXPECT_STREQ("default", big);
    CString s;
    EXPECT_EQ(8, p.StringGet("S", "Missing", "default", s));

    // A missing file and a directory give defaults, 0 and no update.
    for (const std::string& path : {m_dir.file("none.ini"), m_dir.path()}) {
        CProfile bad(path.c_str());
        EXPECT_EQ(42, bad.IntGet("S", "K", 42));
        EXPECT_EQ(0, bad.StringGet("S", "K", "def", s));
        EXPECT_EQ("def", s);
        EXPECT_EQ(0, bad.StringGet("S", "K", "def", buf, sizeof(buf)));
        EXPECT_STREQ("def", buf);
        EXPECT_FALSE(bad.StringSet("S", "K", "v"));
    }
    EXPECT_FALSE(std::filesystem::exists(m_dir.file("none.ini")));
}

TEST_F(ProfileTest, SetReplacesOrInserts) {
    struct { const char *before, *section, *key, *value, *after; } cases[] = {
        {"[S]\nK=long value\nZ=1\n", "S", "K", "x", "[S]\nK=x\nZ=1\n"},
        {"[S]\nK=x\nZ=1\n", "S", "K", "a longer value", "[S]\nK=a longer value\nZ=1\n"},
        {"[S]\nK=old", "S", "K", "", "[S]\nK="},
        // A new key comes first in its section; a new section goes at the end.
        {"[A]\nX=1\n[S]\nA=1\n", "S", "B", "2", "[A]\nX=1\n[S]\nB=2\nA=1\n"},
        {"[A]\nX=1\n", "B", "K", "V", "[A]\nX=1\n[B]\nK=V\n\n"},
        // Without a final line feed the header is joined to the last line.
        {"[A]\nX=1", "B", "K", "V", "[A]\nX=1[B]\nK=V\n\n"},
        {"", "B", "K", "V", "[B]\nK=V\n\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.after, Set(c.before, c.section, c.key, c.value)) << c.before;
}

TEST_F(ProfileTest, SizeLimit) {
    const size_t kMax = CProfile::kMaxText;
    // Only the first 8192 bytes are seen: the text stops right after "B=".
    const std::string head = "[S]\nA=1\n";
    const std::string cut = head + std::string(kMax - head.size() - 3, '.') + "\nB=2\n";
    EXPECT_EQ(1, Make(cut).IntGet("S", "A", 0));
    EXPECT_EQ("", Get(cut, "S", "B"));

    // A longer file is refused whole rather than cut at the limit.
    const std::string longer = head + std::string(kMax, '.') + "\n";
    EXPECT_FALSE(Make(longer).StringSet("S", "A", "2"));
    EXPECT_EQ(longer, TempDir::read(m_dir.file("p.ini")));

    // Growth to exactly the limit is stored, one byte more is not; shrinking at the limit works.
    const std::string full = head + std::string(kMax - head.size() - 1, '.');
    const std::string atMax = "[S]\nA=12\n" + full.substr(head.size());
    EXPECT_EQ(atMax, Set(full, "S", "A", "12"));
    EXPECT_EQ(full, Set(full, "S", "A", "123"));
    EXPECT_EQ(full, Set(full, "S", "New", "1"));
    EXPECT_EQ(full, Set(full, "T", "K", "1"));
    EXPECT_EQ(full, Set(atMax, "S", "A", "1"));
}

}  // namespace
