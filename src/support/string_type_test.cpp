#include "support/string_type.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(CString, SubstringsClipTheirArguments) {
    CString s("abcdef");
    EXPECT_STREQ(s.Mid(-3, 2), "ab");
    EXPECT_STREQ(s.Mid(10), "");
    EXPECT_STREQ(s.Mid(2), "cdef");
    EXPECT_STREQ(s.Mid(4, 10), "ef");
    EXPECT_STREQ(s.Left(100), "abcdef");
    EXPECT_STREQ(s.Left(-1), "");
    EXPECT_STREQ(s.Right(2), "ef");
    EXPECT_STREQ(s.Right(99), "abcdef");
    EXPECT_STREQ(s.SpanExcluding("e"), "abcd");
    EXPECT_STREQ(CString("aabx").SpanIncluding("ab"), "aab");
}

TEST(CString, SearchAndEdits) {
    CString s("a/b/c.d");
    EXPECT_EQ(s.Find('/', 2), 3);
    EXPECT_EQ(s.Find("b/", 3), -1);

    s = "a--b--c";
    EXPECT_EQ(s.Replace("--", "-"), 2);
    EXPECT_EQ(s.Replace("-", "--"), 2);  // the new text is not searched again
    EXPECT_STREQ(s, "a--b--c");
    EXPECT_EQ(s.Remove('-'), 4);
    s.Insert(1, "XY");
    s.Insert(99, '!');
    EXPECT_STREQ(s, "aXYbc!");
    s.Delete(1, 2);
    EXPECT_STREQ(s, "abc!");
    EXPECT_STREQ(CString("  \t x y \r\n").Trim(), "x y");
    EXPECT_STREQ(CString("//a//").TrimRight('/'), "//a");
    EXPECT_STREQ(CString(",, a ,").Trim(", "), "a");
    EXPECT_STREQ(CString(",,").TrimRight(", "), "");
}

TEST(CString, TokenizeSkipsEmptyTokensAndEndsWithMinusOne) {
    CString s("a,,b;c");
    int pos = 0;
    EXPECT_STREQ(s.Tokenize(",;", pos), "a");
    EXPECT_EQ(pos, 2);
    EXPECT_STREQ(s.Tokenize(",;", pos), "b");
    EXPECT_STREQ(s.Tokenize(",;", pos), "c");
    for (int i = 0; i < 2; ++i) {
        EXPECT_STREQ(s.Tokenize(",;", pos), "");
        EXPECT_EQ(pos, -1);
    }
    pos = 2;
    EXPECT_STREQ(s.Tokenize("", pos), ",b;c");
    pos = 0;
    EXPECT_STREQ(CString(",,,").Tokenize(",", pos), "");
    EXPECT_EQ(pos, -1);
}

TEST(CString, FormatGrowsBeyondTheFirstGuess) {
    CString s;
    s.Format("%d-%s", 7, "x");
    EXPECT_STREQ(s, "7-x");
    EXPECT_EQ(s.LastFormatAttempts(), 1);
    const std::string longArg(5000, 'q');
    s.Format("[%s]", longArg.c_str());
    EXPECT_EQ(s.str(), "[" + longArg + "]");
    EXPECT_EQ(s.LastFormatAttempts(), 2);
}

TEST(CString, ConstructCopyAndCompare) {
    CString a("Abc");
    char* p = a.GetBuffer(20);
    CString copy = a;
    std::strcpy(p, "changed");
    a.ReleaseBuffer();
    EXPECT_STREQ(a, "changed");
    EXPECT_STREQ(copy, "Abc");

    a = "Abc";
    EXPECT_EQ(a.CompareNoCase("aBC"), 0);
    EXPECT_NE(a.Compare("abc"), 0);
    EXPECT_STREQ(a + "/" + CString("d") + 'e', "Abc/de");
    EXPECT_STREQ(CString(static_cast<const char*>(nullptr)), "");
    EXPECT_STREQ(CString(u"A\u00e9\u20ac"), "A\xc3\xa9\xe2\x82\xac");
}
