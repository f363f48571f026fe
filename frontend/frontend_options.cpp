#include "frontend/frontend_options.h"

#include <strings.h>

#include <algorithm>
#include <charconv>
#include <climits>

#include "cmdline/option_table.h"
#include "frontend/frontend_error.h"
#include "frontend/job_paths.h"
#include "frontend/job_verbs.h"
#include "frontend/long_option.h"
#include "frontend/password_prompt.h"

namespace {

[[noreturn]] void UsageError(const std::string& csText) { throw CFrontendError(eExitUsage, csText); }

}  // namespace

CFrontendOptions CFrontendOptions::Parse(const std::vector<std::string>& args) {
    CFrontendOptions opts;
    size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& csArg = args[i];
        if (csArg == "--") {
            ++i;
            break;
        }
        if (csArg.compare(0, 2, "--") != 0)
            break;
        if (LongOptionIs(csArg, "--json", false))
            opts.m_fJson = true;
        else if (LongOptionIs(csArg, "--status", false))
            opts.m_fStatus = true;
        else if (LongOptionIs(csArg, "--help", false))
            opts.m_fHelp = true;
        else if (LongOptionIs(csArg, "--version", false))
            opts.m_fVersion = true;
        else if (LongOptionIs(csArg, "--password", false))
            opts.m_fPassword = true;
        else if (LongOptionIs(csArg, "--timeout", true))
            opts.m_nTimeoutSeconds = TimeoutParse(LongOptionValue(args, i, "--timeout"));
        else if (LongOptionIs(csArg, "--kernel", true)) {
            opts.m_csKernelPath = LongOptionValue(args, i, "--kernel");
            if (opts.m_csKernelPath.empty())
                UsageError("option '--kernel' needs a path");
        } else if (IsKernelOption(csArg))
            break;
        else
            UsageError("unknown option '" + csArg + "'");
    }
    opts.m_Job.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
    if (IsJobVerb(opts.m_Job)) {
        SVerbJob verb = JobVerbTranslate(opts.m_Job);
        opts.m_Job = std::move(verb.job);
        opts.m_fPassword = opts.m_fPassword || verb.fPassword;
        opts.m_fStatus = opts.m_fStatus || verb.fStatus;
        opts.m_fHistory = verb.fHistory;
        opts.m_fBootCheck = verb.fBootCheck;
    }
    // What people type first when they need help, before any job.
    if (!opts.m_Job.empty() && (strcasecmp(opts.m_Job[0].c_str(), "-h") == 0 || opts.m_Job[0] == "-?"))
        opts.m_fHelp = true;

    if (opts.m_fHelp || opts.m_fVersion)
        return opts;
    if ((opts.m_fHistory || opts.m_fBootCheck) && (opts.m_fStatus || opts.m_fPassword))
        UsageError(std::string(opts.m_fHistory ? "history" : "boot-check") + " takes no other option");
    if (opts.m_fHistory || opts.m_fBootCheck)
        return opts;
    if (opts.m_fStatus && !opts.m_Job.empty())
        UsageError("--status takes no job");
    if (!opts.m_fStatus && opts.m_Job.empty())
        UsageError("no job given");
    if (opts.m_fPassword) {
        if (opts.m_Job.empty())
            UsageError("--password needs a job");
        for (const std::string& csJobArg : opts.m_Job)
            if (IsPasswordSwitch(csJobArg))
                UsageError("--password cannot be combined with '" + csJobArg + "' in the job");
    }
    return opts;
}

int CFrontendOptions::TimeoutParse(const std::string& csValue) {
    int nValue = 0;
    const char* pEnd = csValue.data() + csValue.size();
    const auto result = std::from_chars(csValue.data(), pEnd, nValue);
    if (csValue.empty() || result.ec != std::errc() || result.ptr != pEnd || nValue <= 0)
        UsageError("--timeout needs a positive number of seconds, not '" + csValue + "'");
    return nValue;
}

bool CFrontendOptions::IsKernelOption(const std::string& csArg) {
    if (csArg.empty() || csArg[0] != '-')
        return false;
    // The table holds the texts without the first dash and matches them regardless of case.
    const char* pszText = csArg.c_str() + 1;
    for (const SQmOptionRow& row : g_QmOptionTable)
        for (const char* pszRowText : row.apszTexts)
            if (pszRowText && strcasecmp(pszRowText, pszText) == 0)
                return true;
    return false;
}

bool CFrontendOptions::MakeJob() const {
    return std::any_of(m_Job.begin(), m_Job.end(),
                       [](const std::string& csArg) { return strcasecmp(csArg.c_str(), "--make") == 0; });
}

bool CFrontendOptions::IsPasswordSwitch(const std::string& csArg) {
    return strcasecmp(csArg.c_str(), "-pwd") == 0 || strcasecmp(csArg.c_str(), "-pwc") == 0;
}

std::string CFrontendOptions::QuoteArgument(const std::string& csArg) {
    if (!csArg.empty() && csArg.find_first_of(" \t\"") == std::string::npos)
        return csArg;
    std::string cs = "\"";
    for (char ch : csArg) {
        if (ch == '"')
            cs += '"';
        cs += ch;
    }
    cs += '"';
    return cs;
}

std::string CFrontendOptions::CommandLine(const std::string& csWorkDir) const {
    const SJobPaths paths = JobPathsResolve(m_Job, csWorkDir);
    const std::vector<std::string>& job = paths.words;
    const bool fOwnDir = std::any_of(job.begin(), job.end(),
                                     [](const std::string& csArg) { return strcasecmp(csArg.c_str(), "-d") == 0; });
    std::string cs;
    if (!paths.strWorkDir.empty() && !fOwnDir)
        cs = "-d " + QuoteArgument(paths.strWorkDir);
    for (size_t i = 0; i < job.size(); ++i) {
        if (!cs.empty())
            cs += ' ';
        // A password never travels in clear, however it was given.
        if (strcasecmp(job[i].c_str(), "-pwd") == 0 && i + 1 < job.size()) {
            cs += CPasswordPrompt::PwcArgument(job[++i]).substr(1);
            continue;
        }
        cs += QuoteArgument(job[i]);
    }
    return cs;
}
