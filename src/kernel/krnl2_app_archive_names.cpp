// Paths and names of the archives the jobs create.
#include <strings.h>

#include "kernel/krnl2_app.h"
#include "support/msc.h"
#include "support/opus_trace.h"

namespace {
CString FileNameOf(const CString& csPath) {
    CString csName;
    MscPathSplit(csPath, nullptr, &csName, nullptr);
    return csName;
}
}  // namespace

bool CKrnl2App::PathTokensReplace(CString& csPath) {
    QM_TRACE_INTERNAL(4, "", "Path before m_FileNamePatterns.ReplaceTokens is: '%s'", csPath.c_str());
    if (!m_FileNamePatterns.ReplaceTokens(csPath)) {
        QM_TRACE_INTERNAL(2, "", "m_FileNamePatterns.ReplaceTokens failed");
        return false;
    }
    QM_TRACE_INTERNAL(4, "", "Path after m_FileNamePatterns.ReplaceTokens is: '%s'", csPath.c_str());
    return true;
}

bool CKrnl2App::ConfigurationArchiveFileNamePrepare() {
    QM_TRACE_ENTER(3, "m_csTarget='%s'", m_JobCmdInfo.m_csTarget.c_str());
    if (m_JobCmdInfo.m_csTarget.IsEmpty()) {
        NvuxNameDefaultMake();
        QM_TRACE_LEAVE(3, "ret=%s", "true");
        return true;
    }
    CString csDir;
    MscPathSplit(m_JobCmdInfo.m_csTarget, &csDir, nullptr, nullptr);
    CString csPath = m_JobCmdInfo.m_csTarget;
    if (csDir.IsEmpty())
        csPath.Format("%s/%s", m_csWrkDir.c_str(), m_JobCmdInfo.m_csTarget.c_str());
    if (!PathTokensReplace(csPath)) {
        QM_TRACE_LEAVE(3, "ret=%s", "false");
        return false;
    }
    m_csCurArcPath = csPath;
    m_CurArc.m_ArcType = CArcType::eArcTypeArchive;
    m_CurArc.m_csName = FileNameOf(csPath);
    QM_TRACE_LEAVE(3, "m_CurArc.Name()='%s'", m_CurArc.Name().c_str());
    return true;
}

void CKrnl2App::NvuxNameDefaultMake() {
    // The board name is what the module reports as its system.
    CString csBase = m_Qmx.m_OemInfo.sSystemInfo.c_str();
    if (csBase.IsEmpty())
        csBase = "QmArchive";
    m_CurArc.m_csName.Empty();
    m_csCurArcPath.Empty();
    for (int n = 0; n < 999; ++n) {
        CString csName, csPath;
        csName.Format("%s_%3.3d.nvux", csBase.c_str(), n);
        csPath.Format("%s/%s", m_csWrkDir.c_str(), csName.c_str());
        if (!MscFileExists(csPath)) {
            m_CurArc.m_csName = csName;
            m_csCurArcPath = csPath;
            break;
        }
    }
    QM_TRACE_LEAVE(3, "name='%s', path='%s'", m_CurArc.Name().c_str(), m_csCurArcPath.c_str());
}

bool CKrnl2App::CombinedArchiveFileNamePrepare(const char* pszFile) {
    QM_TRACE_ENTER(3, "file='%s', m_CurArc.Name()='%s'", pszFile ? pszFile : "", m_CurArc.Name().c_str());
    CString csText;
    if (!m_CurArc.Name().IsEmpty()) {
        csText = m_CurArc.Name();
    } else {
        // Without a target the name is derived but nothing usable is handed on:
        // a combined archive needs a target given with the job.
        CString csDir, csFile = pszFile;
        MscPathSplit(csFile, &csDir, nullptr, nullptr);
        if (csDir.IsEmpty())
            csFile.Format("%s/%s", m_csWrkDir.c_str(), pszFile ? pszFile : "");
        m_CurArc.m_csName.Format("%s_#no#", csFile.Left(csFile.GetLength() - 4).c_str());
    }
    if (!PathTokensReplace(csText)) {
        QM_TRACE_LEAVE(3, "ret=%s", "false");
        return false;
    }
    m_csCurArcPath = csText;
    m_CurArc.m_ArcType = CArcType::eArcTypeArchive;
    m_CurArc.m_csName = FileNameOf(csText);
    const CString& csName = m_CurArc.Name();
    if (csName.GetLength() < 4 || strcasecmp(csName.Right(4), ".bup") != 0)
        m_CurArc.m_csName += ".bup";
    QM_TRACE_LEAVE(3, "ret=%s", "true");
    return true;
}
