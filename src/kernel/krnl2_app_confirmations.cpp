// Confirmations the user gives on the job's command line, and the request for missing ones.
#include "kernel/krnl2_app.h"
#include "kernel/text_tables.h"
#include "support/opus_trace.h"

void CKrnl2App::ConfirmationsFromCmdLine(CConfirmFlags& flags) {
    flags.Clear();
    if (m_JobCmdInfo.OptionExists(eOverwrite))
        flags.Set(CConfirmFlags::BiosOverwrite);
    // Either answer settles the reboot question.
    if (m_JobCmdInfo.OptionExists(eAllowReboot) || m_JobCmdInfo.OptionExists(eNoReboot))
        flags.Set(CConfirmFlags::BootForUpdate | CConfirmFlags::BootAfterUpdate);
}

bool CKrnl2App::ConfirmationsRequest(const CConfirmFlags& missing) {
    if (missing.IsEmpty())
        return true;
    struct SItem {
        uint32_t dwMask;
        int idText;
    };
    static const SItem items[] = {
        {CConfirmFlags::BiosOverwrite, 5119},
        {CConfirmFlags::BootForUpdate | CConfirmFlags::BootAfterUpdate, 5116},
        {CConfirmFlags::BupInconsistency, 5117},
        {CConfirmFlags::FullUpdate, 5118},
        {CConfirmFlags::IgnoreAc, 5179},
        {CConfirmFlags::WarnDialog, 5120},
    };
    CString csText = NS_QMKRNL2::StringResLoad(5130);
    csText += ": ";
    for (const SItem& item : items)
        if (missing.Test(item.dwMask)) {
            csText += NS_QMKRNL2::StringResLoad(item.idText);
            csText += ", ";
        }
    csText.TrimRight(", ");
    CString csFlags;
    QM_TRACE_INTERNAL(2, "", "missing: %s", missing.ToString(csFlags));
    ReportAnEvent(LOG_ERROR, 2012, csText);
    ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eError, csText.c_str());
    return false;
}

// The kernel cannot control the power states: they are all allowed or the machine must reboot.
bool CKrnl2App::PowerStatesSet(uint32_t dwStates, int /*fAfterUpdate*/) {
    constexpr uint32_t kAllPowerStates = 63;
    return (dwStates & kAllPowerStates) == kAllPowerStates;
}
