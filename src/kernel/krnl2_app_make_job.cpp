// The make command: a BIOS package and a configuration archive merged by a module into one package.
#include "bupinfo/archive_build.h"
#include "bupinfo/bup_archive.h"
#include "kernel/krnl2_app.h"
#include "quillmark/qmx2.h"
#include "support/msc.h"
#include "support/opus_trace.h"
#include "support/str_array.h"
#include "support/win_error.h"

namespace {

constexpr uint32_t kMakeFailed = 0xD0020000;
constexpr uint32_t kMakeRefused = 0xD0050000;
constexpr const char* kTempPrefix = "RoVOred2";

}  // namespace

uint32_t CKrnl2App::ExtLocateAndExecuteSynchronousCommand() {
    QM_TRACE_ENTER(3, "m_csWrkDir='%s', target='%s', binp='%s', cinp='%s'", m_JobCmdInfo.m_csWrkDir.c_str(),
                   m_JobCmdInfo.m_csTarget.c_str(), m_JobCmdInfo.m_csBinp.c_str(), m_JobCmdInfo.m_csCinp.c_str());
    if (!m_JobCmdInfo.OptionExists(eMake)) {
        QM_TRACE_INTERNAL(1, "", "Sorry, only /Make command supported here");
        QM_TRACE_LEAVE(3, "ret=0x%x", kMakeRefused);
        return kMakeRefused;
    }
    // The one job that logs without -lf: the default name then.
    if (!LogfileNamePrepare(m_JobCmdInfo.m_csLogfile))
        QM_TRACE_INTERNAL(2, "", "LogFilePathPrepare failed");
    m_csWrkDir = m_JobCmdInfo.m_csWrkDir;
    m_csWrkDir.TrimRight('/');
    m_CurArc.m_csName = m_JobCmdInfo.m_csTarget;
    if (!CombinedArchiveFileNamePrepare(m_JobCmdInfo.m_csBinp)) {
        QM_TRACE_INTERNAL(1, "", "could not prepare combined archive file name");
        ReportAnEvent(LOG_ERROR, 1257, "");
        QM_TRACE_LEAVE(3, "ret=0x%x", ERROR_GEN_FAILURE);
        return ERROR_GEN_FAILURE;
    }
    // A bare name that is not here is looked for in the working directory.
    auto inputPath = [this](const CString& csInput) {
        if (MscFileExists(csInput))
            return csInput;
        CString csPath;
        csPath.Format("%s/%s", m_csWrkDir.c_str(), csInput.c_str());
        return csPath;
    };
    CString csBiosFolder, csConfigFolder, csResultFolder;
    if (!extractZipToTemporaryFolder(inputPath(m_JobCmdInfo.m_csBinp), csBiosFolder)) {
        QM_TRACE_INTERNAL(2, "", "Can't extract files from BIOS archive");
        ReportAnEvent(LOG_ERROR, 1257, "");
        QM_TRACE_LEAVE(3, "ret=0x%x", kMakeRefused);
        return kMakeRefused;
    }
    if (!extractZipToTemporaryFolder(inputPath(m_JobCmdInfo.m_csCinp), csConfigFolder)) {
        QM_TRACE_INTERNAL(2, "", "Can't extract files");
        MscTreeRemove(csBiosFolder);
        ReportAnEvent(LOG_ERROR, 1257, "");
        QM_TRACE_LEAVE(3, "ret=0x%x", kMakeRefused);
        return kMakeRefused;
    }
    uint32_t ulRet = kMakeFailed;
    if (!MscTemporaryFolderMake(m_csTempDir, kTempPrefix, csResultFolder)) {
        QM_TRACE_INTERNAL(1, "", "MscTemporaryFolderMake failed");
        MscTreeRemove(csBiosFolder);
        MscTreeRemove(csConfigFolder);
        ReportAnEvent(LOG_ERROR, 1257, "");
        QM_TRACE_LEAVE(3, "ret=0x%x", ulRet);
        return ulRet;
    }
    ulRet = ExtLocateForMakeCommand(csBiosFolder, csConfigFolder, csResultFolder);
    if (Qmx2Failed(ulRet)) {
        QM_TRACE_INTERNAL(2, "", "Couldn't find any 'make command' supporting module");
        for (const CString* pcsFolder : {&csBiosFolder, &csConfigFolder, &csResultFolder})
            MscTreeRemove(*pcsFolder);
        ReportAnEvent(LOG_ERROR, 1257, "");
        QM_TRACE_LEAVE(3, "ret=0x%x", ulRet);
        return ulRet;
    }
    ulRet = doTheBupAddFiles(csResultFolder) == 0 ? 0 : kMakeFailed;
    for (const CString* pcsFolder : {&csBiosFolder, &csConfigFolder, &csResultFolder})
        MscTreeRemove(*pcsFolder);
    if (ulRet == 0)
        ReportAnEvent(LOG_INFO, 1256, "");
    else
        ReportAnEvent(LOG_ERROR, 1257, "");
    QM_TRACE_LEAVE(3, "ret=0x%x", ulRet);
    return ulRet;
}

