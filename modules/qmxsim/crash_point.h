// A test switch that kills the process at its Nth change to the state
// directory, the way a power cut or SIGKILL would: QMXSIM_CRASH_AT_OP=N in
// the environment of the process the module runs in. Unset, it does nothing.
#pragma once

namespace qmxsim {

// Called before every write, sync, rename, link, unlink and mkdir in the state directory.
void CrashPoint();
// Restarts the count; the module calls it at install, so N counts from there.
void CrashCountReset();

}  // namespace qmxsim
