#include "frontend/quillmark_app.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

namespace {

// Only paths that end before a kernel is looked for.
struct FrontendApp : ::testing::Test {
    std::ostringstream out;
    std::ostringstream err;
    int Run(const std::vector<std::string>& args) { return CQuillmarkApp::Run(args, out, err, false); }
};

TEST_F(FrontendApp, UsageErrorsExitTwoWithAHint) {
    EXPECT_EQ(Run({"--frobnicate", "-at"}), 2);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("'--frobnicate'"), std::string::npos);
    EXPECT_NE(err.str().find("try 'quillmark --help'"), std::string::npos);
}

TEST_F(FrontendApp, UsageErrorInJsonModeIsAFailureObject) {
    EXPECT_EQ(Run({"--json", "--timeout", "0", "-at"}), 2);
    const nlohmann::json event = nlohmann::json::parse(out.str());
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

}  // namespace
