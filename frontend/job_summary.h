// CJobSummary: the one line that ends every job, from its command line and
// the messages the kernel sent.
#pragma once

#include <map>
#include <string>
#include <utility>

#include "frontend/job_kind.h"
#include "frontend/job_outcome.h"
#include "frontend/message_decoder.h"

class CJobSummary {
public:
    explicit CJobSummary(const std::string& csCmdLine);

    void Observe(const SKernelMessage& msg);
    // "configuration archived to a.nvux", "failed: Invalid password", ...
    std::string Text() const { return TextGiven(Written()); }
    // A job that failed without an error message: the kernel reports a failed
    // combined package only in its log, and a module may fail a backup without
    // a word, so the absence of the file written tells.
    bool FailedSilently() const { return FailedSilentlyGiven(Written()); }
    // Everything but the hint; fJobError: an error message came, read or cut short.
    SJobOutcome Outcome(bool fJobError) const;

private:
    using EJob = EJobKind;
    // The files of the job's kind in the working directory, each with its inode
    // and modification time.
    using Packages = std::map<std::string, std::pair<unsigned long, long long>>;
    Packages PackagesNow() const;
    // The file the job wrote since it began (new or replaced): the make job's
    // package, the backup's archive; "" when none or the job writes none.
    std::string Written() const;
    bool FailedSilentlyGiven(const std::string& csWritten) const;
    std::string TextGiven(const std::string& csWritten) const;

    EJob m_eJob = EJob::kOther;
    std::string m_csWorkDir;
    std::string m_csExtension;  // of the files written: ".bup" or the archive's
    Packages m_Before;
    std::string m_csFile;
    std::string m_csError;
    std::string m_csReboot;
    bool m_fStatusShown = false;  // the last action's status arrived
    const char* m_pszReboot = "none";
};
