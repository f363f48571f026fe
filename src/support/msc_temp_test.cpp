#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "support/msc.h"
#include "test_helpers.h"

namespace {

TEST(MscTemporary, NamesAndFoldersSkipTakenNames) {
    TempDir tmp;
    CString name = "qmx2sim";
    ASSERT_EQ(MscTemporaryNameMake(tmp.path().c_str(), name), 1);
    EXPECT_EQ(name.str(), tmp.file("qmx2sim000000"));
    tmp.write("qmx2sim000000", "");
    tmp.write("qmx2sim000001", "");
    name = "qmx2sim";
    ASSERT_EQ(MscTemporaryNameMake(tmp.path().c_str(), name), 1);
    EXPECT_EQ(name.str(), tmp.file("qmx2sim000002"));

    CString out;
    ASSERT_EQ(MscTemporaryFolderMake(tmp.path().c_str(), "RoVOred2", out), 1);
    EXPECT_EQ(out.str(), tmp.file("RoVOred2000000"));
    EXPECT_TRUE(std::filesystem::is_directory(out.str()));
    tmp.write("RoVOred2000001", "a file takes the name too");
    ASSERT_EQ(MscTemporaryFolderMake(tmp.path().c_str(), "RoVOred2", out), 1);
    EXPECT_EQ(out.str(), tmp.file("RoVOred2000002"));
    EXPECT_TRUE(std::filesystem::is_directory(out.str()));

    out = "unchanged";
    EXPECT_EQ(MscTemporaryFolderMake(tmp.file("missing").c_str(), "p", out), 0);
    EXPECT_STREQ(out, "unchanged");
}

TEST(MscTempDirGet, TakesFirstUsableVariable) {
    const char* const names[3] = {"TEMP", "TMP", "TMPDIR"};
    std::optional<std::string> saved[3];
    for (int i = 0; i < 3; ++i)
        if (const char* v = std::getenv(names[i]))
            saved[i] = v;
    TempDir a, b, c;
    setenv("TMPDIR", c.path().c_str(), 1);
    // TEMP, TMP, the expected directory: empty and missing directories are skipped.
    const std::string cases[][3] = {{a.path(), b.path(), a.path()}, {"", b.path(), b.path()},
                                    {a.file("missing"), "", c.path()}};
    for (const auto& c3 : cases) {
        setenv("TEMP", c3[0].c_str(), 1);
        setenv("TMP", c3[1].c_str(), 1);
        CString out;
        MscTempDirGet(out);
        EXPECT_EQ(out.str(), c3[2]);
    }
    for (int i = 0; i < 3; ++i)
        saved[i] ? setenv(names[i], saved[i]->c_str(), 1) : unsetenv(names[i]);
}

}  // namespace
