// The exit codes of quillmark; --help lists them in this order.
#pragma once

enum E_EXIT_CODE : int {
    eExitOk = 0,  // job done without an error message
    eExitJobError = 1,  // the job reported an error (any eError message)
    eExitUsage = 2,
    eExitKernel = 3,  // not reachable, did not accept the job in time, or ended during the session
    eExitKernelState = 4,  // no supporting board module or another error state
    eExitInterrupted = 130,
};
