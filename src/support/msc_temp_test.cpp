#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "support/msc.h"
#include "test_helpers.h"

namespace {

TEST(MscTemporary, FoldersAreFreshAndPrivate) {
    TempDir tmp;
    // Whatever stands under a name already, whoever made it, is left alone.
    tmp.write("RoVOred2000000/theirs", "kept");
    CString first, second;
    ASSERT_EQ(MscTemporaryFolderMake(tmp.path().c_str(), "RoVOred2", first), 1);
    ASSERT_EQ(MscTemporaryFolderMake(tmp.path().c_str(), "RoVOred2", second), 1);
    EXPECT_NE(first.str(), second.str());
    for (const CString& cs : {first, second}) {
        EXPECT_EQ(cs.str().rfind(tmp.file("RoVOred2"), 0), 0u) << cs.str();
        EXPECT_EQ(cs.str().size(), tmp.file("RoVOred2").size() + 6) << cs.str();
        struct stat st {};
        ASSERT_EQ(lstat(cs, &st), 0);
        EXPECT_TRUE(S_ISDIR(st.st_mode));
        EXPECT_EQ(st.st_mode & 07777, 0700u) << "no one else may enter it";
    }
    EXPECT_EQ(TempDir::read(tmp.file("RoVOred2000000/theirs")), "kept");

    CString out = "unchanged";
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
