// CFrontendOptions: quillmark's own options and the job, which goes to the
// kernel as one command line in its option language.
#pragma once

#include <string>
#include <vector>

class CFrontendOptions {
public:
    static constexpr int kDefaultTimeoutSeconds = 60;

    // args without the program name. Throws CFrontendError (eExitUsage).
    static CFrontendOptions Parse(const std::vector<std::string>& args);

    // One argument as the kernel's tokenizer reads it back: quoted when empty or
    // holding a blank, tab or quote, inner quotes doubled.
    static std::string QuoteArgument(const std::string& csArg);
    // The job arguments joined by single blanks. The kernel runs elsewhere, so
    // unless the job names its directory (-d), csWorkDir goes first as one.
    std::string CommandLine(const std::string& csWorkDir = std::string()) const;

    bool Json() const { return m_fJson; }
    bool Status() const { return m_fStatus; }
    bool History() const { return m_fHistory; }
    bool BootCheck() const { return m_fBootCheck; }
    bool Help() const { return m_fHelp; }
    bool Version() const { return m_fVersion; }
    bool Password() const { return m_fPassword; }
    int TimeoutSeconds() const { return m_nTimeoutSeconds; }
    const std::string& KernelPath() const { return m_csKernelPath; }
    const std::vector<std::string>& Job() const { return m_Job; }
    // The job makes a combined package, which only a kernel without a board module does.
    bool MakeJob() const;

private:
    // An option of the kernel's language such as --auto starts the job; any
    // other --word before the job is a mistake.
    static bool IsKernelOption(const std::string& csArg);
    static bool IsPasswordSwitch(const std::string& csArg);
    static int TimeoutParse(const std::string& csValue);

    bool m_fJson = false;
    bool m_fStatus = false;
    bool m_fHistory = false;
    bool m_fBootCheck = false;
    bool m_fHelp = false;
    bool m_fVersion = false;
    bool m_fPassword = false;
    int m_nTimeoutSeconds = kDefaultTimeoutSeconds;
    std::string m_csKernelPath;
    std::vector<std::string> m_Job;
};
