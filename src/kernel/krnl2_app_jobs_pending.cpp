// Jobs this build does not carry out yet: each tells the front-end so and changes nothing.
#include "kernel/krnl2_app.h"
#include "support/opus_trace.h"
#include "support/win_error.h"

namespace {
constexpr const char* kNotYet = " is not available yet in this version of qmkrnl2";
}

void CKrnl2App::DoTheBiosUpdate() {
    QM_TRACE_ENTER(3, "%s", "");
    ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eError, (CString("BIOS update") + kNotYet).c_str());
}

uint32_t CKrnl2App::ExtLocateAndExecuteSynchronousCommand() {
    QM_TRACE_ENTER(3, "%s", "");
    ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eError, (CString("Combined archive creation") + kNotYet).c_str());
    return ERROR_GEN_FAILURE;
}
