#include "frontend/job_paths.h"

#include <strings.h>
#include <sys/stat.h>

#include <filesystem>

#include "frontend/frontend_error.h"

namespace {

namespace fs = std::filesystem;

bool Is(const std::string& strWord, std::initializer_list<const char*> names) {
    for (const char* pszName : names)
        if (strcasecmp(strWord.c_str(), pszName) == 0)
            return true;
    return false;
}

bool JobHas(const std::vector<std::string>& job, std::initializer_list<const char*> names) {
    for (const std::string& strWord : job)
        if (Is(strWord, names))
            return true;
    return false;
}

// Options are words that start with a dash; anything else may be a parameter.
bool IsParameter(const std::vector<std::string>& job, size_t i) { return i < job.size() && job[i].rfind('-', 0) != 0; }

std::string Absolute(const std::string& strName, const std::string& strCwd) {
    return (fs::path(strCwd) / strName).lexically_normal().string();
}

bool IsPattern(const std::string& strName) { return strName.find_first_of("*?[") != std::string::npos; }

void MustExist(const std::string& strPath, bool fFolder, const std::string& strWhat) {
    struct stat st {};
    if (stat(strPath.c_str(), &st) != 0)
        throw CFrontendError(eExitUsage, "no such " + std::string(fFolder ? "folder" : "file") + " for " + strWhat +
                                             ": " + strPath);
    if (fFolder && !S_ISDIR(st.st_mode))
        throw CFrontendError(eExitUsage, strWhat + " is not a folder: " + strPath);
    if (!fFolder && S_ISDIR(st.st_mode))
        throw CFrontendError(eExitUsage, strWhat + " names a folder, not a file: " + strPath);
}

}  // namespace

SJobPaths JobPathsResolve(const std::vector<std::string>& job, const std::string& strCwd) {
    SJobPaths paths{job, strCwd};
    if (strCwd.empty())
        return paths;
    // Jobs that read the file -o names; a backup or a combined package writes it.
    const bool fReadsTarget = JobHas(job, {"-at", "--auto", "-nvu", "--nvramupdate"}) &&
                              !JobHas(job, {"-arc", "--make"});
    const bool fOwnDir = JobHas(job, {"-d"});
    std::vector<std::string>& words = paths.words;
    for (size_t i = 0; i < words.size(); ++i) {
        if (!IsParameter(words, i + 1))
            continue;
        std::string& strValue = words[i + 1];
        if (Is(words[i], {"-d"})) {
            strValue = Absolute(strValue, strCwd);
            MustExist(strValue, true, "-d");
            paths.strWorkDir = strValue;
        } else if (Is(words[i], {"-lf", "--logfile"}) && strValue.rfind('/', 0) != 0) {
            strValue = Absolute(strValue, strCwd);
        } else if (Is(words[i], {"-binp", "-cinp"})) {
            strValue = Absolute(strValue, strCwd);
            MustExist(strValue, false, words[i]);
        } else if (Is(words[i], {"-o"}) && !fOwnDir) {
            // The kernel looks for the name in its working directory: the
            // folder the name gives becomes that.
            const fs::path target = fs::path(Absolute(strValue, strCwd));
            paths.strWorkDir = target.parent_path().string();
            strValue = target.filename().string();
            MustExist(paths.strWorkDir, true, "-o");
            if (fReadsTarget && !IsPattern(strValue))
                MustExist(target.string(), false, "-o");
        } else {
            continue;
        }
        ++i;
    }
    return paths;
}
