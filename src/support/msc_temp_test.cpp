#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "support/msc.h"
#include "test_helpers.h"

namespace {

bool isDirectory(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

TEST(MscTemporaryNameMake, SkipsTakenNames) {
    TempDir tmp;
    CString name = "qmx2sim";
    ASSERT_EQ(MscTemporaryNameMake(tmp.path().c_str(), name), 1);
    EXPECT_EQ(name.str(), tmp.file("qmx2sim000000"));

    tmp.write("qmx2sim000000", "");
    tmp.write("qmx2sim000001", "");
    name = "qmx2sim";
    ASSERT_EQ(MscTemporaryNameMake(tmp.path().c_str(), name), 1);
    EXPECT_EQ(name.str(), tmp.file("qmx2sim000002"));
}

TEST(MscTemporaryFolderMake, CreatesNextFreeCounter) {
    TempDir tmp;
    CString out;
    ASSERT_EQ(MscTemporaryFolderMake(tmp.path().c_str(), "RoVOred2", out), 1);
    EXPECT_EQ(out.str(), tmp.file("RoVOred2000000"));
    EXPECT_TRUE(isDirectory(out.str()));

    tmp.write("RoVOred2000001", "a file takes the name too");
    ASSERT_EQ(MscTemporaryFolderMake(tmp.path().c_str(), "RoVOred2", out), 1);
    EXPECT_EQ(out.str(), tmp.file("RoVOred2000002"));
    EXPECT_TRUE(isDirectory(out.str()));
}

TEST(MscTemporaryFolderMake, MissingParentFails) {
    TempDir tmp;
    CString out = "unchanged";
    EXPECT_EQ(MscTemporaryFolderMake(tmp.file("missing").c_str(), "p", out), 0);
    EXPECT_STREQ(out, "unchanged");
}

// Saves the temporary-directory variables and puts them back afterwards.
class MscTempDirGetTest : public testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 3; ++i) {
            if (const char* v = std::getenv(kNames[i]))
                m_saved[i] = v;
            unsetenv(kNames[i]);
        }
    }
    void TearDown() override {
        for (int i = 0; i < 3; ++i) {
            if (m_saved[i])
                setenv(kNames[i], m_saved[i]->c_str(), 1);
            else
                unsetenv(kNames[i]);
        }
    }
    static constexpr const char* kNames[3] = {"TEMP", "TMP", "TMPDIR"};
    std::optional<std::string> m_saved[3];
    TempDir a, b, c;
};

TEST_F(MscTempDirGetTest, TakesFirstUsableVariable) {
    CString out;
    setenv("TEMP", a.path().c_str(), 1);
    setenv("TMP", b.path().c_str(), 1);
    setenv("TMPDIR", c.path().c_str(), 1);
    MscTempDirGet(out);
    EXPECT_EQ(out.str(), a.path());

    setenv("TEMP", "", 1);
    MscTempDirGet(out);
    EXPECT_EQ(out.str(), b.path());

    setenv("TEMP", a.file("missing").c_str(), 1);
    unsetenv("TMP");
    MscTempDirGet(out);
    EXPECT_EQ(out.str(), c.path());
}

}  // namespace
