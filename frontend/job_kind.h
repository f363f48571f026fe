// Which job a command line asks for, decided as the kernel decides it.
#pragma once

#include "cmdline/qm_cmd_line.h"

enum class EJobKind { kOther, kUpdate, kBackup, kRestore, kActionStatus, kMake };

// In the kernel's own order of precedence among the jobs.
EJobKind JobKindOf(const CQmCmdLine& cmd);
// "update", "backup", "restore", "last_action", "combine" or "other", as the JSON stream names them.
const char* JobKindName(EJobKind eKind);
