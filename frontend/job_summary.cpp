#include "frontend/job_summary.h"

#include <strings.h>
#include <sys/stat.h>

#include <filesystem>
#include <system_error>

#include "cmdline/qm_cmd_line.h"

CJobSummary::CJobSummary(const std::string& csCmdLine) {
    CQmCmdLine cmd;
    cmd.Parse(csCmdLine.c_str());
    m_eJob = JobKindOf(cmd);
    if (m_eJob == EJob::kMake) {
        m_csExtension = ".bup";
    } else if (m_eJob == EJob::kBackup) {
        // The kernel names the archive after the -o name's extension, or .nvux.
        const std::string csTarget = cmd.m_csTarget.str();
        const size_t nDot = csTarget.find_last_of('.');
        const size_t nSlash = csTarget.find_last_of('/');
        m_csExtension = nDot != std::string::npos && (nSlash == std::string::npos || nDot > nSlash)
                            ? csTarget.substr(nDot)
                            : ".nvux";
    }
    if (!m_csExtension.empty()) {
        m_csWorkDir = cmd.m_csWrkDir.str();
        m_Before = PackagesNow();
    }
}

void CJobSummary::Observe(const SKernelMessage& msg) {
    if (!msg.fBadRecord && msg.eType == CDEdureMsg::eGetGenericModuleInfo && msg.Info)
        m_fStatusShown = true;
    if (msg.fBadRecord || msg.Texts.empty())
        return;
    const std::string& csText = msg.Texts.front();
    if (msg.eType == CDEdureMsg::eFileName) {
        m_csFile = csText;
    } else if (msg.eType == CDEdureMsg::eError && m_csError.empty()) {
        m_csError = csText;
    } else if (msg.eType == CDEdureMsg::eWarning && csText.rfind("Rebooting system", 0) == 0) {
        m_csReboot = "the system reboots in 2 minutes";
        m_pszReboot = "scheduled";
    } else if (msg.eType == CDEdureMsg::eWarning && csText.rfind("Automatic reboot skipped", 0) == 0) {
        m_csReboot = "reboot skipped, a manual reboot is needed";
        m_pszReboot = "needed";
    }
}

CJobSummary::Packages CJobSummary::PackagesNow() const {
    Packages packages;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(m_csWorkDir.empty() ? "." : m_csWorkDir, ec)) {
        const std::string csName = entry.path().filename().string();
        struct stat st {};
        const size_t nExt = m_csExtension.size();
        if (csName.size() > nExt && strcasecmp(csName.c_str() + csName.size() - nExt, m_csExtension.c_str()) == 0 &&
            stat(entry.path().c_str(), &st) == 0 && S_ISREG(st.st_mode))
            packages[csName] = {static_cast<unsigned long>(st.st_ino),
                                st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec};
    }
    return packages;
}

std::string CJobSummary::Written() const {
    if (m_csExtension.empty() || !m_csError.empty())
        return "";
    // A backup names its archive; the make job tells only by the package that appeared.
    const std::string csNamed = m_eJob == EJob::kBackup ? m_csFile.substr(m_csFile.find_last_of('/') + 1) : "";
    if (m_eJob == EJob::kBackup && csNamed.empty())
        return "";
    for (const auto& package : PackagesNow()) {
        if (!csNamed.empty() && package.first != csNamed)
            continue;
        const auto before = m_Before.find(package.first);
        if (before == m_Before.end() || before->second != package.second)
            return package.first;
    }
    return "";
}

bool CJobSummary::FailedSilentlyGiven(const std::string& csWritten) const {
    if (!m_csError.empty())
        return false;
    if (m_eJob == EJob::kMake)
        return csWritten.empty();
    // The kernel drops an action status the module would not give without a word.
    if (m_eJob == EJob::kActionStatus)
        return !m_fStatusShown;
    return m_eJob == EJob::kBackup && !m_csFile.empty() && csWritten.empty();
}

std::string CJobSummary::TextGiven(const std::string& csWritten) const {
    if (!m_csError.empty())
        return "failed: " + m_csError;
    if (m_eJob == EJob::kMake) {
        return csWritten.empty() ? "failed: no combined package was made (the log file names the reason)"
                                 : "combined package made: " + csWritten;
    }
    if (FailedSilentlyGiven(csWritten)) {
        if (m_eJob == EJob::kBackup)
            return "failed: the archive " + m_csFile + " was not written (the log file names the reason)";
        return "failed: the board module gave no status of the last action (the trace names the reason)";
    }
    std::string cs;
    switch (m_eJob) {
    case EJob::kUpdate: cs = "BIOS updated" + (m_csFile.empty() ? "" : " from " + m_csFile); break;
    case EJob::kBackup: cs = "configuration archived" + (m_csFile.empty() ? "" : " to " + m_csFile); break;
    case EJob::kRestore: cs = "configuration restored" + (m_csFile.empty() ? "" : " from " + m_csFile); break;
    case EJob::kActionStatus: cs = "action status shown"; break;
    case EJob::kMake:
    case EJob::kOther: cs = "done"; break;
    }
    return m_csReboot.empty() ? cs : cs + "; " + m_csReboot;
}

SJobOutcome CJobSummary::Outcome(bool fJobError) const {
    // The working directory is looked at once for the whole outcome.
    const std::string csWritten = Written();
    SJobOutcome outcome;
    outcome.nExitCode = fJobError || FailedSilentlyGiven(csWritten) ? 1 : 0;
    outcome.csJob = JobKindName(m_eJob);
    outcome.csSummary = TextGiven(csWritten);
    outcome.csReboot = m_pszReboot;
    outcome.csFile = m_eJob == EJob::kMake ? csWritten : m_csFile;
    return outcome;
}
