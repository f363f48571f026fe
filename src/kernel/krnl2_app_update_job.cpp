// The BIOS update job: a package chosen from the candidates, written by the module over several calls.
#include "kernel/krnl2_app.h"
#include "kernel/text_tables.h"
#include "support/opus_trace.h"
#include "support/win_error.h"

namespace {

const char* Text(int id) { return NS_QMKRNL2::StringResLoad(id); }

// The text for a failed update, by the reason of the module's code; 0 for one without its own text.
int UpdateFailureText(uint32_t ulStatus) {
    switch ((ulStatus >> 16) & 0xFF) {
    case 0x04:
    case 0x09: return 1082;
    case 0x0A: return 1094;
    case 0x0D: return 1083;
    case 0x05: return 1095;
    case 0x0C: return 1096;
    case 0x0E: return 1097;
    case 0x0F: return 1098;
    default: return 0;
    }
}

}  // namespace

uint32_t CKrnl2App::DoTheBiosUpdate() {
    QM_TRACE_ENTER(3, "%s", "BIOS UPDATE");
    const uint32_t ulRet = BiosUpdateRun();
    QM_TRACE_LEAVE(3, "ret=0x%X", ulRet);
    return ulRet;
}

uint32_t CKrnl2App::BiosUpdateRun() {
    ReportAnEvent(LOG_INFO, 1219, "");
    if (!m_Qmx.m_OemInfo.fBiosUpdate) {
        QM_TRACE_INTERNAL(1, "", "module does not support BIOS update");
        return JobRefused(1063);
    }
    CConfirmFlags given;
    ConfirmationsFromCmdLine(given);
    if (!m_Qmx.TransferDirPrepare(m_csTempDir)) {
        ClientMsg(10, CDEdureMsg::eError, Text(1012));
        return ERROR_GEN_FAILURE;
    }
    ReportAnEvent(LOG_INFO, 1206, "");
    ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eAction, Text(5114));

    std::vector<CBupAssessmentEx> candidates;
    const E_FILE_CHECK eCheck = UpdateFilesFindAndCheck(m_csWrkDir, m_JobCmdInfo.m_csTarget, candidates);
    if (eCheck != FC_VALID)
        return JobRefused(FileCheckTextId(eCheck));
    FileResultKillConfirmFlags(candidates, CConfirmFlags(CConfirmFlags::FullUpdate));
    FileResultReport(candidates);
    ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eAction, Text(5510));
    const E_FILE_CHECK eSelect = UpdateFileSelect(m_csWrkDir, candidates, m_CurArc);
    if (eSelect != FC_VALID) {
        QM_TRACE_INTERNAL(1, "", "UpdateFileSelect failed, %s", FileSelectFailure2Str(eSelect));
        return JobRefused(FileSelectTextId(eSelect));
    }
    QM_TRACE_INTERNAL(3, "Use file", "name='%s'", m_CurArc.m_csName.c_str());
    if (!ChosenFileConfirm(given))
        return ERROR_GEN_FAILURE;
    ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eAction, Text(1050));

    // Areas other than the BIOS code alone are the restore's business, from this package.
    uint32_t ulStatus = 0;
    int iSeq = 0;
    if (m_JobCmdInfo.is_anything_besides_BiosCodeArea_selected()) {
        ulStatus = DoTheConfigurationRestoreMainLoop();
        iSeq = m_Qmx.m_ConfigRestoreInfo.m_iSeq;
    } else {
        ulStatus = DoTheBiosUpdateMainLoop();
        iSeq = m_Qmx.m_UpdateInfo.m_iSeq;
    }
    if (!Qmx2Failed(ulStatus) && iSeq > 0) {
        m_fMadeChanges = true;
        return 0;
    }
    if (m_JobCmdInfo.OptionExists(eExtendedStatus) && m_Qmx.m_pActionInfo)
        ClientMsgWait(m_nClientWaitTimeout, 1, CDEdureMsg::eError, m_Qmx.m_pActionInfo->m_sStatusInfo.c_str());
    if (const int idText = UpdateFailureText(ulStatus)) {
        ClientMsgWait(m_nClientWaitTimeout, 1, CDEdureMsg::eError, Text(idText));
        ReportAnEvent(LOG_ERROR, 2012, Text(idText));
    } else {
        ClientMsgWait(m_nClientWaitTimeout, 1, CDEdureMsg::eError, Text(1053));
    }
    ReportAnEvent(LOG_ERROR, 1225, m_CurArc.m_csName);
    QM_TRACE_INTERNAL(1, "", "DoBiosUpdate returned error 0x%8.8x", ulStatus);
    if (!Qmx2Failed(ulStatus))
        m_fMadeChanges = true;
    return 0;
}

