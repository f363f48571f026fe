#include "cmdline/qm_cmd_line.h"

#include <gtest/gtest.h>

#include <string>

#include "crypt/xx_crypt.h"

namespace {

TEST(QmCmdLinePasswordTest, PwcBecomesPwdWhateverTheValue) {
    const std::string enc = CXXCrypt(31).Encrypt("bios secret").str();
    std::string tampered = enc;
    tampered[20] = tampered[20] == 'A' ? 'B' : 'A';
    struct { std::string args; const char* plain; } cases[] = {
        {"-at -pwc " + enc, "bios secret"},
        {"-at -pwc \"\"", ""},
        {"-at -pwc", ""},
        {"-at -pwc " + tampered, ""},
    };
    for (const auto& c : cases) {
        CQmCmdLine cl;
        cl.Parse(c.args.c_str());
        ASSERT_TRUE(cl.OptionExists(ePwc)) << c.args;
        cl.DecodePassword();
        EXPECT_EQ(cl.m_csPassword, c.plain) << c.args;
        EXPECT_FALSE(cl.OptionExists(ePwc)) << c.args;
        EXPECT_TRUE(cl.OptionExists(ePwd)) << c.args;
        EXPECT_TRUE(cl.OptionExists(eUpdate)) << c.args;
    }
}

}  // namespace
