// CJobSummary: the one line that ends every job, from its command line and
// the messages the kernel sent.
#pragma once

#include <string>

#include "frontend/message_decoder.h"

class CJobSummary {
public:
    explicit CJobSummary(const std::string& csCmdLine);

    void Observe(const SKernelMessage& msg);
    // "configuration archived to a.nvux", "failed: Invalid password", ...
    std::string Text() const;

private:
    enum class EJob { kOther, kUpdate, kBackup, kRestore, kActionStatus };
    EJob m_eJob = EJob::kOther;
    std::string m_csFile;
    std::string m_csError;
    std::string m_csReboot;
};
