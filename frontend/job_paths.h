// The file and folder names of a job as people give them (absolute, or
// relative to where they stand) turned into what the kernel expects: a
// working directory and names inside it, or absolute paths. Inputs that are
// not there are reported before anything is sent.
#pragma once

#include <string>
#include <vector>

struct SJobPaths {
    std::vector<std::string> words;  // the job with its names resolved
    std::string strWorkDir;          // the kernel's working directory for it
};

// strCwd: where the user stands (absolute); empty leaves every name as given.
// Throws CFrontendError (usage) for an input file or folder that does not exist.
SJobPaths JobPathsResolve(const std::vector<std::string>& job, const std::string& strCwd);
