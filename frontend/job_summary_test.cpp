#include "frontend/job_summary.h"

#include <gtest/gtest.h>

#include "test_helpers.h"

TEST(FrontendJobSummary, OneLinePerJobAndOutcome) {
    struct Case {
        const char* cmdLine;
        std::vector<SKernelMessage> msgs;
        const char* expected;
    };
    const Case cases[] = {
        {"-nvu", {TextMessage(CDEdureMsg::eFileName, "a.nvux"), TextMessage(CDEdureMsg::eFileName, "chosen.nvux"),
                  TextMessage(CDEdureMsg::eWarning, "Rebooting system...")},
         "configuration restored from chosen.nvux; the system reboots in 2 minutes"},
        {"-at -o x.bup -narb",
         {TextMessage(CDEdureMsg::eFileName, "x.bup"),
          TextMessage(CDEdureMsg::eWarning, "Automatic reboot skipped. Manual reboot needed to activate new BIOS!")},
         "BIOS updated from x.bup; reboot skipped, a manual reboot is needed"},
        {"-at", {TextMessage(CDEdureMsg::eError, "Invalid password"), TextMessage(CDEdureMsg::eError, "later")},
         "failed: Invalid password"},
        {"-ast -estat", {TextMessage(CDEdureMsg::eWarning, "low battery")},
         "failed: the board module gave no status of the last action (the trace names the reason)"},
        {"-i", {}, "done"},
    };
    for (const Case& c : cases) {
        CJobSummary summary(c.cmdLine);
        for (const SKernelMessage& msg : c.msgs)
            summary.Observe(msg);
        EXPECT_EQ(summary.Text(), c.expected) << c.cmdLine;
    }
}

// The kernel tells a failed combined package only to its log: the package's absence tells the front-end.
TEST(FrontendJobSummary, MakeJobJudgedByThePackageWrittenSinceItBegan) {
    TempDir dir;
    dir.write("old.bup", "made just before, in the same second");
    CJobSummary summary("-d " + dir.path() + " --make -o new.bup -binp a.bup -cinp b.nvux");
    EXPECT_TRUE(summary.FailedSilently());
    EXPECT_EQ(summary.Text(), "failed: no combined package was made (the log file names the reason)");

    dir.write("unrelated.txt", "not a package");
    EXPECT_TRUE(summary.FailedSilently());
    dir.write("new.bup", "package");
    EXPECT_FALSE(summary.FailedSilently());
    EXPECT_EQ(summary.Text(), "combined package made: new.bup");

    summary.Observe(TextMessage(CDEdureMsg::eError, "Can't overwrite file"));
    EXPECT_EQ(summary.Text(), "failed: Can't overwrite file");
    EXPECT_FALSE(summary.FailedSilently()) << "the error message already fails the job";
}

// A module may fail a backup without a word: the archive that was not written tells.
TEST(FrontendJobSummary, BackupJudgedByTheArchiveWrittenSinceItBegan) {
    TempDir dir;
    dir.write("old.nvux", "from last week");
    CJobSummary kept("-d " + dir.path() + " -arc -o old.nvux -ov");
    kept.Observe(TextMessage(CDEdureMsg::eFileName, "old.nvux"));
    EXPECT_TRUE(kept.FailedSilently()) << "the old archive is still the old one";
    EXPECT_EQ(kept.Text(), "failed: the archive old.nvux was not written (the log file names the reason)");
    EXPECT_EQ(kept.Outcome(false).nExitCode, 1);

    CJobSummary made("-d " + dir.path() + " -arc -o \"cfg ?no?.cfg\"");
    made.Observe(TextMessage(CDEdureMsg::eFileName, "cfg 1.cfg"));
    dir.write("cfg 1.cfg", "archive");
    EXPECT_FALSE(made.FailedSilently());
    EXPECT_EQ(made.Text(), "configuration archived to cfg 1.cfg");

    CJobSummary refused("-d " + dir.path() + " -arc -o new.nvux");
    refused.Observe(TextMessage(CDEdureMsg::eFileName, "new.nvux"));
    refused.Observe(TextMessage(CDEdureMsg::eError, "confirmations missing: overwrite"));
    EXPECT_FALSE(refused.FailedSilently()) << "the error already fails the job";
    EXPECT_EQ(refused.Text(), "failed: confirmations missing: overwrite");
}

TEST(FrontendJobSummary, ActionStatusDoneOnlyWhenTheStatusArrived) {
    CJobSummary summary("-ast");
    SKernelMessage info;
    info.eType = CDEdureMsg::eGetGenericModuleInfo;
    info.Info.emplace();
    summary.Observe(info);
    EXPECT_FALSE(summary.FailedSilently());
    EXPECT_EQ(summary.Text(), "action status shown");
}
