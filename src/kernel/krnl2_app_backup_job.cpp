// The configuration backup job: the module writes the configuration into a
// transfer directory, the kernel packs it into a .nvux archive.
#include "bupinfo/archive_build.h"
#include "kernel/krnl2_app.h"
#include "kernel/text_tables.h"
#include "support/msc.h"
#include "support/opus_trace.h"
#include "support/str_array.h"
#include "support/win_error.h"

void CKrnl2App::DoTheConfigurationBackup() {
    QM_TRACE_ENTER(3, "%s", "--------------------------------------------------------------------------------");
    if (!m_Qmx.m_OemInfo.fConfigurationBackup) {
        QM_TRACE_INTERNAL(1, "", "module does not support configuration backup");
        ReportAnEvent(LOG_ERROR, 2060, "");
        ClientMsg(10, CDEdureMsg::eError, "Archiving system configuration not supported");
        return;
    }
    WrkDirFromJob();
    if (!ConfigurationArchiveFileNamePrepare()) {
        QM_TRACE_INTERNAL(1, "", "could not prepare configuration archive file name");
        ReportAnEvent(LOG_ERROR, 2060, "");
        ClientMsg(10, CDEdureMsg::eError, "Archiving system configuration failed");
        return;
    }
    ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eFileName, m_CurArc.m_csName.c_str());

    CConfirmFlags given;
    ConfirmationsFromCmdLine(given);
    if (MscFileExists(m_csCurArcPath))
        m_CurArc.m_confirmflags.Set(CConfirmFlags::BiosOverwrite);
    if (m_Qmx.m_OemInfo.fProgressInfo)
        ClientMsg(10, CDEdureMsg::eProgress, 0);
    if (!ConfirmationsEnsure(m_CurArc.m_confirmflags.Without(given)) || !TransferDirReady()) {
        QM_TRACE_LEAVE(3, "ret=0x%8.8lx", static_cast<unsigned long>(ERROR_GEN_FAILURE));
        return;
    }

    const uint32_t ulStatus = DoTheConfigurationBackupMainLoop();
    // A module that asked for a restart may still need its files.
    if (m_eShutDown != SD_OP_PENDING && m_eShutDown != SD_ACTIVATE_CHANGES_COLD_BOOT)
        m_Qmx.TransferDirRemove();
    if (Qmx2Failed(ulStatus)) {
        if (const int idText = ModuleFailureTextId(MJ_CONFIGURATION_BACKUP, ulStatus))
            ClientMsg(10, CDEdureMsg::eError, NS_QMKRNL2::StringResLoad(idText));
        ReportAnEvent(LOG_ERROR, 2060, "");
        QM_TRACE_INTERNAL(1, "", "returned error 0x%8.8x", ulStatus);
    } else {
        m_fMadeChanges = true;
    }
    QM_TRACE_LEAVE(3, "ret=0x%8.8lx, m_fMadeChanges=%s", static_cast<unsigned long>(ulStatus),
                   QmBool2Str(m_fMadeChanges));
}

bool CKrnl2App::DoTheNvuxAddFiles(const char* pszDirectory) {
    QM_TRACE_ENTER(3, "Directory='%s'", pszDirectory);
    CString csBupInfo;
    csBupInfo.Format("%s/%s", pszDirectory, "BupInfo2.xml");
    if (!MscFileExists(csBupInfo)) {
        QM_TRACE_INTERNAL(1, "", "could not find file '%s'", csBupInfo.c_str());
        ClientMsg(10, CDEdureMsg::eError, "Creation of archive skipped, missing BupInfo.xml");
        ReportAnEvent(LOG_ERROR, 2036, m_CurArc.m_csName);
        return false;
    }
    QM_TRACE_INTERNAL(3, "", "Destination file='%s'", m_csCurArcPath.c_str());
    // Replaced whole: -ov keeps no member of the old archive, a failure leaves it as it was.
    CString csFailed;
    if (!ArchiveBuildReplace(m_csCurArcPath, pszDirectory, "*", csFailed)) {
        QM_TRACE_INTERNAL(1, "could not create BUP", "file='%s'", csFailed.c_str());
        ClientMsg(10, CDEdureMsg::eError, "Could not create BUP");
        const std::string strText = NS_QMKRNL2::EventTextExpand(NS_QMKRNL2::EventMsgLoad(2026), csFailed);
        ClientMsg(10, CDEdureMsg::eError, strText.c_str());
        ReportAnEvent(LOG_ERROR, 2026, csFailed);
        return false;
    }
    QM_TRACE_LEAVE(3, "ret=%s", QmBool2Str(true));
    return true;
}
