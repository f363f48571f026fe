#include "cmdline/qm_cmd_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace {

using Opts = std::set<E_OPTIONS>;
using Member = CString CQmCmdLine::*;

// Collects the argument texts the enter trace would show.
class CTracedCmdLine : public CQmCmdLine {
public:
    void ParseParam(const char* pszParam, bool bFlag, bool bLast) override {
        shown.push_back(ParamTraceText(pszParam, bFlag).str());
        CQmCmdLine::ParseParam(pszParam, bFlag, bLast);
    }
    std::vector<std::string> shown;
};

Opts Parsed(const char* pszText, CQmCmdLine& cl) {
    cl.Parse(pszText);
    return Opts(cl.m_Options.begin(), cl.m_Options.end());
}

Opts Parsed(const char* pszText) {
    CQmCmdLine cl;
    return Parsed(pszText, cl);
}

TEST(QmCmdLineTest, OptionNamesIgnoreCaseButNotDashes) {
    EXPECT_EQ(Parsed("-AT"), (Opts{eUpdate}));
    EXPECT_EQ(Parsed("--AUTO -at"), (Opts{eUpdate}));
    for (const char* pszText : {"-auto", "--at", "---auto", "-", "-zz"})
        EXPECT_EQ(Parsed(pszText), (Opts{eError})) << pszText;
    EXPECT_EQ(Parsed("-zz -arb"), (Opts{eError, eAllowReboot}));
}

TEST(QmCmdLineTest, PendingParameterRules) {
    struct Case {
        const char* pszText;
        Opts options;
        Member pMember;
        const char* pszValue;
    } cases[] = {
        {"-o -at", {eError, eObjectFile, eUpdate}, &CQmCmdLine::m_csTarget, ""},
        {"-lf -at", {eLogfile, eUpdate}, &CQmCmdLine::m_csLogfile, ""},
        // The optional destination was dropped, so the value is stray.
        {"-lf -at x.log", {eError, eLogfile, eUpdate}, &CQmCmdLine::m_csLogfile, ""},
        {"\"-o\" \"/tmp/my \"\"new\"\" bios.bup\" -arb", {eObjectFile, eAllowReboot},
         &CQmCmdLine::m_csTarget, "/tmp/my \"new\" bios.bup"},
        {"-o \"/tmp/a b", {eObjectFile}, &CQmCmdLine::m_csTarget, "/tmp/a b"},
        // A value is taken once; the second one is stray.
        {"-o a.bup b.bup", {eError, eObjectFile}, &CQmCmdLine::m_csTarget, "a.bup"},
        {"bios.bup -at", {eError, eUpdate}, &CQmCmdLine::m_csTarget, ""},
        {"\"\"", {eError}, &CQmCmdLine::m_csTarget, ""},
    };
    for (const Case& c : cases) {
        CQmCmdLine cl;
        EXPECT_EQ(Parsed(c.pszText, cl), c.options) << c.pszText;
        EXPECT_EQ(cl.*c.pMember, c.pszValue) << c.pszText;
    }
}

TEST(QmCmdLineTest, ParseResetsAllButWorkingDirectoryAndVersion) {
    CQmCmdLine cl;
    cl.Parse("-d /work -o a.bup -lf q.log -pwd pw -binp b -cinp c");
    ASSERT_FALSE(cl.OptionExists(eError));
    cl.m_ClientMsgLevel = 3;
    cl.m_csQuilMarkVersion = "2.0";
    EXPECT_EQ(Parsed("-at", cl), (Opts{eUpdate}));
    EXPECT_EQ(cl.m_csWrkDir, "/work");
    EXPECT_EQ(cl.m_csQuilMarkVersion, "2.0");
    EXPECT_EQ(cl.m_ClientMsgLevel, 10);
    for (Member m : {&CQmCmdLine::m_csTarget, &CQmCmdLine::m_csLogfile,
                     &CQmCmdLine::m_csPassword, &CQmCmdLine::m_csBinp, &CQmCmdLine::m_csCinp})
        EXPECT_EQ(cl.*m, "");
    EXPECT_EQ(Parsed("  ", cl), Opts{});
    // A destination left pending by the previous text survives the reset.
    cl.Parse("-o");
    EXPECT_EQ(Parsed("late.bup", cl), Opts{});
    EXPECT_EQ(cl.m_csTarget, "late.bup");
}

