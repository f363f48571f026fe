#include "frontend/job_verbs.h"

#include <gtest/gtest.h>

#include "frontend/frontend_error.h"
#include "test_helpers.h"

namespace {

using Words = std::vector<std::string>;

struct SCase {
    Words verb;
    Words job;
};

class JobVerbs : public testing::TestWithParam<SCase> {};

TEST_P(JobVerbs, BecomeTheOptionLanguage) {
    const SVerbJob result = JobVerbTranslate(GetParam().verb);
    EXPECT_EQ(result.job, GetParam().job);
}

INSTANTIATE_TEST_SUITE_P(
    Verbs, JobVerbs,
    testing::Values(SCase{{"update", "new.bup"}, {"-at", "-o", "new.bup"}},
                    SCase{{"update"}, {"-at"}},
                    SCase{{"update", "--allow-older", "new.bup", "--reboot", "--log", "u.log"},
                          {"-at", "-o", "new.bup", "-ov", "-arb", "-lf", "u.log"}},
                    SCase{{"update", "new.bup", "--allow-reinstall", "--no-reboot", "--log=u.log"},
                          {"-at", "-o", "new.bup", "-ov", "-narb", "-lf", "u.log"}},
                    SCase{{"backup"}, {"-arc"}},
                    SCase{{"backup", "cfg.nvux", "--overwrite"}, {"-arc", "-o", "cfg.nvux", "-ov"}},
                    SCase{{"restore", "cfg.nvux", "--reboot"}, {"-nvu", "-o", "cfg.nvux", "-arb"}},
                    SCase{{"last-action"}, {"-ast"}},
                    SCase{{"combine", "--bios", "b.bup", "--config=c.nvux", "-o", "out.bup"},
                          {"--make", "-o", "out.bup", "-binp", "b.bup", "-cinp", "c.nvux"}}));

TEST(JobVerbFlags, StatusPasswordAndFolders) {
    EXPECT_TRUE(JobVerbTranslate({"status"}).fStatus);
    EXPECT_TRUE(JobVerbTranslate({"status"}).job.empty());
    const SVerbJob restore = JobVerbTranslate({"restore", "--password"});
    EXPECT_TRUE(restore.fPassword);
    EXPECT_EQ(restore.job, (Words{"-nvu"}));

    // A folder to update from is scanned rather than named as the package.
    TempDir tmp;
    EXPECT_EQ(JobVerbTranslate({"update", tmp.path()}).job, (Words{"-at", "-d", tmp.path()}));
}

TEST(JobVerbFlags, MistakesAreUsageErrors) {
    for (const Words& verb : {Words{"update", "a.bup", "b.bup"}, Words{"update", "--allow-newer"},
                              Words{"backup", "--log"}, Words{"combine", "--bios", "b.bup", "-o", "out.bup"},
                              Words{"status", "--reboot"}, Words{"last-action", "x"}}) {
        try {
            JobVerbTranslate(verb);
            ADD_FAILURE() << verb[0] << " " << verb.back() << " was taken";
        } catch (const CFrontendError& e) {
            EXPECT_EQ(e.ExitCode(), eExitUsage);
        }
    }
    EXPECT_FALSE(IsJobVerb({"-at"}));
    EXPECT_FALSE(IsJobVerb({"upgrade"}));
    EXPECT_TRUE(IsJobVerb({"update"}));
}

}  // namespace
