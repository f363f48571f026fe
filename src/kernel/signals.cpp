#include "kernel/signals.h"

#include <csignal>

#include "support/opus_trace.h"

// Each handler only re-arms itself; a job in progress must not be cut short.
void sig_proc_abort(int nSig) { std::signal(nSig, sig_proc_abort); }
void sig_proc_ctrl_c(int nSig) { std::signal(nSig, sig_proc_ctrl_c); }
void sig_proc_term_requ(int nSig) { std::signal(nSig, sig_proc_term_requ); }

void sig_proc_inst() {
    QM_TRACE_ENTER(3, "%s", "");
    std::signal(SIGABRT, sig_proc_abort);
    std::signal(SIGINT, sig_proc_ctrl_c);
    std::signal(SIGTERM, sig_proc_term_requ);
    QM_TRACE_LEAVE(3, "%s", "");
}
