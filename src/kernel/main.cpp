#include "kernel/krnl2_app.h"
#include "kernel/signals.h"
#include "support/opus_trace.h"

// Constructed in this order before main and destroyed in reverse order.
COpusTrace g_Trace("/opt/fleetmon/trace/qmkrnl2.ini");
static CKrnl2App theApp;

int main(int argc, char** argv) {
    QM_TRACE_ENTER(3, "argc=%d", argc);
    if (g_Trace.IsOn(3)) {
        CString params;
        g_Trace.OutTVBigRaw(3, "Command line Parameters:", CommandLineParameters2Str(argc, argv, params));
    }
    int nRet = 1;
    if (theApp.Init(argc, argv)) {
        sig_proc_inst();
        nRet = theApp.Run();
    }
    QM_TRACE_LEAVE(3, "ret=%d", nRet);
    return nRet;
}
