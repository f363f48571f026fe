#include "frontend/frontend_options.h"

#include <gtest/gtest.h>

#include "cmdline/qm_cmd_line.h"
#include "frontend/frontend_error.h"
#include "test_helpers.h"

namespace {

CFrontendOptions Parse(std::vector<std::string> args) { return CFrontendOptions::Parse(args); }

// The kernel must read back exactly the target we were given.
TEST(FrontendQuoting, TargetsSurviveTheKernelTokenizer) {
    const std::vector<std::string> targets = {
        "/plain/x.bup", "/path/with blanks/x.bup", "quote\"inside", "\"", "\"\"", "",
        "tab\there", "  leading and trailing  ", "end with quote\"", "\"start",
    };
    for (const std::string& csTarget : targets) {
        SCOPED_TRACE("target '" + csTarget + "'");
        const CFrontendOptions opts = Parse({"-at", "-o", csTarget, "-arb", "-lf"});
        CQmCmdLine cmd;
        cmd.Parse(opts.CommandLine().c_str());
        EXPECT_EQ(cmd.m_csTarget.str(), csTarget);
        EXPECT_FALSE(cmd.OptionExists(eError));
        EXPECT_TRUE(cmd.OptionExists(eUpdate));
        EXPECT_TRUE(cmd.OptionExists(eAllowReboot));
        EXPECT_TRUE(cmd.OptionExists(eLogfile));
    }
}

TEST(FrontendQuoting, EveryArgumentKeepsItsPlace) {
    // Two awkward arguments in a row must not merge or swap.
    const CFrontendOptions opts = Parse({"-o", "a \"b\" c", "-lf", "", "-d", "dir name"});
    CQmCmdLine cmd;
    cmd.Parse(opts.CommandLine().c_str());
    EXPECT_EQ(cmd.m_csTarget.str(), "a \"b\" c");
    EXPECT_EQ(cmd.m_csLogfile.str(), "");
    EXPECT_EQ(cmd.m_csWrkDir.str(), "dir name");
    EXPECT_FALSE(cmd.OptionExists(eError));
}

TEST(FrontendQuoting, TheFrontEndsDirectoryUnlessTheJobNamesOne) {
    TempDir tmp;
    const std::string dir = tmp.file("my dir");
    tmp.write("my dir/x.bup", "package");
    CQmCmdLine cmd;
    cmd.Parse(Parse({"-at", "-o", "x.bup"}).CommandLine(dir).c_str());
    EXPECT_EQ(cmd.m_csWrkDir.str(), dir);
    EXPECT_EQ(cmd.m_csTarget.str(), "x.bup");

    CQmCmdLine own;
    own.Parse(Parse({"-at", "-d", tmp.path()}).CommandLine(dir).c_str());
    EXPECT_EQ(own.m_csWrkDir.str(), tmp.path());
    EXPECT_FALSE(own.OptionExists(eError));
}

// A password given with -pwd leaves the front-end encrypted, as --password's does.
TEST(FrontendQuoting, PasswordsTravelEncrypted) {
    for (const char* pszSwitch : {"-pwd", "-PWD"}) {
        const std::string cs = Parse({"-at", pszSwitch, "s3cret word", "-o", "x.bup"}).CommandLine();
        EXPECT_EQ(cs.find("s3cret"), std::string::npos) << cs;
        CQmCmdLine cmd;
        cmd.Parse(cs.c_str());
        EXPECT_TRUE(cmd.OptionExists(ePwc)) << cs;
        EXPECT_FALSE(cmd.OptionExists(ePwd)) << cs;
        EXPECT_EQ(cmd.m_csTarget.str(), "x.bup");
        cmd.DecodePassword();
        EXPECT_EQ(cmd.m_csPassword.str(), "s3cret word");
    }
}

TEST(FrontendOptions, FrontEndOptionsStopAtTheJob) {
    const CFrontendOptions opts = Parse({"--json", "--timeout", "5", "--kernel=/k/qmkrnl2", "-at", "--json"});
    EXPECT_TRUE(opts.Json());
    EXPECT_EQ(opts.TimeoutSeconds(), 5);
    EXPECT_EQ(opts.KernelPath(), "/k/qmkrnl2");
    EXPECT_EQ(opts.Job(), (std::vector<std::string>{"-at", "--json"}));

    const CFrontendOptions dashes = Parse({"--timeout=7", "--", "--status"});
    EXPECT_FALSE(dashes.Status());
    EXPECT_EQ(dashes.TimeoutSeconds(), 7);
    EXPECT_EQ(dashes.Job(), std::vector<std::string>{"--status"});
}

TEST(FrontendOptions, KernelLongOptionsStartTheJob) {
    EXPECT_EQ(Parse({"--json", "--auto", "-o", "x.bup"}).Job().front(), "--auto");
    EXPECT_EQ(Parse({"--ActionStatus"}).Job().front(), "--ActionStatus");
}

TEST(FrontendOptions, HelpAndVersionNeedNoJob) {
    EXPECT_TRUE(Parse({"--help"}).Help());
    EXPECT_TRUE(Parse({"--version"}).Version());
    EXPECT_TRUE(Parse({"--status"}).Status());
}

TEST(FrontendOptions, MistakesAreUsageErrors) {
    const std::vector<std::vector<std::string>> mistakes = {
        {},
        {"--json"},
        {"--xyz", "-at"},
        {"--jsonx", "-at"},
        {"--timeout", "0", "-at"},
        {"--timeout", "-5", "-at"},
        {"--timeout", "abc", "-at"},
        {"--timeout", "5s", "-at"},
        {"--timeout", "", "-at"},
        {"--timeout", "99999999999", "-at"},
        {"--timeout"},
        {"--kernel="},
        {"--status", "-at"},
        {"--password", "--status"},
        {"--password", "-at", "-pwd", "secret"},
        {"--password", "-at", "-PWC", "0011"},
    };
    for (const auto& args : mistakes) {
        std::string csArgs;
        for (const auto& cs : args)
            csArgs += "[" + cs + "]";
        try {
            Parse(args);
            ADD_FAILURE() << "accepted: " << csArgs;
        } catch (const CFrontendError& e) {
            EXPECT_EQ(e.ExitCode(), eExitUsage) << csArgs;
            EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos) << "one line: " << e.what();
        }
    }
}

}  // namespace
