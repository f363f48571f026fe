// Once installed, SIGABRT, SIGINT and SIGTERM neither stop nor interrupt the kernel.
#pragma once

void sig_proc_abort(int nSig);
void sig_proc_ctrl_c(int nSig);
void sig_proc_term_requ(int nSig);
void sig_proc_inst();
