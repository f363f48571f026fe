#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/msc.h"
#include "test_helpers.h"

namespace {

TEST(MscRegularMatch, Wildcards) {
    struct { const char *pattern, *text; bool fIgnoreCase; int ret; } cases[] = {
        // case; "?" takes exactly one character
        {"*.bup", "D3245-A1.BUP", false, 2}, {"*.bup", "D3245-A1.BUP", true, 1},
        {"BupInfo2.xml", "bupinfo2.XML", true, 1}, {"BupInfo2.xml", "bupinfo2.XML", false, 0},
        {"qmx??", "qmx01", false, 1}, {"qmx??", "qmx1", false, 0}, {"qmx??", "qmx012", false, 0},
        // "*" runs; 2 means the text ran out while a "*" was expanded
        {"*", "", false, 1}, {"a*", "a", false, 1}, {"*.*", "noext", false, 2}, {"*.*", "a.b", false, 1},
        {"a*b*c", "axxbyyc", false, 1}, {"a*b*c", "axxbyy", false, 2}, {"a**c", "abc", false, 1},
        {"ab", "abc", false, 0},
        // sets and ranges
        {"v[0-9]", "v9", false, 1}, {"v[0-9]", "va", false, 0}, {"v[a-cx]", "vx", false, 1},
        {"v[A-C]", "vb", true, 1}, {"v[a-c]", "VB", true, 1}, {"v[!0-9]", "va", false, 1},
        {"v[!0-9]", "v5", false, 0},
        {"v[^ab]", "vc", false, 1}, {"v[^ab]", "va", false, 0}, {"v[-x]", "v-", false, 1},
        {"v[x-]", "v-", false, 1}, {"v[!-]", "v-", false, 0}, {"v[a-c]", "v-", false, 0},
        {"v[]", "v", false, 0},
        // escapes
        {"a\\*", "a*", false, 1}, {"a\\*", "ab", false, 0}, {"v[\\]]", "v]", false, 1},
        {"v[a\\-c]", "vb", false, 0}, {"v[a\\-c]", "v-", false, 1},
        // an unclosed set never matches
        {"v[abc", "va", false, 0}, {"v[abc", "v[abc", false, 0}, {"*[abc", "xa", false, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MscRegularMatch(c.pattern, c.text, c.fIgnoreCase), c.ret)
            << "'" << c.pattern << "' vs '" << c.text << "'" << (c.fIgnoreCase ? " (icase)" : "");

    // Abandoning on an exhausted text keeps many stars linear instead of exponential.
    EXPECT_EQ(MscRegularMatch("*a*a*a*a*a*a*a*a*a*a*a*b", std::string(200, 'a').c_str(), false), 2);
}

TEST(MscListing, AppendsBareNamesOfOneEntryType) {
    TempDir tmp;
    for (const char* name : {"a.bup", "B.BUP", "readme.txt"})
        tmp.write(name, "x");
    for (const char* dir : {"dir.bup", "qmx01", "qmx02", "qmx1", "qmx001"})
        ASSERT_EQ(mkdir(tmp.file(dir).c_str(), 0755), 0);
    ASSERT_EQ(symlink("a.bup", tmp.file("link.bup").c_str()), 0);
    auto sorted = [](CStrArray list) {
        MscListSort(list);
        return list;
    };

    CStrArray list{"kept"};
    EXPECT_EQ(MscFindFileList((tmp.path() + "/*.bup").c_str(), list, true), 2);
    EXPECT_EQ(sorted(list), (CStrArray{"B.BUP", "a.bup", "kept"}));
    list.clear();
    EXPECT_EQ(MscFindFileList((tmp.path() + "/*.bup").c_str(), list, false), 1);
    EXPECT_EQ(MscFindDirList((tmp.path() + "/qmx??").c_str(), list, false), 2);
    EXPECT_EQ(sorted(list), (CStrArray{"a.bup", "qmx01", "qmx02"}));

    list.clear();
    EXPECT_EQ(MscFindDirEntries((tmp.path() + "/*").c_str(), list, MSC_TYPE_REGULAR, MSC_TYPE_REGULAR, false), 0);
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
