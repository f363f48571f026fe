// One help line per job option of the kernel's option language, in the order
// of its option table, so an option added there shows up in the help.
#pragma once

#include <string>

#include "cmdline/qm_cmd_line.h"

// What the option does; null for an option without a description yet.
const char* JobOptionDescription(E_OPTIONS eOption);
// Every option the table shows, with its typed forms and parameter.
std::string JobOptionsHelp();