bool CKrnl2App::ChosenFileConfirm(const CConfirmFlags& given) {
    ReportAnEvent(LOG_INFO, 1234, m_CurArc.m_csName);
    ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eFileName, m_CurArc.m_csName.c_str());
    // A full update is never asked for here.
    const CConfirmFlags missing =
        m_CurArc.m_confirmflags.Without(given).Without(CConfirmFlags(CConfirmFlags::FullUpdate));
    if (ConfirmationsRequest(missing))
        return true;
    CString csFlags;
    QM_TRACE_INTERNAL(1, "Confirmation(s) missing", "%s", missing.ToString(csFlags));
    return false;
}

void CKrnl2App::FirstCallDone(uint32_t ulStatus, CQmx2OperationBase& rec) {
    if (Qmx2Failed(ulStatus)) {
        StateInfoSendToClient(ulStatus);
        if (!rec.m_sStatusInfo.empty())
            ReportAnEvent(LOG_ERROR, 2012, rec.m_sStatusInfo.c_str());
    }
    // The password travels from the second call on.
    if (m_JobCmdInfo.OptionExists(ePwd))
        rec.sPassword = m_JobCmdInfo.m_csPassword.str();
}

uint32_t CKrnl2App::JobRefused(int idText) {
    ReportAnEvent(LOG_ERROR, 2012, Text(idText));
    ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eError, Text(idText));
    return ERROR_GEN_FAILURE;
}

void CKrnl2App::RequestFromJob(CQmx2UpdateInfo& rec) const {
    rec.m_fExtendedStatus = m_JobCmdInfo.OptionExists(eExtendedStatus);
    rec.m_fForceCapsuleOnDisk = m_JobCmdInfo.OptionExists(eForceCapsuleOnDisk);
    rec.m_fForceCapsulePost = m_JobCmdInfo.OptionExists(eForceCapsulePost);
    rec.m_fForceRuntime = m_JobCmdInfo.OptionExists(eForceRuntime);
    rec.SystemDataArea = m_JobCmdInfo.OptionExists(eSystemDataArea);
    rec.SetupSettingsArea = m_JobCmdInfo.OptionExists(eNvRamArea);
    rec.LogoArea = m_JobCmdInfo.OptionExists(eLogoArea);
    rec.PasswordArea = m_JobCmdInfo.OptionExists(ePasswordArea);
    rec.BootOrderVariablesArea = m_JobCmdInfo.OptionExists(eBootOrderVariablesArea);
}

uint32_t CKrnl2App::DoTheBiosUpdateMainLoop() {
    CString csOptions;
    QM_TRACE_ENTER(3, "m_JobCmdInfo.m_Options={%s}", m_JobCmdInfo.m_Options.ToString(csOptions));
    CQmx2UpdateInfo& rec = m_Qmx.m_UpdateInfo;
    RequestFromJob(rec);
    rec.fBreakOnMeUpdateError = m_JobCmdInfo.OptionExists(eBreakOnMeUpdateError);
    rec.BiosCodeArea = m_JobCmdInfo.OptionExists(eBiosCodeArea);

    uint32_t ulStatus = m_Qmx.DoBiosUpdate(true);
    FirstCallDone(ulStatus, rec);

    while (!Qmx2Failed(ulStatus)) {
        QM_TRACE_INTERNAL(3, "", "state = %d", rec.m_iSeq);
        StateInfoSendToClient(ulStatus);
        if (!rec.m_sNextFile.empty()) {
            if (NextFileAbsorb(rec.m_sNextFile.c_str(), rec.NextFileLoc, m_Qmx.m_csTransferDir))
                rec.m_sSourcePath = m_Qmx.m_csTransferDir.str();
            else
                QM_TRACE_INTERNAL(1, "", "Could not extract file '%s'", rec.m_sNextFile.c_str());
        }
        const int iSeq = rec.m_iSeq;
        if (iSeq == 10000) {
            if (!PowerStatesSet(m_Qmx.m_BupInfo.PowerStatesAfterBiosUpdate, 1))
                m_eShutDown = SD_ACTIVATE_CHANGES;
            CString csFile;
            csFile.Format("%s/%s", m_csWrkDir.c_str(), m_CurArc.m_csName.c_str());
            ReportAnEvent(LOG_INFO, 2028, csFile);
            break;
        }
        if (iSeq >= 10001 && iSeq <= 10010) {
            m_eShutDown = iSeq <= 10005 ? SD_ACTIVATE_CHANGES_COLD_BOOT : SD_OP_PENDING;
            QM_TRACE_INTERNAL(2, "", "Preserving restart info is no longer supported");
            break;
        }
        if (iSeq == -10000) {
            PowerStatesSet(m_Qmx.m_BupInfo.PowerStatesAfterBiosUpdate, 1);
            m_eShutDown = SD_NO;
            break;
        }
        ulStatus = m_Qmx.DoBiosUpdate(false);
    }
    QM_TRACE_LEAVE(3, "dwRet=%u", ulStatus);
    return ulStatus;
}
