// SJobOutcome: how a job ended, as the printers tell it.
#pragma once

#include <string>

struct SJobOutcome {
    int nExitCode = 0;
    std::string csJob;      // "update", "backup", "restore", "last_action", "combine" or "other"
    std::string csSummary;  // "BIOS updated from new.bup", "failed: Invalid password" ...
    std::string csReboot;   // "none", "scheduled" (the kernel reboots) or "needed" (by hand)
    std::string csFile;     // the package or archive the job used or wrote; "" when not told
    std::string csHint;     // what to do about a refusal; "" when there is nothing to say
};
