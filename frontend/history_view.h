// The kernel's history of jobs as the front-end shows it: read from its file
// (the older generation first), each line one entry.
#pragma once

#include <string>
#include <vector>

struct SHistoryEntry {
    std::string csTime;  // "2026-12-06T15:00:00Z"
    std::string csUser;
    long long nUid = -1;
    std::string csJob;
    std::string csCommandLine;
    std::string csPackage;
    std::string csResult;  // "done" or "failed"
    std::string csText;    // the job's first error
    std::string csReboot;  // "none", "scheduled" or "needed"
};

struct SHistory {
    std::vector<SHistoryEntry> entries;  // oldest first
    size_t nUnreadable = 0;              // lines that were no entry
};

// Missing files are an empty history; a file that cannot be read throws
// CFrontendError (eExitJobError) naming it and why.
SHistory HistoryRead(const std::string& csDir);
