// Waiting for a process to end, woken by the end itself (a process descriptor)
// rather than by looking again and again.
#pragma once

#include <sys/types.h>

#include <chrono>

// A descriptor that polls readable once the process has ended; -1 (errno set)
// when the process is gone or the system has no such descriptors.
int ProcessHandleOpen(pid_t pid);

// Returns when the process has ended (for a child: is ready to be reaped), a
// signal arrived, or maxWait passed, whichever comes first; the caller looks
// at the process again. Where process descriptors are missing, it waits a
// short look instead.
void ProcessEndWait(pid_t pid, std::chrono::milliseconds maxWait);
