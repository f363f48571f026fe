#include "frontend/signal_guard.h"

#include <iterator>

#include "frontend/frontend_error.h"

namespace {

volatile sig_atomic_t s_fInterrupted = 0;

extern "C" void OnSignal(int) { s_fInterrupted = 1; }

}  // namespace

CSignalGuard::CSignalGuard() {
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    // No SA_RESTART: a blocking read of the password returns with EINTR.
    sa.sa_flags = 0;
    for (size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &sa, &m_old[i]);
}

CSignalGuard::~CSignalGuard() {
    for (size_t i = 0; i < std::size(kSignals); ++i)
        sigaction(kSignals[i], &m_old[i], nullptr);
}

bool CSignalGuard::Interrupted() { return s_fInterrupted != 0; }

void CSignalGuard::ThrowIfInterrupted() {
    if (Interrupted())
        throw CFrontendError(eExitInterrupted, "interrupted");
}
