// The BIOS update job: a package chosen from the candidates, written by the module over several calls.
#include "kernel/krnl2_app.h"
#include "support/opus_trace.h"
#include "support/win_error.h"

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
    if (!TransferDirReady())
        return ERROR_GEN_FAILURE;
    ReportAnEvent(LOG_INFO, 1206, "");
    if (!FileChoose(false) || !ChosenFileConfirm(given))
        return ERROR_GEN_FAILURE;
    JobStep(1050, false);
    // Areas other than the BIOS code alone are the restore's business, from this package.
    if (m_JobCmdInfo.is_anything_besides_BiosCodeArea_selected())
        return RunOutcomeReport(MJ_BIOS_UPDATE, DoTheConfigurationRestoreMainLoop(), m_Qmx.m_ConfigRestoreInfo);
    return RunOutcomeReport(MJ_BIOS_UPDATE, DoTheBiosUpdateMainLoop(), m_Qmx.m_UpdateInfo);
}
