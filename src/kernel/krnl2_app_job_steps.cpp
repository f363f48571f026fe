// The steps the module-driven jobs share: refusing, announcing, the transfer
// directory, choosing the file, confirmations, the request from the job's
// options, and the report of a module run that failed.
#include "bupinfo/bup_archive.h"
#include "kernel/krnl2_app.h"
#include "kernel/text_tables.h"
#include "quillmark/qmx2.h"
#include "support/opus_trace.h"
#include "support/win_error.h"

using NS_QMKRNL2::StringResLoad;

int CKrnl2App::ModuleFailureTextId(E_MODULE_JOB eJob, uint32_t ulStatus) {
    constexpr unsigned U = 1u << MJ_BIOS_UPDATE, R = 1u << MJ_CONFIGURATION_RESTORE,
                       B = 1u << MJ_CONFIGURATION_BACKUP;
    const struct {
        uint32_t reason;
        int idText;
        unsigned uJobs;
    } kTexts[] = {
        {QMX2_REASON_INSUFFICIENT_PRIVILEGES, 1082, U | R | B},
        {QMX2_REASON_DEVICE_ACCESS_DENIED, 1082, U | R},
        {QMX2_REASON_UNSUPPORTED_OS, 1094, U | R},
        {QMX2_REASON_TXT_ENABLED, 1083, U},
        {QMX2_REASON_INVALID_FILE, 1095, U},
        {QMX2_REASON_FORBIDDEN_ROLLBACK, 1096, U},
        {QMX2_REASON_INVALID_PASSWORD, 1097, U | R},
        {QMX2_REASON_NO_EFI_PARTITION, 1098, U | R},
    };
    for (const auto& row : kTexts)
        if (row.reason == Qmx2Reason(ulStatus) && (row.uJobs & (1u << eJob)) != 0)
            return row.idText;
    return 0;
}

uint32_t CKrnl2App::JobRefused(int idText) {
    ReportAnEvent(LOG_ERROR, 2012, StringResLoad(idText));
    ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eError, StringResLoad(idText));
    return ERROR_GEN_FAILURE;
}

void CKrnl2App::ArchiveRefusalReport(const CBupArchive& arc, bool fClient) {
    if (arc.RefusalGet().empty())
        return;
    CString csText;
    csText.Format("Package '%s': %s", arc.ArchiveNameGet(), arc.RefusalGet().c_str());
    ReportAnEvent(LOG_ERROR, 2012, csText);
    if (fClient)
        ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eError, csText.c_str());
}

void CKrnl2App::JobStep(int idText, bool fLogged) {
    if (fLogged)
        ReportAnEvent(LOG_INFO, 2010, StringResLoad(idText));
    ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eAction, StringResLoad(idText));
}

bool CKrnl2App::TransferDirReady() {
    if (m_Qmx.TransferDirPrepare(m_csTempDir))
        return true;
    ClientMsg(10, CDEdureMsg::eError, StringResLoad(1012));
    return false;
}

void CKrnl2App::WrkDirFromJob() {
    if (!m_JobCmdInfo.OptionExists(eWorkingDirectory))
        return;
    m_csWrkDir = m_JobCmdInfo.m_csWrkDir;
    m_csWrkDir.TrimRight('/');
}

bool CKrnl2App::FileChoose(bool fConfiguration) {
    // A restore's steps go to the log as well.
    if (fConfiguration)
        QM_TRACE_INTERNAL(3, "", "Check and select files ...");
    JobStep(5114, fConfiguration);
    std::vector<CBupAssessmentEx> candidates;
    const E_FILE_CHECK eCheck = fConfiguration
                                    ? ConfigurationFilesFindAndCheck(m_csWrkDir, m_JobCmdInfo.m_csTarget, candidates)
                                    : UpdateFilesFindAndCheck(m_csWrkDir, m_JobCmdInfo.m_csTarget, candidates);
    if (eCheck != FC_VALID) {
        JobRefused(FileCheckTextId(eCheck));
        return false;
    }
    FileResultKillConfirmFlags(candidates, CConfirmFlags(CConfirmFlags::FullUpdate));
    FileResultReport(candidates);
    JobStep(5510, fConfiguration);
    const E_FILE_CHECK eSelect = fConfiguration ? ConfigurationFileSelect(m_csWrkDir, candidates, m_CurArc)
                                                : UpdateFileSelect(m_csWrkDir, candidates, m_CurArc);
    if (eSelect != FC_VALID) {
        QM_TRACE_INTERNAL(1, "", "%s failed, %s", fConfiguration ? "ConfigurationFileSelect" : "UpdateFileSelect",
                          FileSelectFailure2Str(eSelect));
        JobRefused(FileSelectTextId(eSelect));
        return false;
    }
    QM_TRACE_INTERNAL(3, "Use file", "%s='%s'", fConfiguration ? "m_CurArc.m_csName" : "name",
                      m_CurArc.m_csName.c_str());
    return true;
}