TEST(QmCmdLineTest, OnlyTheValueAfterPwdOrPwcIsHiddenInTheTrace) {
    CTracedCmdLine cl;
    cl.Parse("-pwd secret clear -PWC s2 --crypt k -o x");
    EXPECT_EQ(cl.shown, (std::vector<std::string>{"/pwd", "********", "clear", "/PWC",
                                                    "********", "/-crypt", "k", "/o", "x"}));
    EXPECT_EQ(cl.m_csPassword, "k");
    cl.shown.clear();
    cl.Parse("-pwd -at x");
    EXPECT_EQ(cl.shown, (std::vector<std::string>{"/pwd", "/at", "x"}));
}

TEST(QmCmdLineTest, OptionSetIsOrderedAndPrintable) {
    CQmCmdLine cl;
    CString out;
    EXPECT_STREQ(cl.m_Options.ToString(out), "");
    cl.Parse("-at -zz -o \"a b.bup\" -lf l.txt -d /w -h");
    EXPECT_STREQ(cl.m_Options.ToString(out), "eError, <unknown>, eObjectFile, eUpdate, eLogfile, "
                                             "eWorkingDirectory");
    EXPECT_STREQ(cl.ToString(out), "{eError, <unknown>, eObjectFile, eUpdate, eLogfile, "
                                   "eWorkingDirectory}, m_csTarget='a b.bup', m_csWrkDir='/w', "
                                   "m_csLogfile='l.txt'");
}

TEST(QmCmdLineTest, Option2StrNamesAreDistinctAndUnknownWhereExpected) {
    const Opts unknown{eUsage,  eErrorlevels,     eVersion, eAllowXen,   eInfo,        eMicroCodeUpdate,
                       eAuto,   eForceCoreUpdate, eLoadModule, eForceServer, eNoExtLocate};
    std::set<std::string> names;
    for (int n = eInvalidOption; n <= eNoExtLocate; ++n) {
        std::string name = CQmCmdLine::Option2Str(static_cast<E_OPTIONS>(n));
        if (unknown.count(static_cast<E_OPTIONS>(n)))
            EXPECT_EQ(name, "<unknown>") << n;
        else
            EXPECT_TRUE(name[0] == 'e' && names.insert(name).second) << n << " " << name;
    }
    EXPECT_STREQ(CQmCmdLine::Option2Str(eBootOrderVariablesArea), "eBootOrderVariablesArea");
    EXPECT_STREQ(CQmCmdLine::Option2Str(static_cast<E_OPTIONS>(43)), "<unknown>");
}

TEST(QmCmdLineTest, AnythingBesidesBiosCodeArea) {
    CQmCmdLine cl;
    cl.Parse("-at --debugcode");
    EXPECT_FALSE(cl.is_anything_besides_BiosCodeArea_selected());
    for (const char* pszArea : {"--bootorder", "--nvram", "--systemdata", "--logo", "--passwords"}) {
        cl.Parse(pszArea);
        EXPECT_TRUE(cl.is_anything_besides_BiosCodeArea_selected()) << pszArea;
        cl.Parse((std::string(pszArea) + " --bioscode").c_str());
        EXPECT_FALSE(cl.is_anything_besides_BiosCodeArea_selected()) << pszArea;
    }
}

struct TypedOption {
    const char* pszTyped;
    E_OPTIONS eOption;
    Member pDest = nullptr;
    bool fRequired = false;
    bool fHidden = false;
};

void PrintTo(const TypedOption& t, std::ostream* os) { *os << t.pszTyped; }

class OptionTableTest : public ::testing::TestWithParam<TypedOption> {};

