#include "frontend/json_printer.h"

#include <nlohmann/json.hpp>

#include "frontend/json_words.h"
#include "frontend/message_words.h"
#include "frontend/remedy_hint.h"

using json = nlohmann::ordered_json;

namespace {

json CandidateJson(const CBupAssessmentEx& c, bool fExtended) {
    json j = {
        {"name", c.Name().str()},
        {"bios_version", c.BiosVer().str()},
        {"file_type", FileTypeName(c.m_ArcType.Get())},
        {"verdict", VerdictName(c.m_Usability)},
        {"consistency", ConsistencyName(c.m_Consistency)},
        {"confirm", ConfirmNames(c.m_confirmflags)},
        {"build_time", static_cast<long long>(c.m_BuildTime.GetTime())},
    };
    // Only the extended form knows the areas.
    if (fExtended)
        j["areas"] = AreaNames(c.m_UsageFlags);
    return j;
}

}  // namespace

void CJsonPrinter::StartEnsure() {
    if (!m_fStarted) {
        m_fStarted = true;
        Emit({{"event", "start"}, {"schema", kJsonSchema}, {"version", QM_FRONTEND_VERSION}});
    }
}

void CJsonPrinter::Emit(const json& event) {
    StartEnsure();
    m_out << event.dump(-1, ' ', false, json::error_handler_t::replace) << '\n' << std::flush;
}

void CJsonPrinter::Status(const SKernelStatus& status) {
    json event = {
        {"event", "status"},
        {"state", status.StateName()},
        {"state_code", status.nState},
    };
    // A board without an ME firmware, or a kernel in an error state, has no text to tell.
    for (const auto& text : {std::make_pair("bios", &status.csActiveBios), std::make_pair("system", &status.csSystem),
                             std::make_pair("me_firmware", &status.csMeFirmware)})
        if (!text.second->empty())
            event[text.first] = *text.second;
    event["kernel_pid"] = status.pidKernel;
    if (status.nState == CKrnl2Inter::eQmKrnl2Busy)
        event["session_pid"] = status.pidSession;
    if (status.IsErrorState()) {
        event["text"] = status.StateWords();
        const std::string csHint = KernelStateHint(status.nState);
        if (!csHint.empty())
            event["hint"] = csHint;
    }
    Emit(event);
}

void CJsonPrinter::Waiting(int pidBusy) { Emit({{"event", "waiting"}, {"busy_pid", pidBusy}}); }

void CJsonPrinter::Accepted(int pidKernel) { Emit({{"event", "accepted"}, {"kernel_pid", pidKernel}}); }

void CJsonPrinter::PayloadAdd(const SKernelMessage& msg, json& event) {
    if (msg.fBadRecord)
        event["bad_record"] = true;
    if (msg.Candidate) {
        event["candidate"] = CandidateJson(*msg.Candidate, msg.fCandidateEx);
    } else if (msg.Info) {
        json values = json::array();
        for (const auto& item : msg.Info->m_Values)
            values.push_back({item.first.str(), item.second.str()});
        event["info"] = {{"first", msg.Info->m_csFirstParameter.str()}, {"values", values}};
        if (!msg.csInfoToken.empty())
            event["info"]["token"] = msg.csInfoToken;
    } else if (msg.eType == CDEdureMsg::ePasswordRequ) {
        event["texts"] = msg.Texts;
        event["values"] = msg.Values;
    } else {
        if (!msg.Texts.empty())
            event["text"] = msg.Texts.front();
        if (!msg.Values.empty())
            event["value"] = msg.Values.front();
    }
    if (msg.fBadRecord)
        return;
    if (msg.eType == CDEdureMsg::eProgress)
        event["percent"] = ProgressPercent(msg.Values.front());
    else if (msg.eType == CDEdureMsg::eShutDown)
        event["meaning"] = ShutdownWords(msg.Values.front());
}

void CJsonPrinter::Message(const SKernelMessage& msg) {
    // Separators and the kernel's end mark carry nothing; the done event ends the job.
    if (!msg.fUnknownType && (msg.eType == CDEdureMsg::eEmpty || msg.eType == CDEdureMsg::eJobDone))
        return;
    json event = {{"event", "message"}, {"kind", MessageKindName(msg.eType)}, {"code", msg.Code()}};
    PayloadAdd(msg, event);
    Emit(event);
}

void CJsonPrinter::Done(const SJobOutcome& outcome) {
    json event = {{"event", "done"},
                  {"exit_code", outcome.nExitCode},
                  {"result", outcome.nExitCode == 0 ? "done" : "failed"},
                  {"job", outcome.csJob},
                  {"summary", outcome.csSummary},
                  {"reboot", outcome.csReboot}};
    if (!outcome.csFile.empty())
        event["file"] = outcome.csFile;
    if (!outcome.csHint.empty())
        event["hint"] = outcome.csHint;
    Emit(event);
}

void CJsonPrinter::HistoryShow(const SHistory& history) {
    // An empty history is still a stream with its schema.
    StartEnsure();
    for (const SHistoryEntry& e : history.entries) {
        json event = {{"event", "history"}, {"time", e.csTime}, {"user", e.csUser}};
        if (e.nUid >= 0)
            event["uid"] = e.nUid;
        event["job"] = e.csJob;
        event["command_line"] = e.csCommandLine;
        if (!e.csPackage.empty())
            event["package"] = e.csPackage;
        event["result"] = e.csResult;
        if (!e.csText.empty())
            event["text"] = e.csText;
        event["reboot"] = e.csReboot;
        Emit(event);
    }
    if (history.nUnreadable > 0)
        m_err << "quillmark: " << history.nUnreadable << " line(s) of the history could not be read\n" << std::flush;
}

void CJsonPrinter::BootCheckShow(const SBootCheck& result) {
    json event = {{"event", "boot_check"},
                  {"result", !result.fPending ? "nothing_pending" : result.restored.empty() ? "unchanged" : "restored"},
                  {"restored", result.restored},
                  {"unchanged", result.unchanged}};
    if (!result.csBiosExpected.empty())
        event["bios_expected"] = result.csBiosExpected;
    if (!result.csBiosNow.empty())
        event["bios_now"] = result.csBiosNow;
    event["text"] = BootCheckText(result);
    Emit(event);
}

void CJsonPrinter::Failure(const std::string& csText, int nExitCode, const std::string& csHint) {
    json event = {{"event", "failure"}, {"exit_code", nExitCode}, {"message", csText}};
    if (!csHint.empty())
        event["hint"] = csHint;
    Emit(event);
    m_err << "quillmark: " << csText << '\n' << std::flush;
}
