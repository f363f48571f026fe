#include "frontend/quillmark_app.h"

#include "cmdline/option_table.h"
#include "frontend/job_options_help.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

namespace {

// Only paths that end before a kernel is looked for.
struct FrontendApp : ::testing::Test {
    std::ostringstream out;
    std::ostringstream err;
    int Run(const std::vector<std::string>& args) { return CQuillmarkApp::Run(args, out, err, false); }
    // The stream opens with the schema object; the failure comes after it.
    nlohmann::json LastJson() const {
        std::istringstream in(out.str());
        std::string csLine, csLast;
        while (std::getline(in, csLine))
            csLast = csLine;
        return nlohmann::json::parse(csLast);
    }
};

TEST_F(FrontendApp, UsageErrorsExitTwoWithAHint) {
    EXPECT_EQ(Run({"--frobnicate", "-at"}), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("'--frobnicate'"), std::string::npos);
    EXPECT_NE(err.str().find("try 'quillmark --help'"), std::string::npos);
}

TEST_F(FrontendApp, UsageErrorInJsonModeIsAFailureObject) {
    EXPECT_EQ(Run({"--json", "--timeout", "0", "-at"}), 2);
    const nlohmann::json event = LastJson();
    EXPECT_EQ(event["event"], "failure");
    EXPECT_EQ(event["exit_code"], 2);
}

TEST_F(FrontendApp, HelpListsTheExitCodes) {
    EXPECT_EQ(Run({"--help"}), 0);
    for (const char* psz : {"0    job done without an error message", "  130  interrupted\n", "quillmark --status"})
        EXPECT_NE(out.str().find(psz), std::string::npos) << psz;
    out.str("");
    EXPECT_EQ(Run({"--version"}), 0);
    EXPECT_EQ(out.str().rfind("quillmark ", 0), 0u);
}

// What people type first asks for help rather than sending an empty job.
TEST_F(FrontendApp, DashHAndQuestionMarkShowTheHelp) {
    for (const char* psz : {"-h", "-H", "-?"}) {
        out.str("");
        EXPECT_EQ(Run({psz}), 0) << psz;
        EXPECT_NE(out.str().find("quillmark --status"), std::string::npos) << psz;
    }
}

// A job the kernel could not parse ends here with exit 2, before any kernel is
// looked for (the named kernel does not exist), naming the word and the fix.
TEST_F(FrontendApp, AMistypedJobIsAUsageErrorAtOnce) {
    EXPECT_EQ(Run({"--kernel", "/nonexistent/qmkrnl2", "-atx"}), 2);
    EXPECT_NE(err.str().find("'-atx' is not an option; did you mean '-at'?"), std::string::npos) << err.str();
    err.str("");
    EXPECT_EQ(Run({"--kernel", "/nonexistent/qmkrnl2", "-at", "-o"}), 2);
    EXPECT_NE(err.str().find("'-o' needs a parameter"), std::string::npos) << err.str();
    out.str("");
    EXPECT_EQ(Run({"--json", "--kernel", "/nonexistent/qmkrnl2", "upgrade", "new.bup"}), 2);
    const nlohmann::json event = LastJson();
    EXPECT_NE(event["message"].get<std::string>().find("'upgrade'"), std::string::npos) << out.str();
}

}  // namespace

namespace {

// The help follows the option table: a shown option without a line fails here.
TEST_F(FrontendApp, HelpHasALineForEveryShownJobOption) {
    EXPECT_EQ(Run({"--help"}), 0);
    const std::string csHelp = out.str();
    for (const SQmOptionRow& row : g_QmOptionTable) {
        if (row.fHidden) {
            EXPECT_EQ(csHelp.find(std::string("  -") + row.apszTexts[0] + " "), std::string::npos)
                << "hidden option shown: " << row.apszTexts[0];
            continue;
        }
        EXPECT_NE(JobOptionDescription(row.eOption), nullptr) << row.apszTexts[0];
        EXPECT_NE(csHelp.find(std::string("  -") + row.apszTexts[0]), std::string::npos) << row.apszTexts[0];
    }
    EXPECT_EQ(csHelp.find("(no description)"), std::string::npos);
    EXPECT_EQ(csHelp.find("eError"), std::string::npos) << "no enumerator in the help";
}

}  // namespace
