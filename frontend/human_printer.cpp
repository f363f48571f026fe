#include "frontend/human_printer.h"

#include <algorithm>

#include "frontend/message_words.h"

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

std::string Joined(const std::vector<std::string>& items) {
    std::string cs;
    for (const std::string& csItem : items)
        cs += (cs.empty() ? "" : ", ") + csItem;
    return cs;
}

}  // namespace

void CHumanPrinter::Line(std::ostream& stream, const std::string& csText) {
    m_progress.BreakLine();
    stream << csText << '\n' << std::flush;
}

void CHumanPrinter::Status(const SKernelStatus& status) {
    Line(m_out, "Kernel state . . . : " + status.StateWords());
    Line(m_out, "Active BIOS  . . . : " + status.csActiveBios);
    Line(m_out, "System . . . . . . : " + status.csSystem);
    Line(m_out, "ME firmware  . . . : " + status.csMeFirmware);
    Line(m_out, "Kernel process . . : " + std::to_string(status.pidKernel));
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
    std::string cs = "candidate: " + c.Name().str() + ", BIOS " + c.BiosVer().str() + ": " +
                     UsabilityWords(c.m_Usability) + ", " + ConsistencyWords(c.m_Consistency);
    if (msg.fCandidateEx) {
        CString csAreas;
        c.m_UsageFlags.AreasToString(csAreas);
        if (!csAreas.IsEmpty())
            cs += "; areas: " + csAreas.str();
    }
    const std::vector<std::string> confirm = ConfirmWords(c.m_confirmflags);
    if (!confirm.empty())
        cs += "; needs confirmation: " + Joined(confirm);
    Line(m_out, cs);
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

void CHumanPrinter::Done(int nExitCode, const std::string& csSummary) {
    Line(nExitCode == 0 ? m_out : m_err, "result: " + csSummary);
}

void CHumanPrinter::Failure(const std::string& csText, int) { Line(m_err, "quillmark: " + csText); }
