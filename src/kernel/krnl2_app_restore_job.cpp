// The configuration restore job: a saved configuration archive written back by the module.
#include "kernel/krnl2_app.h"
#include "support/opus_trace.h"
#include "support/win_error.h"

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
    if ((fCheckAndSelect && !FileChoose(true)) || !ChosenFileConfirm(given) || !TransferDirReady())
        return ERROR_GEN_FAILURE;
    JobStep(5521, true);
    const uint32_t ulStatus = DoTheConfigurationRestoreMainLoop();
    m_Qmx.TransferDirRemove();
    return RunOutcomeReport(MJ_CONFIGURATION_RESTORE, ulStatus, m_Qmx.m_ConfigRestoreInfo);
}
