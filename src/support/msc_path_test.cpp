#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "support/msc.h"
#include "test_helpers.h"

namespace {

TEST(MscPathSplit, SplitsIntoDirNameAndExtension) {
    struct { const char *path, *dir, *name, *ext; } cases[] = {
        {"/opt/qm/D3245.bup", "/opt/qm/", "D3245", ".bup"}, {"archive.tar.gz", "", "archive.tar", ".gz"},
        {"/top.nvux", "", "top", ".nvux"}, {"dir.d/file", "dir.d/", "file", ""},
        {"work/", "work/", "", ""}, {"", "", "", ""}};
    for (const auto& c : cases) {
        CString dir, name, ext, fullName;
        MscPathSplit(c.path, &dir, &name, &ext);
        EXPECT_STREQ(dir, c.dir) << c.path;
        EXPECT_STREQ(name, c.name) << c.path;
        EXPECT_STREQ(ext, c.ext) << c.path;
        // Without an extension output the name keeps it.
        MscPathSplit(c.path, nullptr, &fullName, nullptr);
        EXPECT_EQ(fullName, name + ext) << c.path;
    }
}

TEST(MscExpandRelPath, JoinsAgainstBase) {
    struct { const char *path, *base; int ret; const char* out; } cases[] = {
        {"/abs/x.so", "/opt/qm", 1, "/abs/x.so"}, {"./x.so", "/opt/qm", 1, "/opt/qm/x.so"},
        {"x.so", "/opt/qm", 1, "/opt/qm/x.so"}, {"../x.so", "/opt/qm", 1, "/opt/x.so"},
        {"../x.so", "/opt/qm/", 1, "/opt/x.so"}, {"../../x.so", "/opt/qm/bin", 1, "/opt/qm/../x.so"},
        {"../x.so", "qm", 1, "./x.so"}, {"../x.so", "", 0, "unchanged"}};
    for (const auto& c : cases) {
        CString out = "unchanged";
        EXPECT_EQ(MscExpandRelPath(c.path, c.base, out), c.ret) << c.path << " on " << c.base;
        EXPECT_STREQ(out, c.out) << c.path << " on " << c.base;
    }
}

TEST(MscExpandEnvir, ReplacesVariablesUpToTheNextSlash) {
    setenv("QM_TEST_FIFO_DIR", "/run/qm", 1);
    unsetenv("QM_TEST_NOT_SET");
    CString out;
    MscExpandEnvir("$QM_TEST_FIFO_DIR/in.sync", out);
    EXPECT_STREQ(out, "/run/qm/in.sync");
    MscExpandEnvir("$QM_TEST_NOT_SET/x/$", out);
    EXPECT_STREQ(out, "/x/");
    unsetenv("QM_TEST_FIFO_DIR");
}

TEST(MscSymLinkRead, ReadsOnlySymbolicLinks) {
    TempDir tmp;
    const std::string file = tmp.write("target.bin", "x");
    ASSERT_EQ(symlink(file.c_str(), tmp.file("link").c_str()), 0);
    CString out = "stale";
    EXPECT_EQ(MscSymLinkRead(tmp.file("link").c_str(), out), static_cast<int>(file.size()));
    EXPECT_EQ(out.str(), file);
    EXPECT_EQ(MscSymLinkRead(file.c_str(), out), 0);
    EXPECT_TRUE(out.IsEmpty());
    EXPECT_EQ(MscSymLinkRead(tmp.file("missing").c_str(), out), 0);
}

}  // namespace
