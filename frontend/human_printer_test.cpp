#include "frontend/human_printer.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

SKernelMessage Msg(E_DEDURE_MSG eType, std::vector<std::string> texts, std::vector<int> values = {}) {
    SKernelMessage msg;
    msg.eType = eType;
    msg.Texts = std::move(texts);
    msg.Values = std::move(values);
    return msg;
}

SKernelMessage Progress(int nValue) { return Msg(CDEdureMsg::eProgress, {}, {nValue}); }

struct FrontendHuman : ::testing::Test {
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(FrontendHuman, PlainProgressOnlyOnWholePercentChange) {
    CHumanPrinter printer(out, err, false);
    for (int nValue : {0, 49, 99, 5000, 5049, 5099, 5100, -20, 10000, 12000})
        printer.Message(Progress(nValue));
    EXPECT_EQ(out.str(), "progress: 0%\nprogress: 50%\nprogress: 51%\nprogress: 0%\nprogress: 100%\n");
}

TEST_F(FrontendHuman, TerminalBarEndsItsLineBeforeOtherOutput) {
    CHumanPrinter printer(out, err, true);
    printer.Message(Progress(5000));
    printer.Message(Progress(5050));  // same percent: no redraw
    printer.Message(Msg(CDEdureMsg::eError, {"flash failed"}));
    printer.Message(Progress(5000));  // same percent, but the bar was pushed away
    printer.Message(Msg(CDEdureMsg::eAction, {"BIOS update"}));
    SJobOutcome outcome;
    outcome.nExitCode = 1;
    outcome.csSummary = "failed: flash failed";
    outcome.csHint = "try again";
    printer.Done(outcome);
    EXPECT_EQ(out.str(),
              "\r[##########          ]  50%\n"
              "\r[##########          ]  50%\n"
              "action: BIOS update\n");
    EXPECT_EQ(err.str(), "error: flash failed\nresult: failed: flash failed\nhint: try again\n");
}

TEST_F(FrontendHuman, OddMessagesNeverCrash) {
    CHumanPrinter printer(out, err, false);
    SKernelMessage unknown;
    unknown.eType = static_cast<E_DEDURE_MSG>(150);
    unknown.fUnknownType = true;
    printer.Message(unknown);
    SKernelMessage bad = Msg(CDEdureMsg::eShutDown, {});
    bad.fBadRecord = true;
    printer.Message(bad);
    printer.Message(Msg(CDEdureMsg::eShutDown, {}, {99}));
    EXPECT_EQ(out.str(), "message 150\nshutdown: unknown request (99)\n");
    EXPECT_NE(err.str().find("message 114"), std::string::npos);
}

TEST_F(FrontendHuman, ModuleInfoIsAnAlignedTable) {
    CHumanPrinter printer(out, err, false);
    SKernelMessage msg = Msg(CDEdureMsg::eGetGenericModuleInfo, {});
    msg.Info.emplace();
    msg.Info->m_csFirstParameter = "qmxsim";
    msg.Info->m_Values.emplace("A", "1");
    msg.Info->m_Values.emplace("LongerKey", "2");
    printer.Message(msg);
    EXPECT_EQ(out.str(),
              "module info: qmxsim\n"
              "  A         : 1\n"
              "  LongerKey : 2\n");
}

TEST_F(FrontendHuman, CandidatesFormOneAlignedTableBeforeTheNextLine) {
    CHumanPrinter printer(out, err, false);
    auto candidate = [&](const char* name, const char* bios, CBupUsability::e_usability usability) {
        SKernelMessage msg = Msg(CDEdureMsg::eCheckFileResult, {});
        msg.Candidate.emplace();
        msg.Candidate->m_csName = name;
        msg.Candidate->m_csBiosVer = bios;
        msg.Candidate->m_Usability = usability;
        msg.Candidate->m_Consistency = CBupConsistency::CONSISTENCY_COMPLETE_VALID;
        msg.Candidate->m_confirmflags.Set(CConfirmFlags::BiosOverwrite);
        printer.Message(msg);
    };
    candidate("long-name.bup", "R1.22", CBupUsability::USABILITY_OLDER_VERSION);
    candidate("x.bup", "2.0", CBupUsability::USABILITY_OLDER_VERSION);
    EXPECT_EQ(out.str(), "") << "held until the table is complete";
    printer.Message(Msg(CDEdureMsg::eAction, {"Selecting file"}));
    const std::string text = out.str();
    const size_t header = text.find("CANDIDATE");
    const size_t first = text.find("long-name.bup");
    const size_t second = text.find("x.bup");
    ASSERT_NE(header, std::string::npos);
    ASSERT_LT(first, second);
    EXPECT_LT(second, text.find("action: Selecting file")) << "the table comes before the next line";
    // Columns line up: the version starts at the same offset in each row.
    const size_t lineStart = text.rfind('\n', second) + 1;
    EXPECT_EQ(text.find("BIOS", header) - header, text.find("2.0", second) - lineStart);
    EXPECT_EQ(text.find("R1.22") - first, text.find("2.0", second) - lineStart);
    EXPECT_NE(text.find("older than installed"), std::string::npos);
}

}  // namespace