bool CKrnl2App::extractZipToTemporaryFolder(const char* szZipPath, CString& csCreatedFolder) {
    QM_TRACE_ENTER(3, "szZipPath='%s'", szZipPath);
    if (!MscTemporaryFolderMake(m_csTempDir, kTempPrefix, csCreatedFolder)) {
        QM_TRACE_INTERNAL(1, "m_Qmx.TransferDirPrepare", "m_csTempDir='%s'", m_csTempDir.c_str());
        QM_TRACE_LEAVE(3, "ret=%s", QmBool2Str(false));
        return false;
    }
    CBupArchive arc(szZipPath);
    std::vector<CString> members;
    bool fRet = arc.FileFind("*", members, false) && !members.empty();
    if (!fRet)
        QM_TRACE_INTERNAL(1, "", "Can't extract any file");
    else
        fRet = arc.FileGet(members, csCreatedFolder);
    if (!fRet) {
        // The make command has no client: the log tells why.
        ArchiveRefusalReport(arc, false);
        MscTreeRemove(csCreatedFolder);
    }
    QM_TRACE_LEAVE(3, "ret=%s, csCreatedFolder='%s'", QmBool2Str(fRet), csCreatedFolder.c_str());
    return fRet;
}

int CKrnl2App::doTheBupAddFiles(const char* szSrcDir) {
    QM_TRACE_ENTER(3, "szSrcDir='%s', m_csWrkDir='%s'", szSrcDir, m_csWrkDir.c_str());
    CString csBupInfo;
    csBupInfo.Format("%s/%s", szSrcDir, "BupInfo2.xml");
    if (!MscFileExists(csBupInfo)) {
        QM_TRACE_INTERNAL(1, "", "file '%s' does not exist", csBupInfo.c_str());
        ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eError, "Creation of archive skipped, missing BupInfo.xml");
        ReportAnEvent(LOG_ERROR, 1205, m_CurArc.m_csName);
        QM_TRACE_LEAVE(3, "ret=%d", 1);
        return 1;
    }
    CString csPackage = m_CurArc.m_csName;
    if (!m_csWrkDir.IsEmpty())
        csPackage.Format("%s/%s", m_csWrkDir.c_str(), m_CurArc.m_csName.c_str());
    if (MscFileExists(csPackage) && !m_JobCmdInfo.OptionExists(eOverwrite)) {
        QM_TRACE_INTERNAL(1, "", "file already exists but can't be overwritten");
        ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eError, "Can't overwrite file");
        ReportAnEvent(LOG_ERROR, 1253, csPackage);
        QM_TRACE_LEAVE(3, "ret=%d", 1);
        return 1;
    }
    // Only names with a point: the module's scratch files stay out of the package.
    // Replaced whole with -ov, and only once every file went in.
    CString csFailed;
    if (!ArchiveBuildReplace(csPackage, szSrcDir, "*.*", csFailed)) {
        QM_TRACE_INTERNAL(1, "", "Error adding file '%s' to archive '%s'", csFailed.c_str(), csPackage.c_str());
        ReportAnEvent(LOG_ERROR, 2026, csFailed);
        QM_TRACE_LEAVE(3, "ret=%d", 1);
        return 1;
    }
    QM_TRACE_LEAVE(3, "ret=%d", 0);
    return 0;
}
