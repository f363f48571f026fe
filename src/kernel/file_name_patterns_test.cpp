#include "kernel/file_name_patterns.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/time_type.h"
#include "test_helpers.h"

TEST(FileNamePatterns, TokensInNames) {
    const std::string today = CTime::GetCurrentTime().Format("%m-%d-%Y");
    struct Case {
        const char* pattern;
        std::string expected;
    };
    const Case cases[] = {
        {"backup_?date?.nvux", "backup_" + today + ".nvux"},
        {"?model?_?baseboard?", "product_name_X1"},
        {"a_?unknown?.cfg", "a_?unknown?.cfg"},
        {"cfg_?date", "cfg_"},
        {"??x", "??x"},
        {"no?", "no"},
    };
    for (const Case& c : cases) {
        CFileNamePatterns patterns;
        patterns.SetToken("model", " product_name\t\n");
        patterns.SetToken("baseboard", "X1");
        CString path = c.pattern;
        EXPECT_TRUE(patterns.ReplaceTokens(path)) << c.pattern;
        EXPECT_STREQ(path, c.expected.c_str()) << c.pattern;
    }

    // Nothing left after an unclosed token: false and the path as it was.
    CFileNamePatterns patterns;
    CString path = "?date";
    EXPECT_FALSE(patterns.ReplaceTokens(path));
    EXPECT_STREQ(path, "?date");
}

TEST(FileNamePatterns, FirstValueOfAStandardTokenStays) {
    CFileNamePatterns patterns;
    patterns.SetToken("date", "fixed");
    patterns.fillInStandardTokens();
    CString path = "?date?-?name?";
    ASSERT_TRUE(patterns.ReplaceTokens(path));
    EXPECT_EQ(path.Left(6), CString("fixed-"));
    EXPECT_GT(path.GetLength(), 6);

    const CString time = patterns.Tokens().at("time");
    patterns.fillInStandardTokens();
    EXPECT_EQ(patterns.Tokens().at("time"), time);
    EXPECT_EQ(time.GetLength(), 6);
    EXPECT_EQ(patterns.Tokens().count("domain"), 1u);

    // SetToken itself replaces.
    patterns.SetToken("date", "other");
    path = "?date?";
    ASSERT_TRUE(patterns.ReplaceTokens(path));
    EXPECT_STREQ(path, "other");
}

TEST(FileNamePatterns, RunningNumberSkipsExistingFiles) {
    TempDir tmp;
    CFileNamePatterns patterns;
    const CString pattern = tmp.file("cfg_?no?.nvux").c_str();

    CString path = pattern;
    ASSERT_TRUE(patterns.ReplaceTokens(path));
    EXPECT_STREQ(path, tmp.file("cfg_000.nvux").c_str());

    tmp.write("cfg_000.nvux", "");
    path = pattern;
    ASSERT_TRUE(patterns.ReplaceTokens(path));
    EXPECT_STREQ(path, tmp.file("cfg_001.nvux").c_str());

    // Every occurrence takes the same number.
    path = tmp.file("?no?_?no?").c_str();
    ASSERT_TRUE(patterns.ReplaceTokens(path));
    EXPECT_STREQ(path, tmp.file("000_000").c_str());

    // Other spellings are recognised but not numbered.
    for (const char* name : {"cfg_?NO?.nvux", "cfg_?No?.nvux"}) {
        path = tmp.file(name).c_str();
        ASSERT_TRUE(patterns.ReplaceTokens(path)) << name;
        EXPECT_STREQ(path, tmp.file(name).c_str());
    }
}

TEST(FileNamePatterns, AllNumbersTakenFails) {
    TempDir tmp;
    char name[32];
    for (int n = 0; n < 999; ++n) {
        std::snprintf(name, sizeof(name), "cfg_%03d", n);
        tmp.write(name, "");
    }
    CFileNamePatterns patterns;
    const CString pattern = tmp.file("cfg_?no?").c_str();
    CString path = pattern;
    EXPECT_FALSE(patterns.ReplaceTokens(path));
    EXPECT_EQ(path, pattern);
}
