#include "cmdline/command_line_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Records every argument as "F:text" or "N:text", with "!" after the last.
class CRecordingCmdLine : public CCCommandLineInfo {
public:
    explicit CRecordingCmdLine(const char* pszFlags = "-") : CCCommandLineInfo(pszFlags) {}
    void ParseParam(const char* pszParam, bool bFlag, bool bLast) override {
        args.push_back(std::string(bFlag ? "F:" : "N:") + pszParam + (bLast ? "!" : ""));
    }
    void InitVars() override {
        ++nInits;
        args.clear();
    }
    std::vector<std::string> args;
    int nInits = 0;
};

using Args = std::vector<std::string>;

Args Tokens(const char* pszText, const char* pszFlags = "-") {
    CRecordingCmdLine cl(pszFlags);
    cl.Parse(pszText);
    return cl.args;
}

TEST(CommandLineInfoTest, UnquotedArgumentsSplitOnBlanksOnly) {
    EXPECT_EQ(Tokens("  -at   --auto\tx  a\"b  "), (Args{"F:at", "F:-auto\tx", "N:a\"b!"}));
    EXPECT_EQ(Tokens("-"), (Args{"F:!"}));
    EXPECT_EQ(Tokens("/o -o", "-/"), (Args{"F:o", "F:o!"}));
}

TEST(CommandLineInfoTest, QuotedArgumentIsOneArgumentWithDoubledQuotesCollapsed) {
    EXPECT_EQ(Tokens("-o \"/tmp/my \"\"new\"\" bios.bup\" -arb"),
              (Args{"F:o", "N:/tmp/my \"new\" bios.bup", "F:arb!"}));
    EXPECT_EQ(Tokens("\"ab\"cd"), (Args{"N:ab", "N:cd!"}));
    EXPECT_EQ(Tokens("\"\"\"\""), (Args{"N:\"!"}));
}

TEST(CommandLineInfoTest, QuotedFlagIsAFlag) {
    EXPECT_EQ(Tokens("\"-o\" \"-my file\""), (Args{"F:o", "F:my file!"}));
}

TEST(CommandLineInfoTest, MissingClosingQuoteRunsToTheEnd) {
    EXPECT_EQ(Tokens("-o \"a b  "), (Args{"F:o", "N:a b  !"}));
    EXPECT_EQ(Tokens("\""), (Args{"N:!"}));
}

TEST(CommandLineInfoTest, EndOfTextIsNeverAFlagCharacter) {
    // An empty quoted argument has only the terminator where a flag character would be.
    EXPECT_EQ(Tokens("\"\""), (Args{"N:!"}));
    EXPECT_EQ(Tokens("-at \"\" "), (Args{"F:at", "N:!"}));
}

TEST(CommandLineInfoTest, EmptyOrBlankTextResetsButYieldsNoArgument) {
    for (const char* pszText : {"", "    ", static_cast<const char*>(nullptr)}) {
        CRecordingCmdLine cl;
        cl.Parse("-x");
        cl.Parse(pszText);
        EXPECT_EQ(cl.nInits, 2);
        EXPECT_TRUE(cl.args.empty());
    }
}

TEST(CommandLineInfoTest, CmpExact) {
    EXPECT_TRUE(CCCommandLineInfo::CmpExact("-Auto", "-aUTO", true));
    EXPECT_FALSE(CCCommandLineInfo::CmpExact("-Auto", "-auto", false));
    EXPECT_FALSE(CCCommandLineInfo::CmpExact("au", "auto", true));
    EXPECT_TRUE(CCCommandLineInfo::CmpExact("", nullptr, false));
}

}  // namespace
