#include <gtest/gtest.h>

#include "kernel/krnl2_app.h"
#include "test_helpers.h"

namespace {
class ArchiveNames : public testing::Test {
protected:
    void SetUp() override { app.WrkDirSet(dir.path().c_str()); }
    TempDir dir;
    CKrnl2App app;
};
}  // namespace

TEST_F(ArchiveNames, TargetPatternIsNumberedInTheWorkingDirectory) {
    app.JobCmdInfo().m_csTarget = "cfg_?no?.nvux";
    ASSERT_TRUE(app.ConfigurationArchiveFileNamePrepare());
    EXPECT_EQ(app.CurArcPath(), CString(dir.file("cfg_000.nvux").c_str()));
    EXPECT_EQ(app.CurArc().Name(), CString("cfg_000.nvux"));
    EXPECT_TRUE(app.CurArc().m_ArcType == CArcType::eArcTypeArchive);

    dir.write("cfg_000.nvux", "");
    ASSERT_TRUE(app.ConfigurationArchiveFileNamePrepare());
    EXPECT_EQ(app.CurArc().Name(), CString("cfg_001.nvux"));

    app.JobCmdInfo().m_csTarget = (dir.path() + "/sub/fixed.nvux").c_str();
    ASSERT_TRUE(app.ConfigurationArchiveFileNamePrepare());
    EXPECT_EQ(app.CurArcPath(), CString(dir.file("sub/fixed.nvux").c_str())) << "a directory part is kept";
}

TEST_F(ArchiveNames, DefaultNameFromTheBoard) {
    app.Qmx().m_OemInfo.sSystemInfo = "X1";
    ASSERT_TRUE(app.ConfigurationArchiveFileNamePrepare());
    EXPECT_EQ(app.CurArc().Name(), CString("X1_000.nvux"));
    dir.write("X1_000.nvux", "");
    app.NvuxNameDefaultMake();
    EXPECT_EQ(app.CurArcPath(), CString(dir.file("X1_001.nvux").c_str()));

    app.Qmx().m_OemInfo.sSystemInfo = "";
    app.NvuxNameDefaultMake();
    EXPECT_EQ(app.CurArc().Name(), CString("QmArchive_000.nvux"));
}

TEST_F(ArchiveNames, CombinedArchiveGetsBupOnlyInItsName) {
    app.CurArc().m_csName = "out_?no?";
    ASSERT_TRUE(app.CombinedArchiveFileNamePrepare("in.bup"));
    EXPECT_EQ(app.CurArc().Name(), CString("out_000.bup"));
    EXPECT_EQ(app.CurArcPath(), CString("out_000"));

    app.CurArc().m_csName = "Combined.BUP";
    ASSERT_TRUE(app.CombinedArchiveFileNamePrepare("in.bup"));
    EXPECT_EQ(app.CurArc().Name(), CString("Combined.BUP"));

    app.CurArc().m_csName.Empty();
    EXPECT_FALSE(app.CombinedArchiveFileNamePrepare("in.bup")) << "a combined archive needs a target";
}