TEST_P(OptionTableTest, SelectsItsOptionAndParameter) {
    const TypedOption& t = GetParam();
    std::string typed = t.pszTyped;
    std::string upper = typed;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    EXPECT_EQ(Parsed(typed.c_str()), Opts{t.eOption});
    EXPECT_EQ(Parsed(upper.c_str()), Opts{t.eOption});

    CTracedCmdLine cl;
    Opts withValue = Parsed((typed + " v-1").c_str(), cl);
    if (!t.pDest) {
        EXPECT_EQ(withValue, (Opts{eError, t.eOption}));
        return;
    }
    EXPECT_EQ(withValue, Opts{t.eOption});
    EXPECT_EQ(cl.*t.pDest, "v-1");
    EXPECT_EQ(cl.shown.at(1), t.fHidden ? "********" : "v-1");
    EXPECT_EQ(Parsed((typed + " -arb").c_str()).count(eError), t.fRequired ? 1u : 0u);
}

using T = TypedOption;
using C = CQmCmdLine;

INSTANTIATE_TEST_SUITE_P(
    AllTexts, OptionTableTest,
    ::testing::Values(
        T{"-at", eUpdate}, T{"--auto", eUpdate}, T{"-h", eUsage}, T{"--help", eUsage},
        T{"-e", eErrorlevels}, T{"--errorlevel", eErrorlevels}, T{"-v", eVersion},
        T{"--version", eVersion}, T{"-i", eInfo}, T{"--info", eInfo},
        T{"-arc", eArchiveConfiguration}, T{"-nvu", eNvramUpdate},
        T{"--nvramupdate", eNvramUpdate}, T{"-mcu", eMicroCodeUpdate},
        T{"--debugcode", eDebugCodeArea}, T{"--bioscode", eBiosCodeArea},
        T{"--passwords", ePasswordArea}, T{"--systemdata", eSystemDataArea},
        T{"--logo", eLogoArea}, T{"--nvram", eNvRamArea},
        T{"--bootorder", eBootOrderVariablesArea}, T{"--crypt", eCrypt, &C::m_csPassword, true},
        T{"-arb", eAllowReboot}, T{"--allowreboot", eAllowReboot}, T{"-narb", eNoReboot},
        T{"--notallowreboot", eNoReboot}, T{"--archive", eArchive}, T{"-ar", eArchive},
        T{"-ov", eOverwrite}, T{"--overwrite", eOverwrite}, T{"-lf", eLogfile, &C::m_csLogfile},
        T{"--logfile", eLogfile, &C::m_csLogfile}, T{"--make", eMake},
        T{"-cinp", eCinp, &C::m_csCinp, true}, T{"-binp", eBinp, &C::m_csBinp, true},
        T{"-pwd", ePwd, &C::m_csPassword, true, true},
        T{"-pwc", ePwc, &C::m_csPassword, true, true}, T{"-estat", eExtendedStatus},
        T{"--extendedstatus", eExtendedStatus}, T{"-o", eObjectFile, &C::m_csTarget, true},
        T{"-d", eWorkingDirectory, &C::m_csWrkDir, true}, T{"-ast", eActionStatus},
        T{"--actionstatus", eActionStatus}, T{"-fcod", eForceCapsuleOnDisk},
        T{"--forcecapsuleondisk", eForceCapsuleOnDisk}, T{"-fpost", eForceCapsulePost},
        T{"--forcecapsulepost", eForceCapsulePost}, T{"-fcu", eForceCoreUpdate},
        T{"--forcecoreupdate", eForceCoreUpdate}, T{"-frf", eForceRuntime},
        T{"--forceruntimeflash", eForceRuntime}, T{"-sbc", eSkipBiosCompare},
        T{"--skipbioscompare", eSkipBiosCompare}, T{"--allowxen", eAllowXen},
        T{"-bmeerr", eBreakOnMeUpdateError}, T{"--breakonmeupdateerror", eBreakOnMeUpdateError}));

}  // namespace
