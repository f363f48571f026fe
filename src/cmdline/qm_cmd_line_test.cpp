#include "cmdline/qm_cmd_line.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

using Opts = std::set<E_OPTIONS>;
using Member = CString CQmCmdLine::*;
using C = CQmCmdLine;

// Collects the argument texts the enter trace would show.
class CTracedCmdLine : public CQmCmdLine {
public:
    void ParseParam(const char* pszParam, bool bFlag, bool bLast) override {
        shown.push_back(ParamTraceText(pszParam, bFlag).str());
        CQmCmdLine::ParseParam(pszParam, bFlag, bLast);
    }
    std::vector<std::string> shown;
};

Opts Parsed(const std::string& text, CQmCmdLine& cl) {
    cl.Parse(text.c_str());
    return Opts(cl.m_Options.begin(), cl.m_Options.end());
}

Opts Parsed(const std::string& text) {
    CQmCmdLine cl;
    return Parsed(text, cl);
}

TEST(QmCmdLineTest, OptionErrorsAndPendingValues) {
    struct { const char* text; Opts options; Member member = &C::m_csTarget; const char* value = ""; } cases[] = {
        // Names ignore case but not dashes.
        {"--AUTO -AT", {eUpdate}}, {"-auto", {eError}}, {"--at", {eError}}, {"---auto", {eError}},
        {"-", {eError}}, {"-zz -arb", {eError, eAllowReboot}},
        // A required value may not be a flag and stays pending; a dropped optional one makes a later value stray.
        {"-o -at", {eError, eObjectFile, eUpdate}},
        {"-o -at x", {eError, eObjectFile, eUpdate}, &C::m_csTarget, "x"},
        {"-lf -at", {eLogfile, eUpdate}, &C::m_csLogfile},
        {"-lf -at x.log", {eError, eLogfile, eUpdate}, &C::m_csLogfile},
        {"\"-o\" \"/tmp/my \"\"new\"\" bios.bup\" -arb", {eObjectFile, eAllowReboot}, &C::m_csTarget,
         "/tmp/my \"new\" bios.bup"},
        {"-o \"/tmp/a b", {eObjectFile}, &C::m_csTarget, "/tmp/a b"},
        // A value is taken once; the second one is stray.
        {"-o a.bup b.bup", {eError, eObjectFile}, &C::m_csTarget, "a.bup"},
        {"bios.bup -at", {eError, eUpdate}}, {"\"\"", {eError}},
    };
    for (const auto& c : cases) {
        CQmCmdLine cl;
        EXPECT_EQ(Parsed(c.text, cl), c.options) << c.text;
        EXPECT_EQ(cl.*c.member, c.value) << c.text;
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
    for (Member m : {&C::m_csTarget, &C::m_csLogfile, &C::m_csPassword, &C::m_csBinp, &C::m_csCinp})
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
    EXPECT_EQ(cl.shown, (std::vector<std::string>{"/pwd", "********", "clear", "/PWC", "********", "/-crypt",
                                                    "k", "/o", "x"}));
    EXPECT_EQ(cl.m_csPassword, "k");
    cl.shown.clear();
    cl.Parse("-pwd -at x");
    EXPECT_EQ(cl.shown, (std::vector<std::string>{"/pwd", "/at", "x"}));
}

// The shown line is what records keep: no password however it was given.
TEST(QmCmdLineTest, ShownTextHidesEveryPassword) {
    CQmCmdLine cl;
    cl.Parse("-at -o \"my pkg.bup\" -pwd secret --crypt k2 -pwc 00ff -lf x.log");
    EXPECT_EQ(cl.ShownText(), "-at -o \"my pkg.bup\" -pwd ******** --crypt ******** -pwc ******** -lf x.log");
    cl.Parse("-arc");
    EXPECT_EQ(cl.ShownText(), "-arc") << "a new line starts afresh";
}

TEST(QmCmdLineTest, PrintableAndAreaQuery) {
    CQmCmdLine cl;
    CString out;
    EXPECT_STREQ(cl.m_Options.ToString(out), "");
    cl.Parse("-at -zz -o \"a b.bup\" -lf l.txt -d /w -h");
    EXPECT_STREQ(cl.ToString(out), "{eError, <unknown>, eObjectFile, eUpdate, eLogfile, eWorkingDirectory}, "
                                   "m_csTarget='a b.bup', m_csWrkDir='/w', m_csLogfile='l.txt'");
    cl.Parse("-at --debugcode");
    EXPECT_FALSE(cl.is_anything_besides_BiosCodeArea_selected());
    for (const char* pszArea : {"--bootorder", "--nvram", "--systemdata", "--logo", "--passwords"}) {
        cl.Parse(pszArea);
        EXPECT_TRUE(cl.is_anything_besides_BiosCodeArea_selected()) << pszArea;
        cl.Parse((std::string(pszArea) + " --bioscode").c_str());
        EXPECT_FALSE(cl.is_anything_besides_BiosCodeArea_selected()) << pszArea;
    }
}

TEST(QmCmdLineTest, EveryOptionTextSelectsItsOptionAndParameter) {
    // Up to two texts, the option, the parameter's destination, whether it is required and hidden.
    struct {
        const char* texts[2];
        E_OPTIONS eOption;
        Member pDest = nullptr;
        bool fRequired = false, fHidden = false;
    } rows[] = {
        {{"-at", "--auto"}, eUpdate}, {{"-h", "--help"}, eUsage}, {{"-e", "--errorlevel"}, eErrorlevels},
        {{"-v", "--version"}, eVersion}, {{"-i", "--info"}, eInfo}, {{"-arc"}, eArchiveConfiguration},
        {{"-nvu", "--nvramupdate"}, eNvramUpdate}, {{"-mcu"}, eMicroCodeUpdate},
        {{"--debugcode"}, eDebugCodeArea}, {{"--bioscode"}, eBiosCodeArea}, {{"--passwords"}, ePasswordArea},
        {{"--systemdata"}, eSystemDataArea}, {{"--logo"}, eLogoArea}, {{"--nvram"}, eNvRamArea},
        {{"--bootorder"}, eBootOrderVariablesArea}, {{"--crypt"}, eCrypt, &C::m_csPassword, true},
        {{"-arb", "--allowreboot"}, eAllowReboot}, {{"-narb", "--notallowreboot"}, eNoReboot},
        {{"--archive", "-ar"}, eArchive}, {{"-ov", "--overwrite"}, eOverwrite},
        {{"-lf", "--logfile"}, eLogfile, &C::m_csLogfile}, {{"--make"}, eMake},
        {{"-cinp"}, eCinp, &C::m_csCinp, true}, {{"-binp"}, eBinp, &C::m_csBinp, true},
        {{"-pwd"}, ePwd, &C::m_csPassword, true, true}, {{"-pwc"}, ePwc, &C::m_csPassword, true, true},
        {{"-estat", "--extendedstatus"}, eExtendedStatus}, {{"-o"}, eObjectFile, &C::m_csTarget, true},
        {{"-d"}, eWorkingDirectory, &C::m_csWrkDir, true}, {{"-ast", "--actionstatus"}, eActionStatus},
        {{"-fcod", "--forcecapsuleondisk"}, eForceCapsuleOnDisk},
        {{"-fpost", "--forcecapsulepost"}, eForceCapsulePost}, {{"-fcu", "--forcecoreupdate"}, eForceCoreUpdate},
        {{"-frf", "--forceruntimeflash"}, eForceRuntime}, {{"-sbc", "--skipbioscompare"}, eSkipBiosCompare},
        {{"--allowxen"}, eAllowXen}, {{"-bmeerr", "--breakonmeupdateerror"}, eBreakOnMeUpdateError},
    };
    for (const auto& r : rows) {
        for (const char* pszText : r.texts) {
            if (!pszText)
                continue;
            const std::string typed = pszText;
            CTracedCmdLine cl;
            const Opts withValue = Parsed(typed + " v-1", cl);
            if (!r.pDest) {
                EXPECT_EQ(withValue, (Opts{eError, r.eOption})) << typed;
                continue;
            }
            EXPECT_EQ(withValue, Opts{r.eOption}) << typed;
            EXPECT_EQ(cl.*r.pDest, "v-1") << typed;
            EXPECT_EQ(cl.shown.at(1), r.fHidden ? "********" : "v-1") << typed;
            EXPECT_EQ(Parsed(typed + " -arb").count(eError), r.fRequired ? 1u : 0u) << typed;
        }
    }
}

}  // namespace
