// CRemedyHint: the one line after a refused job that tells the user what to
// do: the flag to add, the boards and versions that did not match, the files
// that were looked at. The kernel's own texts stay as they are; this is ours.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "frontend/kernel_status.h"
#include "frontend/message_decoder.h"

class CRemedyHint {
public:
    // csCmdLine: the job as sent; announced: the board and BIOS the kernel announced.
    CRemedyHint(const std::string& csCmdLine, SKernelStatus announced);

    void Observe(const SKernelMessage& msg);
    // "" when the job met no refusal we know a remedy for.
    std::string Text() const;

private:
    std::string ConfirmationsHint(const std::string& csMissing) const;
    std::string MismatchHint(bool fDowngrade) const;
    std::string NoCandidateHint() const;
    std::string MachineText() const;
    // The path of a name the kernel reported, which is relative to the job's folder.
    std::string PathOf(const std::string& csName) const;

    bool m_fRestore = false;
    bool m_fUpdate = false;
    bool m_fBackup = false;
    bool m_fModuleRan = false;  // the module began work on the chosen file
    std::string m_csWorkDir;
    std::string m_csTarget;
    SKernelStatus m_Announced;
    std::string m_csError;
    std::vector<std::string> m_Looked;             // file names, first mention first
    std::map<std::string, std::string> m_Verdict;  // candidate name -> its verdict in words
    std::string m_csChosenVerdict;                 // the verdict of the last candidate told
};

// What to do about a kernel's error state; "" when nothing can be done.
std::string KernelStateHint(int32_t nState);
