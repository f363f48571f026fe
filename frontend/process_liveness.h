// Whether a process still runs: it exists and is no zombie.
#pragma once

#include <sys/types.h>

#include <string>

// The state letter of a /proc/<pid>/stat text, taken after the last ')' because
// the command name may itself hold ") Z"; '\0' when the text is malformed.
char ProcStatState(const std::string& csStat);

// kill(pid, 0) succeeds or fails with EPERM, and /proc does not show a zombie
// (or a dead task). Where /proc cannot be read, kill() alone decides.
bool ProcessAlive(pid_t pid);
