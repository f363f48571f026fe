#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/msc.h"
#include "test_helpers.h"

namespace {

struct MatchCase {
    const char* pattern;
    const char* text;
    bool fIgnoreCase;
    int ret;
};

void PrintTo(const MatchCase& c, std::ostream* os) {
    *os << "'" << c.pattern << "' vs '" << c.text << "'" << (c.fIgnoreCase ? " (icase)" : "");
}

class MscRegularMatchTest : public testing::TestWithParam<MatchCase> {};

TEST_P(MscRegularMatchTest, Matches) {
    const MatchCase& c = GetParam();
    EXPECT_EQ(MscRegularMatch(c.pattern, c.text, c.fIgnoreCase), c.ret);
}

INSTANTIATE_TEST_SUITE_P(
    Wildcards, MscRegularMatchTest,
    testing::Values(
        // case
        MatchCase{"*.bup", "D3245-A1.BUP", false, 2}, MatchCase{"*.bup", "D3245-A1.BUP", true, 1},
        MatchCase{"BupInfo2.xml", "bupinfo2.XML", true, 1},
        MatchCase{"BupInfo2.xml", "bupinfo2.XML", false, 0},
        // "?" takes exactly one character
        MatchCase{"qmx??", "qmx01", false, 1}, MatchCase{"qmx??", "qmx1", false, 0},
        MatchCase{"qmx??", "qmx012", false, 0},
        // "*" runs
        MatchCase{"*", "", false, 1}, MatchCase{"a*", "a", false, 1},
        MatchCase{"*.*", "noext", false, 2}, MatchCase{"*.*", "a.b", false, 1},
        MatchCase{"a*b*c", "axxbyyc", false, 1}, MatchCase{"a*b*c", "axxbyy", false, 2},
        MatchCase{"a**c", "abc", false, 1}, MatchCase{"ab", "abc", false, 0},
        // sets and ranges
        MatchCase{"v[0-9]", "v7", false, 1}, MatchCase{"v[0-9]", "va", false, 0},
        MatchCase{"v[a-cx]", "vx", false, 1}, MatchCase{"v[A-C]", "vb", true, 1},
        MatchCase{"v[!0-9]", "va", false, 1},
        MatchCase{"v[!0-9]", "v5", false, 0}, MatchCase{"v[^ab]", "vc", false, 1},
        MatchCase{"v[^ab]", "va", false, 0}, MatchCase{"v[-x]", "v-", false, 1},
        MatchCase{"v[x-]", "v-", false, 1}, MatchCase{"v[!-]", "v-", false, 0},
        MatchCase{"v[a-c]", "v-", false, 0}, MatchCase{"v[]", "v", false, 0},
        // escapes
        MatchCase{"a\\*", "a*", false, 1}, MatchCase{"a\\*", "ab", false, 0},
        MatchCase{"v[\\]]", "v]", false, 1},
        MatchCase{"v[a\\-c]", "vb", false, 0}, MatchCase{"v[a\\-c]", "v-", false, 1},
        // an unclosed set never matches
        MatchCase{"v[abc", "va", false, 0}, MatchCase{"v[abc", "v[abc", false, 0},
        MatchCase{"*[abc", "xa", false, 2}));

TEST(MscRegularMatch, ManyStarsStayFast) {
    // Abandoning on an exhausted text keeps this linear instead of exponential.
    const std::string text(200, 'a');
    EXPECT_EQ(MscRegularMatch("*a*a*a*a*a*a*a*a*a*a*a*b", text.c_str(), false), 2);
}

class MscListingTest : public testing::Test {
protected:
    void SetUp() override {
        tmp.write("a.bup", "1");
        tmp.write("B.BUP", "2");
        tmp.write("readme.txt", "3");
        ASSERT_EQ(mkdir(tmp.file("dir.bup").c_str(), 0755), 0);
        ASSERT_EQ(symlink("a.bup", tmp.file("link.bup").c_str()), 0);
        for (const char* d : {"qmx01", "qmx02", "qmx1", "qmx001"})
            ASSERT_EQ(mkdir(tmp.file(d).c_str(), 0755), 0);
    }
    CStrArray sorted(CStrArray list) {
        MscListSort(list);
        return list;
    }
    TempDir tmp;
};

TEST_F(MscListingTest, FileListTakesOnlyRegularFiles) {
    CStrArray list;
    EXPECT_EQ(MscFindFileList((tmp.path() + "/*.bup").c_str(), list, true), 2);
    EXPECT_EQ(sorted(list), (CStrArray{"B.BUP", "a.bup"}));

    list.clear();
    EXPECT_EQ(MscFindFileList((tmp.path() + "/*.bup").c_str(), list, false), 1);
    EXPECT_EQ(list, CStrArray{"a.bup"});
}

TEST_F(MscListingTest, DirListAppendsBareNames) {
    CStrArray list{"kept"};
    EXPECT_EQ(MscFindDirList((tmp.path() + "/qmx??").c_str(), list, false), 2);
    EXPECT_EQ(sorted(list), (CStrArray{"kept", "qmx01", "qmx02"}));
}

TEST_F(MscListingTest, ExcludedTypeAndMissingDirectoryGiveNothing) {
    CStrArray list;
    EXPECT_EQ(MscFindDirEntries((tmp.path() + "/*").c_str(), list, MSC_TYPE_REGULAR,
                                MSC_TYPE_REGULAR, false), 0);
    EXPECT_EQ(MscFindFileList((tmp.path() + "/nodir/*").c_str(), list, false), 0);
    EXPECT_TRUE(list.empty());
}

TEST(MscExclusionList, KeepsOrderAndMayWriteIntoAnInput) {
    const CStrArray excluded{"qmx01/qmx0001.so", "other"};
    CStrArray result{"stale"};
    CStrArray all{"c.so", "qmx01/qmx0001.so", "a.so", "c.so"};
    MscExclusionList(all, excluded, result);
    EXPECT_EQ(result, (CStrArray{"c.so", "a.so", "c.so"}));

    MscExclusionList(all, excluded, all);
    EXPECT_EQ(all, result);
}

}  // namespace
