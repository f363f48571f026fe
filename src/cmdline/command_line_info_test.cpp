#include "cmdline/command_line_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Args = std::vector<std::string>;

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
    Args args;
    int nInits = 0;
};

TEST(CommandLineInfoTest, SplitsOnBlanksAndQuotes) {
    struct { const char *text, *flags; Args args; } cases[] = {
        {"  -at   --auto\tx  a\"b  ", "-", {"F:at", "F:-auto\tx", "N:a\"b!"}},
        {"-", "-", {"F:!"}},
        {"/o -o", "-/", {"F:o", "F:o!"}},
        // A quoted argument is one argument; doubled quotes stand for one.
        {"-o \"/tmp/my \"\"new\"\" bios.bup\" -arb", "-", {"F:o", "N:/tmp/my \"new\" bios.bup", "F:arb!"}},
        {"\"ab\"cd", "-", {"N:ab", "N:cd!"}},
        {"\"\"\"\"", "-", {"N:\"!"}},
        // A quoted flag is a flag.
        {"\"-o\" \"-my file\"", "-", {"F:o", "F:my file!"}},
        // A missing closing quote runs to the end.
        {"-o \"a b  ", "-", {"F:o", "N:a b  !"}},
        {"\"", "-", {"N:!"}},
        // An empty quoted argument has only the terminator where a flag character would be.
        {"-at \"\" ", "-", {"F:at", "N:!"}},
    };
    for (const auto& c : cases) {
        CRecordingCmdLine cl(c.flags);
        cl.Parse(c.text);
        EXPECT_EQ(cl.args, c.args) << c.text;
    }

    // Empty or blank text resets but yields no argument.
    for (const char* pszText : {"", "    ", static_cast<const char*>(nullptr)}) {
        CRecordingCmdLine cl;
        cl.Parse("-x");
        cl.Parse(pszText);
        EXPECT_EQ(cl.nInits, 2);
        EXPECT_TRUE(cl.args.empty());
    }
    EXPECT_TRUE(CCCommandLineInfo::CmpExact("-Auto", "-aUTO", true));
    EXPECT_FALSE(CCCommandLineInfo::CmpExact("-Auto", "-auto", false));
    EXPECT_FALSE(CCCommandLineInfo::CmpExact("au", "auto", true));
    EXPECT_TRUE(CCCommandLineInfo::CmpExact("", nullptr, false));
}

}  // namespace
