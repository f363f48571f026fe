#include <gtest/gtest.h>

#include "kernel/krnl2_app.h"

TEST(JobCommandLine, ObjectFileNamesTheArchiveOfTheJob) {
    struct Case {
        const char* cmd;
        bool ok;
        const char* name;
        const char* path;
        CArcType::E_ARC_TYPE type;
    } cases[] = {
        {"-at -o \"UPDATE.BUP\"", true, "UPDATE.BUP", "/work/dir/UPDATE.BUP", CArcType::eArcTypeArchive},
        {"-nvu -o \"/a b/conf.Nvux\"", true, "conf.Nvux", "/a b/conf.Nvux", CArcType::eArcTypeArchive},
        {"-at -o image.rom", false, "", "", CArcType::eArcTypeNone},
        {"-at -o noextension", false, "", "", CArcType::eArcTypeNone},
        {"-at", true, "", "", CArcType::eArcTypeNone},
    };
    for (const Case& c : cases) {
        CKrnl2App app;
        app.WrkDirSet("/work/dir");
        EXPECT_EQ(app.JobCommandLineParse(c.cmd), c.ok) << c.cmd;
        EXPECT_STREQ(app.CurArc().Name(), c.name) << c.cmd;
        EXPECT_STREQ(app.CurArcPath(), c.path) << c.cmd;
        EXPECT_TRUE(app.CurArc().m_ArcType == c.type) << c.cmd;
    }
}

TEST(JobCommandLine, WorkingDirectoryLogfileAndConfirmations) {
    CKrnl2App app;
    app.WrkDirSet("/kernel/cwd");
    ASSERT_TRUE(app.JobCommandLineParse("  -at -d /jobs/here// -o x.bup -ov -arb -lf job.log  "));
    EXPECT_STREQ(app.WrkDir(), "/jobs/here");
    EXPECT_STREQ(app.CurArcPath(), "/jobs/here/x.bup") << "relative names are the job's, not the kernel's";
    EXPECT_STREQ(app.Logfile(), "/jobs/here/job.log");
    EXPECT_EQ(app.ConfirmFlags().Value(), CConfirmFlags::BiosOverwrite | CConfirmFlags::BootForUpdate |
                                              CConfirmFlags::BootAfterUpdate);

    ASSERT_TRUE(app.JobCommandLineParse("-at -o y.bup"));
    EXPECT_EQ(app.ConfirmFlags().Value(), 0u) << "confirmations belong to one job";
    EXPECT_STREQ(app.WrkDir(), "/jobs/here") << "the directory of the job's line survives a line without -d";
}

TEST(JobCommandLine, AnOptionOutsideTheLanguageFailsTheParse) {
    CKrnl2App app;
    EXPECT_FALSE(app.JobCommandLineParse("-at -bogus"));
    EXPECT_TRUE(app.JobCmdInfo().OptionExists(eError));
}
