#include "frontend/password_prompt.h"

#include <gtest/gtest.h>

#include "cmdline/qm_cmd_line.h"

namespace {

// What the kernel makes of the command line must be the password typed.
TEST(FrontendPassword, EncryptedSwitchDecodesToThePlainText) {
    for (const std::string& csPlain : {std::string("s3cret"), std::string("with blank \"and\" quotes"),
                                       std::string("\xc3\xa4\xc3\xb6\xc3\xbc-umlauts"), std::string(64, 'x')}) {
        SCOPED_TRACE(csPlain);
        const std::string csCmdLine = "-at -o x.bup" + CPasswordPrompt::PwcArgument(csPlain);
        EXPECT_EQ(csCmdLine.find(csPlain), std::string::npos) << "plain text on the command line";
        CQmCmdLine cmd;
        cmd.Parse(csCmdLine.c_str());
        ASSERT_TRUE(cmd.OptionExists(ePwc));
        EXPECT_EQ(cmd.m_csTarget.str(), "x.bup");
        cmd.DecodePassword();
        EXPECT_TRUE(cmd.OptionExists(ePwd));
        EXPECT_EQ(cmd.m_csPassword.str(), csPlain);
    }
}

}  // namespace
