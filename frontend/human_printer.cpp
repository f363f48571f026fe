#include "frontend/human_printer.h"

#include <algorithm>

#include "frontend/message_words.h"
#include "frontend/remedy_hint.h"

namespace {

// The caption of the messages that carry one text.
const char* TextCaption(E_DEDURE_MSG eType) {
    switch (eType) {
    case CDEdureMsg::eFileName: return "file: ";
    case CDEdureMsg::eAction: return "action: ";
    case CDEdureMsg::eActionPart: return "part: ";
    case CDEdureMsg::eBiosCurrentVersion: return "current BIOS: ";
    case CDEdureMsg::eBiosFlashedVersion: return "flashed BIOS: ";
    case CDEdureMsg::eBiosFileVersion: return "BIOS in package: ";
    case CDEdureMsg::eSystem: return "system: ";
    case CDEdureMsg::eUpdateArea: return "update area: ";
    default: return "";
    }
}

}  // namespace

void CHumanPrinter::Line(std::ostream& stream, const std::string& csText) {
    CandidatesFlush();
    m_progress.BreakLine();
    stream << csText << '\n' << std::flush;
}

void CHumanPrinter::Status(const SKernelStatus& status) {
    Line(m_out, "Kernel state . . . : " + status.StateWords());
    Line(m_out, "Active BIOS  . . . : " + status.csActiveBios);
    Line(m_out, "System . . . . . . : " + status.csSystem);
    Line(m_out, "ME firmware  . . . : " + status.csMeFirmware);
    Line(m_out, "Kernel process . . : " + std::to_string(status.pidKernel));
    const std::string csHint = status.IsErrorState() ? KernelStateHint(status.nState) : "";
    if (!csHint.empty())
        Line(m_err, "hint: " + csHint);
}

void CHumanPrinter::Waiting(int pidBusy) {
    Line(m_err, "waiting: the kernel is busy with another session (process " + std::to_string(pidBusy) + ")");
}

void CHumanPrinter::Accepted(int) {}

void CHumanPrinter::Message(const SKernelMessage& msg) {
    if (msg.fBadRecord) {
        Line(m_err, "warning: message " + std::to_string(msg.Code()) + " (" + msg.TypeName() +
                        ") from the kernel is cut short");
        return;
    }
    if (msg.fUnknownType) {
        Line(m_out, "message " + std::to_string(msg.Code()));
        return;
    }
    switch (msg.eType) {
    case CDEdureMsg::eEmpty:
    case CDEdureMsg::eJobDone:
        return;
    case CDEdureMsg::eError:
        Line(m_err, "error: " + msg.Texts.at(0));
        return;
    case CDEdureMsg::eWarning:
        Line(m_err, "warning: " + msg.Texts.at(0));
        return;
    case CDEdureMsg::eInfo:
        Line(m_out, msg.Texts.at(0));
        return;
    case CDEdureMsg::eProgress:
        CandidatesFlush();
        m_progress.Update(msg.Values.at(0));
        return;
    case CDEdureMsg::eShutDown:
        Line(m_out, "shutdown: " + ShutdownWords(msg.Values.at(0)));
        return;
    case CDEdureMsg::ePasswordRequ:
        Line(m_out, "password request: " + Joined(msg.Texts) + " (" + std::to_string(msg.Values.at(0)) + ", " +
                        std::to_string(msg.Values.at(1)) + ")");
        return;
    default:
        break;
    }
    if (msg.Candidate)
        CandidateShow(msg);
    else if (msg.Info)
        InfoShow(msg);
    else if (!msg.Texts.empty())
        Line(m_out, TextCaption(msg.eType) + msg.Texts.front());
    else
        Line(m_out, "message " + std::to_string(msg.Code()));
}

void CHumanPrinter::CandidateShow(const SKernelMessage& msg) {
    const CBupAssessmentEx& c = *msg.Candidate;
    CString csAreas;
    if (msg.fCandidateEx)
        c.m_UsageFlags.AreasToString(csAreas);
    const std::string csConfirm = Joined(ConfirmWords(c.m_confirmflags));
    m_Candidates.push_back({c.Name().str(), c.BiosVer().str(), UsabilityWords(c.m_Usability),
                            ConsistencyWords(c.m_Consistency), csAreas.IsEmpty() ? "-" : csAreas.str(),
                            csConfirm.empty() ? "-" : csConfirm});
}

void CHumanPrinter::CandidatesFlush() {
    if (m_Candidates.empty())
        return;
    std::vector<CandidateRow> rows;
    rows.swap(m_Candidates);
    rows.insert(rows.begin(), CandidateRow{"CANDIDATE", "BIOS", "VERDICT", "CONSISTENCY", "AREAS", "CONFIRM"});
    CandidateRow::size_type nColumns = rows.front().size();
    std::array<size_t, 6> widths{};
    for (const CandidateRow& row : rows)
        for (size_t i = 0; i < nColumns; ++i)
            widths[i] = std::max(widths[i], row[i].size());
    m_progress.BreakLine();
    for (const CandidateRow& row : rows) {
        std::string cs;
        for (size_t i = 0; i < nColumns; ++i) {
            cs += row[i];
            if (i + 1 < nColumns)
                cs += std::string(widths[i] - row[i].size() + 2, ' ');
        }
        m_out << cs << '\n';
    }
    m_out << std::flush;
}

void CHumanPrinter::InfoShow(const SKernelMessage& msg) {
    const CGetGenericModuleInfo& info = *msg.Info;
    Line(m_out, std::string(InfoCaption(msg.eType)) + ": " + info.m_csFirstParameter.str());
    size_t nWidth = 0;
    for (const auto& item : info.m_Values)
        nWidth = std::max(nWidth, item.first.str().size());
    for (const auto& item : info.m_Values) {
        const std::string& csKey = item.first.str();
        Line(m_out, "  " + csKey + std::string(nWidth - csKey.size(), ' ') + " : " + item.second.str());
    }
}

void CHumanPrinter::Done(const SJobOutcome& outcome) {
    Line(outcome.nExitCode == 0 ? m_out : m_err, "result: " + outcome.csSummary);
    if (!outcome.csHint.empty())
        Line(m_err, "hint: " + outcome.csHint);
}

void CHumanPrinter::HistoryShow(const SHistory& history) {
    if (history.entries.empty())
        Line(m_out, "no job in the history yet");
    for (const SHistoryEntry& e : history.entries) {
        std::string cs = e.csTime + "  " + e.csUser + "  " + e.csJob + "  " + e.csResult;
        if (e.csReboot != "none" && !e.csReboot.empty())
            cs += " (reboot " + e.csReboot + ")";
        if (!e.csPackage.empty())
            cs += "  " + e.csPackage;
        if (!e.csText.empty())
            cs += ": " + e.csText;
        Line(m_out, cs);
    }
    if (history.nUnreadable > 0)
        Line(m_err, "warning: " + std::to_string(history.nUnreadable) + " line(s) of the history could not be read");
}

void CHumanPrinter::BootCheckShow(const SBootCheck& result) { Line(m_out, "boot-check: " + BootCheckText(result)); }

void CHumanPrinter::Failure(const std::string& csText, int, const std::string& csHint) {
    Line(m_err, "quillmark: " + csText);
    if (!csHint.empty())
        Line(m_err, "hint: " + csHint);
}