bool CKrnl2App::ChosenFileConfirm(const CConfirmFlags& given) {
    ReportAnEvent(LOG_INFO, 1234, m_CurArc.m_csName);
    ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eFileName, m_CurArc.m_csName.c_str());
    // A full update is never asked for here.
    return ConfirmationsEnsure(
        m_CurArc.m_confirmflags.Without(given).Without(CConfirmFlags(CConfirmFlags::FullUpdate)));
}

bool CKrnl2App::ConfirmationsEnsure(const CConfirmFlags& missing) {
    if (ConfirmationsRequest(missing))
        return true;
    CString csFlags;
    QM_TRACE_INTERNAL(1, "Confirmation(s) missing", "%s", missing.ToString(csFlags));
    return false;
}

void CKrnl2App::OperationRequestFromJob(CQmx2OperationBase& rec) const {
    rec.m_fExtendedStatus = m_JobCmdInfo.OptionExists(eExtendedStatus);
    rec.m_fForceCapsuleOnDisk = m_JobCmdInfo.OptionExists(eForceCapsuleOnDisk);
    rec.m_fForceCapsulePost = m_JobCmdInfo.OptionExists(eForceCapsulePost);
    rec.m_fForceRuntime = m_JobCmdInfo.OptionExists(eForceRuntime);
}

void CKrnl2App::RequestFromJob(CQmx2UpdateInfo& rec) const {
    OperationRequestFromJob(rec);
    rec.SystemDataArea = m_JobCmdInfo.OptionExists(eSystemDataArea);
    rec.SetupSettingsArea = m_JobCmdInfo.OptionExists(eNvRamArea);
    rec.LogoArea = m_JobCmdInfo.OptionExists(eLogoArea);
    rec.PasswordArea = m_JobCmdInfo.OptionExists(ePasswordArea);
    rec.BootOrderVariablesArea = m_JobCmdInfo.OptionExists(eBootOrderVariablesArea);
}

uint32_t CKrnl2App::RunOutcomeReport(E_MODULE_JOB eJob, uint32_t ulStatus, const CQmx2OperationBase& rec) {
    const bool fRestore = eJob == MJ_CONFIGURATION_RESTORE;
    if (!Qmx2Failed(ulStatus) && rec.m_iSeq > 0) {
        if (fRestore)
            ReportAnEvent(LOG_INFO, 1231, m_CurArc.m_csName);
        m_fMadeChanges = true;
        return 0;
    }
    if (m_JobCmdInfo.OptionExists(eExtendedStatus) && m_Qmx.m_pActionInfo)
        ClientMsgWait(m_nClientWaitTimeout, 1, CDEdureMsg::eError, m_Qmx.m_pActionInfo->m_sStatusInfo.c_str());
    if (const int idText = ModuleFailureTextId(eJob, ulStatus)) {
        ReportAnEvent(LOG_ERROR, 2012, StringResLoad(idText));
        ClientMsgWait(m_nClientWaitTimeout, 1, CDEdureMsg::eError, StringResLoad(idText));
    } else {
        ClientMsgWait(m_nClientWaitTimeout, 1, CDEdureMsg::eError, StringResLoad(fRestore ? 5523 : 1053));
    }
    if (fRestore)
        ReportAnEvent(LOG_ERROR, 2012, StringResLoad(5523));
    else
        ReportAnEvent(LOG_ERROR, 1225, m_CurArc.m_csName);
    QM_TRACE_INTERNAL(1, "", "%s returned error 0x%8.8x", fRestore ? "DoConfigurationRestore" : "DoBiosUpdate",
                      ulStatus);
    if (!Qmx2Failed(ulStatus))
        m_fMadeChanges = true;
    return 0;
}
