#include "frontend/job_summary.h"

#include "cmdline/qm_cmd_line.h"

CJobSummary::CJobSummary(const std::string& csCmdLine) {
    CQmCmdLine cmd;
    cmd.Parse(csCmdLine.c_str());
    // The kernel's own order of precedence among the jobs.
    if (cmd.OptionExists(eNvramUpdate))
        m_eJob = EJob::kRestore;
    else if (cmd.OptionExists(eUpdate))
        m_eJob = EJob::kUpdate;
    else if (cmd.OptionExists(eActionStatus))
        m_eJob = EJob::kActionStatus;
    else if (cmd.OptionExists(eArchiveConfiguration))
        m_eJob = EJob::kBackup;
}

void CJobSummary::Observe(const SKernelMessage& msg) {
    if (msg.fBadRecord || msg.Texts.empty())
        return;
    const std::string& csText = msg.Texts.front();
    if (msg.eType == CDEdureMsg::eFileName)
        m_csFile = csText;
    else if (msg.eType == CDEdureMsg::eError && m_csError.empty())
        m_csError = csText;
    else if (msg.eType == CDEdureMsg::eWarning && csText.rfind("Rebooting system", 0) == 0)
        m_csReboot = "the system reboots in 2 minutes";
    else if (msg.eType == CDEdureMsg::eWarning && csText.rfind("Automatic reboot skipped", 0) == 0)
        m_csReboot = "reboot skipped, a manual reboot is needed";
}

std::string CJobSummary::Text() const {
    if (!m_csError.empty())
        return "failed: " + m_csError;
    std::string cs;
    switch (m_eJob) {
    case EJob::kUpdate: cs = "BIOS updated" + (m_csFile.empty() ? "" : " from " + m_csFile); break;
    case EJob::kBackup: cs = "configuration archived" + (m_csFile.empty() ? "" : " to " + m_csFile); break;
    case EJob::kRestore: cs = "configuration restored" + (m_csFile.empty() ? "" : " from " + m_csFile); break;
    case EJob::kActionStatus: cs = "action status shown"; break;
    case EJob::kOther: cs = "done"; break;
    }
    return m_csReboot.empty() ? cs : cs + "; " + m_csReboot;
}
