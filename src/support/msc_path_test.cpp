#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "support/msc.h"
#include "test_helpers.h"

namespace {

struct SplitCase {
    const char* path;
    const char* dir;
    const char* name;
    const char* ext;
};

// Readable test names in ctest and failure messages.
void PrintTo(const SplitCase& c, std::ostream* os) { *os << '"' << c.path << '"'; }

class MscPathSplitTest : public testing::TestWithParam<SplitCase> {};

TEST_P(MscPathSplitTest, SplitsIntoDirNameAndExtension) {
    const SplitCase& c = GetParam();
    CString dir, name, ext, fullName;
    MscPathSplit(c.path, &dir, &name, &ext);
    EXPECT_STREQ(dir, c.dir);
    EXPECT_STREQ(name, c.name);
    EXPECT_STREQ(ext, c.ext);
    // Without an extension output the name keeps it.
    MscPathSplit(c.path, nullptr, &fullName, nullptr);
    EXPECT_EQ(fullName, name + ext);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, MscPathSplitTest,
    testing::Values(SplitCase{"/opt/qm/D3245.bup", "/opt/qm/", "D3245", ".bup"},
                    SplitCase{"archive.tar.gz", "", "archive.tar", ".gz"},
                    SplitCase{"/top.nvux", "", "top", ".nvux"},
                    SplitCase{"dir.d/file", "dir.d/", "file", ""},
                    SplitCase{"work/", "work/", "", ""}, SplitCase{"", "", "", ""}));

struct RelCase {
    const char* path;
    const char* base;
    int ret;
    const char* out;
};

void PrintTo(const RelCase& c, std::ostream* os) { *os << '"' << c.path << "\" on \"" << c.base << '"'; }

class MscExpandRelPathTest : public testing::TestWithParam<RelCase> {};

TEST_P(MscExpandRelPathTest, JoinsAgainstBase) {
    const RelCase& c = GetParam();
    CString out = "unchanged";
    EXPECT_EQ(MscExpandRelPath(c.path, c.base, out), c.ret);
    EXPECT_STREQ(out, c.out);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, MscExpandRelPathTest,
    testing::Values(RelCase{"/abs/x.so", "/opt/qm", 1, "/abs/x.so"},
                    RelCase{"./x.so", "/opt/qm", 1, "/opt/qm/x.so"},
                    RelCase{"x.so", "/opt/qm", 1, "/opt/qm/x.so"},
                    RelCase{"../x.so", "/opt/qm", 1, "/opt/x.so"},
                    RelCase{"../x.so", "/opt/qm/", 1, "/opt/x.so"},
                    RelCase{"../../x.so", "/opt/qm/bin", 1, "/opt/qm/../x.so"},
                    RelCase{"../x.so", "qm", 1, "./x.so"},
                    RelCase{"../x.so", "", 0, "unchanged"}));

TEST(MscExpandEnvir, ReplacesVariablesUpToTheNextSlash) {
    setenv("QM_TEST_FIFO_DIR", "/run/qm", 1);
    unsetenv("QM_TEST_NOT_SET");
    CString out;
    MscExpandEnvir("$QM_TEST_FIFO_DIR/in.sync", out);
    EXPECT_STREQ(out, "/run/qm/in.sync");
    MscExpandEnvir("$QM_TEST_NOT_SET/x/$", out);
    EXPECT_STREQ(out, "/x/");
    MscExpandEnvir("/plain/path", out);
    EXPECT_STREQ(out, "/plain/path");
    unsetenv("QM_TEST_FIFO_DIR");
}

TEST(MscSymLinkRead, ReadsOnlySymbolicLinks) {
    TempDir tmp;
    const std::string file = tmp.write("target.bin", "x");
    const std::string link = tmp.file("link");
    ASSERT_EQ(symlink(file.c_str(), link.c_str()), 0);

    CString out = "stale";
    EXPECT_EQ(MscSymLinkRead(link.c_str(), out), static_cast<int>(file.size()));
    EXPECT_EQ(out.str(), file);
    EXPECT_EQ(MscSymLinkRead(file.c_str(), out), 0);
    EXPECT_TRUE(out.IsEmpty());
    EXPECT_EQ(MscSymLinkRead(tmp.file("missing").c_str(), out), 0);
}

}  // namespace
