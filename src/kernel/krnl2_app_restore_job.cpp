// The configuration restore job: a saved configuration archive written back by the module.
#include "kernel/krnl2_app.h"
#include "kernel/text_tables.h"
#include "support/opus_trace.h"
#include "support/win_error.h"

namespace {

const char* Text(int id) { return NS_QMKRNL2::StringResLoad(id); }

}  // namespace

void CKrnl2App::DoTheConfigurationRestore(bool fCheckAndSelect) {
    QM_TRACE(3, "Enter", "NVRAM UPDATE", "fCheckNSelect=%s", QmBool2Str(fCheckAndSelect));
    const uint32_t ulRet = ConfigurationRestoreRun(fCheckAndSelect);
    QM_TRACE(3, "Leave", "NVRAM UPDATE", "ret=0x%X", ulRet);
}

uint32_t CKrnl2App::ConfigurationRestoreRun(bool fCheckAndSelect) {
    ReportAnEvent(LOG_INFO, 1254, "");
    if (!m_Qmx.m_OemInfo.fConfigurationRestore) {
        QM_TRACE_INTERNAL(1, "", "module does not support system configuration data update");
        return JobRefused(5137);
    }
    CConfirmFlags given;
    ConfirmationsFromCmdLine(given);

    if (fCheckAndSelect) {
        QM_TRACE_INTERNAL(3, "", "Check and select files ...");
        ReportAnEvent(LOG_INFO, 2010, Text(5114));
        ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eAction, Text(5114));
        std::vector<CBupAssessmentEx> candidates;
        const E_FILE_CHECK eCheck = ConfigurationFilesFindAndCheck(m_csWrkDir, m_JobCmdInfo.m_csTarget, candidates);
        if (eCheck != FC_VALID)
            return JobRefused(FileCheckTextId(eCheck));
        FileResultKillConfirmFlags(candidates, CConfirmFlags(CConfirmFlags::FullUpdate));
        FileResultReport(candidates);
        ReportAnEvent(LOG_INFO, 2010, Text(5510));
        ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eAction, Text(5510));
        const E_FILE_CHECK eSelect = ConfigurationFileSelect(m_csWrkDir, candidates, m_CurArc);
        if (eSelect != FC_VALID) {
            QM_TRACE_INTERNAL(1, "", "ConfigurationFileSelect failed, %s", FileSelectFailure2Str(eSelect));
            return JobRefused(FileSelectTextId(eSelect));
        }
        QM_TRACE_INTERNAL(3, "Use file", "m_CurArc.m_csName='%s'", m_CurArc.m_csName.c_str());
    }
    if (!ChosenFileConfirm(given))
        return ERROR_GEN_FAILURE;
    if (!m_Qmx.TransferDirPrepare(m_csTempDir)) {
        ClientMsg(10, CDEdureMsg::eError, Text(1012));
        return ERROR_GEN_FAILURE;
    }
    ReportAnEvent(LOG_INFO, 2010, Text(5521));
    ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eAction, Text(5521));
    const uint32_t ulStatus = DoTheConfigurationRestoreMainLoop();
    m_Qmx.TransferDirRemove();

    if (!Qmx2Failed(ulStatus) && m_Qmx.m_ConfigRestoreInfo.m_iSeq > 0) {
        ReportAnEvent(LOG_INFO, 1231, m_CurArc.m_csName);
        m_fMadeChanges = true;
        return 0;
    }
    if (m_JobCmdInfo.OptionExists(eExtendedStatus))
        ClientMsgWait(m_nClientWaitTimeout, 1, CDEdureMsg::eError, m_Qmx.m_ConfigRestoreInfo.m_sStatusInfo.c_str());
    int idReason = 0;
    switch ((ulStatus >> 16) & 0xFF) {
    case 0x04:
    case 0x09: idReason = 1082; break;
    case 0x0A: idReason = 1094; break;
    case 0x0E: idReason = 1097; break;
    case 0x0F: idReason = 1098; break;
    default: break;
    }
    if (idReason != 0)
        ReportAnEvent(LOG_ERROR, 2012, Text(idReason));
    ClientMsgWait(m_nClientWaitTimeout, 1, CDEdureMsg::eError, Text(idReason != 0 ? idReason : 5523));
    ReportAnEvent(LOG_ERROR, 2012, Text(5523));
    QM_TRACE_INTERNAL(1, "", "DoConfigurationRestore returned error 0x%8.8x", ulStatus);
    if (!Qmx2Failed(ulStatus))
        m_fMadeChanges = true;
    return 0;
}

uint32_t CKrnl2App::DoTheConfigurationRestoreMainLoop() {
    CString csOptions;
    QM_TRACE_ENTER(3, "m_JobCmdInfo.m_Options={%s}", m_JobCmdInfo.m_Options.ToString(csOptions));
    CQmx2ConfigRestoreInfo& rec = m_Qmx.m_ConfigRestoreInfo;
    rec.clear();
    RequestFromJob(rec);
    rec.m_sSourcePath = m_Qmx.m_csTransferDir.str();

    uint32_t ulStatus = m_Qmx.DoConfigurationRestore(true);
    FirstCallDone(ulStatus, rec);
    while (!Qmx2Failed(ulStatus)) {
        QM_TRACE_INTERNAL(3, "", "iSeq = %d", rec.m_iSeq);
        StateInfoSendToClient(ulStatus);
        const auto eLocation = static_cast<CNextFileLocation::e_next_file_location>(rec.NextFileLoc);
        if (!rec.m_sNextFile.empty() && !NextFileAbsorb(rec.m_sNextFile.c_str(), eLocation, m_Qmx.m_csTransferDir))
            QM_TRACE_INTERNAL(2, "Could not extract file", "name='%s'", rec.m_sNextFile.c_str());
        if (rec.m_iSeq == 10000) {
            ClientMsgWait(m_nClientWaitTimeout, 10, CDEdureMsg::eInfo, Text(5522));
            if (rec.sFeedback.find("SD_OP_PENDING") != std::string::npos)
                m_eShutDown = SD_OP_PENDING;
            else if (rec.sFeedback.find("SD_ACTIVATE_CHANGES_COLD_BOOT") != std::string::npos)
                m_eShutDown = SD_ACTIVATE_CHANGES_COLD_BOOT;
            QM_TRACE_INTERNAL(3, "", "iSeq=%d, m_eShutDown=%s", rec.m_iSeq, EShutDonw2Str(m_eShutDown));
            break;
        }
        if (rec.m_iSeq == -10000) {
            QM_TRACE_INTERNAL(1, "OEM module cancled operation", "iSeq='%d'", rec.m_iSeq);
            m_eShutDown = SD_NO;
            break;
        }
        ulStatus = m_Qmx.DoConfigurationRestore(false);
        std::string sText;
        rec.ToStringMini(sText);
        QM_TRACE_INTERNAL(4, "Result of m_Qmx.DoConfigurationRestore", "%s", sText.c_str());
        if (Qmx2Failed(ulStatus)) {
            if (!rec.m_sStatusInfo.empty())
                ReportAnEvent(LOG_ERROR, 2012, rec.m_sStatusInfo.c_str());
            QM_TRACE_INTERNAL(1, "Call to m_Qmx.DoConfigurationRestore() returned ERROR", "dwRet=0x%X", ulStatus);
        } else {
            StateInfoSendToClient(ulStatus);
        }
    }
    QM_TRACE_LEAVE(3, "dwRet=%u", ulStatus);
    return ulStatus;
}
