#include "frontend/json_printer.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "test_helpers.h"

using json = nlohmann::ordered_json;

namespace {


std::vector<json> Lines(const std::string& csOut) {
    std::vector<json> lines;
    std::istringstream in(csOut);
    for (std::string csLine; std::getline(in, csLine);)
        lines.push_back(json::parse(csLine));  // throws on anything but one JSON value
    return lines;
}

// A reader of stdout sees one object per line, whatever the kernel's texts hold,
// and the first one names the schema.
TEST(FrontendJson, EveryLineIsOneObjectWhateverTheTexts) {
    std::ostringstream out;
    std::ostringstream err;
    CJsonPrinter printer(out, err);
    SKernelStatus status;
    status.nState = CKrnl2Inter::eQmKrnl2Busy;
    status.pidSession = 77;
    status.csActiveBios = "bad\xff\xfe bytes";
    printer.Status(status);
    printer.Waiting(77);
    printer.Accepted(42);
    printer.Message(TextMessage(CDEdureMsg::eInfo, "two\nlines\r\tand \x01 \x1b[31m"));
    printer.Message(TextMessage(CDEdureMsg::eError, "cut UTF-8 \xc3"));
    SKernelMessage unknown;
    unknown.eType = static_cast<E_DEDURE_MSG>(150);
    unknown.fUnknownType = true;
    printer.Message(unknown);
    printer.Failure("gone \"away\"\n", 3, "");

    std::vector<json> lines;
    ASSERT_NO_THROW(lines = Lines(out.str()));
    ASSERT_EQ(lines.size(), 8u);
    for (const json& line : lines)
        EXPECT_TRUE(line.is_object() && line.contains("event")) << line.dump();
    EXPECT_EQ(lines[0]["event"], "start");
    EXPECT_EQ(lines[0]["schema"], 1);
    EXPECT_FALSE(lines[0]["version"].get<std::string>().empty());
    EXPECT_EQ(lines[1]["session_pid"], 77);
    EXPECT_NE(lines[1]["bios"].get<std::string>().find("\xef\xbf\xbd"), std::string::npos) << "replacement char";
    EXPECT_EQ(lines[4]["text"], "two\nlines\r\tand \x01 \x1b[31m");
    EXPECT_EQ(lines[6]["kind"], "message_150");
    EXPECT_EQ(lines[7]["exit_code"], 3);
    EXPECT_FALSE(lines[7].contains("hint")) << "no field is sent empty";
    EXPECT_NE(err.str().find("gone"), std::string::npos) << "failures are told on stderr as well";
}

// The names a fleet tool matches on are words, never the kernel's enumerators,
// and fields without a value are left out rather than sent empty.
TEST(FrontendJson, StableNamesAndNoEmptyFields) {
    std::ostringstream out;
    std::ostringstream err;
    CJsonPrinter printer(out, err);
    SKernelMessage empty;
    empty.eType = CDEdureMsg::eEmpty;
    printer.Message(empty);
    SKernelMessage candidate;
    candidate.eType = CDEdureMsg::eCheckFileResultEx;
    candidate.fCandidateEx = true;
    candidate.Candidate.emplace();
    candidate.Candidate->m_csName = "same.bup";
    candidate.Candidate->m_Usability = CBupUsability::USABILITY_EQUAL_VERSION;
    candidate.Candidate->m_Consistency = CBupConsistency::CONSISTENCY_INCOMPLETE_VALID_BY_USER;
    candidate.Candidate->m_confirmflags = CConfirmFlags(CConfirmFlags::BiosOverwrite | CConfirmFlags::BootForUpdate);
    candidate.Candidate->m_UsageFlags = CUsageFlags(CUsageFlags::BiosUpdate | CUsageFlags::LogoArea);
    printer.Message(candidate);
    SJobOutcome outcome;
    outcome.nExitCode = 1;
    outcome.csJob = "update";
    outcome.csSummary = "failed: confirmations missing: overwrite";
    outcome.csReboot = "none";
    outcome.csHint = "add --allow-reinstall";
    printer.Done(outcome);

    const std::vector<json> lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 3u) << "the empty separator is not an event";
    const json& c = lines[1]["candidate"];
    EXPECT_EQ(lines[1]["kind"], "candidate");
    EXPECT_EQ(c["verdict"], "same");
    EXPECT_EQ(c["consistency"], "incomplete_by_user");
    EXPECT_EQ(c["confirm"], json::parse(R"(["bios_overwrite","reboot_for_update"])"));
    EXPECT_EQ(c["areas"], json::parse(R"(["bios","logo"])"));
    EXPECT_EQ(lines[2], json::parse(R"({"event":"done","exit_code":1,"result":"failed","job":"update",
        "summary":"failed: confirmations missing: overwrite","reboot":"none","hint":"add --allow-reinstall"})"));
}

TEST(FrontendJson, PayloadFieldsByShape) {
    SKernelMessage progress;
    progress.eType = CDEdureMsg::eProgress;
    progress.Values = {12999};
    json event;
    CJsonPrinter::PayloadAdd(progress, event);
    EXPECT_EQ(event["value"], 12999);
    EXPECT_EQ(event["percent"], 100);

    SKernelMessage info;
    info.eType = CDEdureMsg::eGetGenericModuleInfo;
    info.Info.emplace();
    info.Info->m_csFirstParameter = "first";
    info.Info->m_Values.emplace("k", "v1");
    info.Info->m_Values.emplace("k", "v2");
    event = json::object();
    CJsonPrinter::PayloadAdd(info, event);
    EXPECT_EQ(event["info"]["first"], "first");
    EXPECT_EQ(event["info"]["values"], json::parse(R"([["k","v1"],["k","v2"]])"));

    SKernelMessage bad;
    bad.eType = CDEdureMsg::eProgress;
    bad.fBadRecord = true;
    event = json::object();
    EXPECT_NO_THROW(CJsonPrinter::PayloadAdd(bad, event)) << "a bad record has no value to work on";
    EXPECT_EQ(event["bad_record"], true);
}

}  // namespace
