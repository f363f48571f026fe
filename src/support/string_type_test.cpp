#include "support/string_type.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

TEST(CStringSubstrings, ClipNegativeAndOversizedArguments) {
    CString s("abcdef");
    EXPECT_STREQ(s.Mid(-3, 2), "ab");
    EXPECT_STREQ(s.Mid(10), "");
    EXPECT_STREQ(s.Mid(2), "cdef");
    EXPECT_STREQ(s.Mid(4, 10), "ef");
    EXPECT_STREQ(s.Left(6), "abcdef");
    EXPECT_STREQ(s.Left(100), "abcdef");
    EXPECT_STREQ(s.Left(-1), "");
    EXPECT_STREQ(s.Right(2), "ef");
    EXPECT_STREQ(s.Right(99), "abcdef");
}

TEST(CStringCopies, AreIndependent) {
    CString a("original");
    CString b = a;
    b.MakeUpper();
    b.SetAt(0, 'x');
    EXPECT_STREQ(a, "original");
    EXPECT_STREQ(b, "xRIGINAL");
    char* p = a.GetBuffer(20);
    CString c = a;
    std::strcpy(p, "changed");
    a.ReleaseBuffer();
    EXPECT_STREQ(a, "changed");
    EXPECT_STREQ(c, "original");
}

TEST(CStringSearch, FindsAndMisses) {
    CString s("a/b/c.d");
    EXPECT_EQ(s.Find('/'), 1);
    EXPECT_EQ(s.Find('/', 2), 3);
    EXPECT_EQ(s.Find('z'), -1);
    EXPECT_EQ(s.Find("b/"), 2);
    EXPECT_EQ(s.Find("b/", 3), -1);
    EXPECT_EQ(s.ReverseFind('/'), 3);
    EXPECT_EQ(s.FindOneOf(".c"), 4);
    EXPECT_STREQ(s.SpanExcluding("."), "a/b/c");
    EXPECT_STREQ(CString("aabx").SpanIncluding("ab"), "aab");
}

TEST(CStringEdits, ReplaceRemoveInsertDelete) {
    CString s("a--b--c");
    EXPECT_EQ(s.Replace("--", "-"), 2);
    EXPECT_STREQ(s, "a-b-c");
    EXPECT_EQ(s.Replace("-", "--"), 2);  // the new text is not searched again
    EXPECT_STREQ(s, "a--b--c");
    EXPECT_EQ(s.Remove('-'), 4);
    EXPECT_STREQ(s, "abc");
    s.Insert(1, "XY");
    s.Insert(99, '!');
    EXPECT_STREQ(s, "aXYbc!");
    s.Delete(1, 2);
    EXPECT_STREQ(s, "abc!");
    CString t("  \t x y \r\n");
    EXPECT_STREQ(t.Trim(), "x y");
    EXPECT_STREQ(CString("//a//").TrimRight('/'), "//a");
    EXPECT_STREQ(CString(",, a ,").Trim(", "), "a");
}

TEST(CStringTokenize, SkipsEmptyTokensAndEndsWithMinusOne) {
    CString s("a,,b;c");
    int pos = 0;
    EXPECT_STREQ(s.Tokenize(",;", pos), "a");
    EXPECT_EQ(pos, 2);
    EXPECT_STREQ(s.Tokenize(",;", pos), "b");
    EXPECT_STREQ(s.Tokenize(",;", pos), "c");
    EXPECT_STREQ(s.Tokenize(",;", pos), "");
    EXPECT_EQ(pos, -1);
    EXPECT_STREQ(s.Tokenize(",;", pos), "");
    EXPECT_EQ(pos, -1);

    int p2 = 2;
    EXPECT_STREQ(s.Tokenize("", p2), ",b;c");
    int p3 = 0;
    EXPECT_STREQ(CString(",,,").Tokenize(",", p3), "");
    EXPECT_EQ(p3, -1);
}

TEST(CStringFormat, ProducesTextLongerThanTheFirstGuess) {
    CString s;
    s.Format("%d-%s", 7, "x");
    EXPECT_STREQ(s, "7-x");
    EXPECT_EQ(s.LastFormatAttempts(), 1);

    const std::string longArg(5000, 'q');
    s.Format("[%s]", longArg.c_str());
    EXPECT_EQ(s.GetLength(), 5002);
    EXPECT_EQ(s.Right(3), CString("qq]"));
    EXPECT_EQ(s.LastFormatAttempts(), 2);
}

TEST(CStringCompare, CaseAndOperators) {
    CString a("Abc");
    EXPECT_EQ(a.CompareNoCase("aBC"), 0);
    EXPECT_NE(a.Compare("abc"), 0);
    EXPECT_TRUE(a < CString("abc"));
    EXPECT_TRUE(a == "Abc");
    EXPECT_STREQ(a + "/" + CString("d") + 'e', "Abc/de");
    EXPECT_STREQ(CString(static_cast<const char*>(nullptr)), "");
    EXPECT_STREQ(CString('-', 3), "---");
    EXPECT_STREQ(CString(u"A\u00e9"), "A\xc3\xa9");
}
