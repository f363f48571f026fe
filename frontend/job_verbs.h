// The verbs for the common jobs (update, backup, restore, last-action,
// combine), written as people write commands, turned into the kernel's
// option language, which stays available as it is.
#pragma once

#include <string>
#include <vector>

struct SVerbJob {
    std::vector<std::string> job;  // in the option language
    bool fPassword = false;        // --password was among the verb's flags
    bool fStatus = false;          // the "status" verb: the announcement, no job
    bool fHistory = false;         // the "history" verb: the kernel's history of jobs, no job
    bool fBootCheck = false;       // the "boot-check" verb: boot variables after an update, no job
};

// Whether the job's first word is a verb.
bool IsJobVerb(const std::vector<std::string>& words);
// words: the verb and what follows it. Throws CFrontendError (usage) for an
// unknown flag, a missing or surplus name.
SVerbJob JobVerbTranslate(const std::vector<std::string>& words);
// One line per verb and flag, for the help.
const char* JobVerbsHelp();
