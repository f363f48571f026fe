// The line each job leaves in the history of jobs.
#include "support/job_history.h"
#include "kernel/krnl2_app.h"

void CKrnl2App::HistoryAppend(const char* pszJob, unsigned uUid, bool fFailed) {
    SHistoryRecord record;
    record.tTime = time(nullptr);
    record.uid = static_cast<uid_t>(uUid);
    record.strJob = pszJob;
    record.strCommandLine = m_JobCmdInfo.ShownText();
    // The file the job chose or wrote, as a path that stands on its own.
    std::string strPackage = m_csCurArcPath.IsEmpty() ? m_CurArc.m_csName.str() : m_csCurArcPath.str();
    if (!strPackage.empty() && strPackage.front() != '/' && !m_csWrkDir.IsEmpty())
        strPackage = m_csWrkDir.str() + "/" + strPackage;
    record.strPackage = strPackage;
    record.strText = m_strJobError;
    // The combined package's failures reach only its log; its text is ours.
    if (fFailed && record.strText.empty())
        record.strText = "the combined package was not made";
    record.fDone = record.strText.empty();
    record.strReboot =
        m_eShutDown == SD_NO ? "none" : (m_JobCmdInfo.OptionExists(eNoReboot) ? "needed" : "scheduled");
    CJobHistory().Append(record);
}
