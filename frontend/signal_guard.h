// CSignalGuard: SIGINT, SIGTERM and SIGHUP only raise a flag while it lives;
// the waiting loops look at the flag, clean up and end with exit code 130.
#pragma once

#include <signal.h>

class CSignalGuard {
public:
    CSignalGuard();
    ~CSignalGuard();
    CSignalGuard(const CSignalGuard&) = delete;
    CSignalGuard& operator=(const CSignalGuard&) = delete;

    static bool Interrupted();
    // Throws CFrontendError (eExitInterrupted) once a signal came.
    static void ThrowIfInterrupted();

private:
    static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
    struct sigaction m_old[3];
};
