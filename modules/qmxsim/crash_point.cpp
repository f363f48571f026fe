#include "crash_point.h"

#include <signal.h>

#include <cstdlib>

namespace qmxsim {

namespace {
long g_ops = 0;
}  // namespace

void CrashPoint() {
    const char* at = std::getenv("QMXSIM_CRASH_AT_OP");
    if (!at || !*at) return;
    if (++g_ops == std::strtol(at, nullptr, 10)) ::raise(SIGKILL);
}

void CrashCountReset() { g_ops = 0; }

}  // namespace qmxsim
