#include "frontend/json_printer.h"

#include <nlohmann/json.hpp>

#include "frontend/message_words.h"

using json = nlohmann::ordered_json;

namespace {

json CandidateJson(const CBupAssessmentEx& c, bool fExtended) {
    json j = {
        {"name", c.Name().str()},
        {"bios_version", c.BiosVer().str()},
        {"file_type", ArcTypeWords(c.m_ArcType.Get())},
        {"usability", UsabilityWords(c.m_Usability)},
        {"usability_code", static_cast<int>(c.m_Usability)},
        {"consistency", ConsistencyWords(c.m_Consistency)},
        {"consistency_code", static_cast<int>(c.m_Consistency)},
        {"confirm", ConfirmWords(c.m_confirmflags)},
        {"confirm_flags", c.m_confirmflags.Value()},
        {"build_time", static_cast<long long>(c.m_BuildTime.GetTime())},
    };
    if (fExtended) {
        CString csAreas;
        c.m_UsageFlags.AreasToString(csAreas);
        j["areas"] = csAreas.str();
        j["usage_flags"] = c.m_UsageFlags.Value();
    }
    return j;
}

}  // namespace

void CJsonPrinter::Emit(const json& event) {
    m_out << event.dump(-1, ' ', false, json::error_handler_t::replace) << '\n' << std::flush;
}

void CJsonPrinter::Status(const SKernelStatus& status) {
    json event = {
        {"event", "status"},
        {"state", status.StateName()},
        {"state_code", status.nState},
        {"bios", status.csActiveBios},
        {"system", status.csSystem},
        {"me_firmware", status.csMeFirmware},
        {"kernel_pid", status.pidKernel},
    };
    if (status.nState == CKrnl2Inter::eQmKrnl2Busy)
        event["session_pid"] = status.pidSession;
    if (status.IsErrorState())
        event["text"] = status.StateWords();
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
        event["info"] = {{"token", msg.csInfoToken}, {"first", msg.Info->m_csFirstParameter.str()}, {"values", values}};
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
    json event = {{"event", "message"}, {"type", msg.TypeName()}, {"code", msg.Code()}};
    PayloadAdd(msg, event);
    Emit(event);
}

void CJsonPrinter::Done(int nExitCode, const std::string& csSummary) {
    Emit({{"event", "done"}, {"exit_code", nExitCode}, {"summary", csSummary}});
}

void CJsonPrinter::Failure(const std::string& csText, int nExitCode) {
    Emit({{"event", "failure"}, {"message", csText}, {"exit_code", nExitCode}});
    m_err << "quillmark: " << csText << '\n' << std::flush;
}
