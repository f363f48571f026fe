#include "frontend/quillmark_app.h"

#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <cstdlib>
#include <memory>
#include <optional>

#include "cmdline/job_line_check.h"
#include "frontend/frontend_error.h"
#include "frontend/frontend_options.h"
#include "frontend/human_printer.h"
#include "frontend/json_printer.h"
#include "frontend/kernel_locator.h"
#include "frontend/password_prompt.h"
#include "frontend/session_client.h"
#include "frontend/signal_guard.h"
#include "frontend/usage_text.h"
#include "ipc/ipc_fifo.h"
#include "support/history_file.h"
#include "support/job_history.h"

namespace {
// Empty when it cannot be named; the kernel then uses its own.
std::string JobProblemText(const SJobLineProblem& problem) {
    std::string cs = "in the job, '" + problem.strWord + "' " + problem.strReason;
    if (!problem.strNearest.empty())
        cs += "; did you mean '" + problem.strNearest + "'?";
    return cs;
}

// The outcome goes to the history of jobs as well; the service's output goes to the system log.
int BootCheck(CMessagePrinter& printer) {
    const char* pszRoot = std::getenv("QMXEFI_ROOT");
    const std::string csRoot = pszRoot && *pszRoot ? pszRoot : "/";
    SHistoryRecord record;
    record.tTime = time(nullptr);
    record.uid = getuid();
    record.strJob = "boot_check";
    record.strCommandLine = "boot-check";
    record.strPackage = (csRoot.back() == '/' ? csRoot : csRoot + "/") + kBootPendingFile;
    record.strReboot = "none";
    try {
        const SBootCheck result = BootCheckRun(csRoot);
        printer.BootCheckShow(result);
        if (result.fPending) {
            record.fDone = true;
            record.strText = BootCheckText(result);
            CJobHistory().Append(record);
        }
        return eExitOk;
    } catch (const CFrontendError& e) {
        record.strText = e.what();
        CJobHistory().Append(record);
        throw;
    }
}

std::string CurrentDirectory() {
    std::unique_ptr<char, decltype(&std::free)> psz(getcwd(nullptr, 0), &std::free);
    return psz ? std::string(psz.get()) : std::string();
}
}  // namespace

int CQuillmarkApp::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool fTerminal) {
    // A kernel that goes away while we write to its FIFO must give EPIPE, not end us.
    IpcSigPipeIgnore();
    const CSignalGuard signals;

    CFrontendOptions opts;
    std::string csCmdLine;
    try {
        opts = CFrontendOptions::Parse(args);
        if (opts.Help()) {
            out << UsageText() << std::flush;
            return eExitOk;
        }
        if (opts.Version()) {
            out << VersionText() << '\n' << std::flush;
            return eExitOk;
        }
        if (!opts.Status() && !opts.History() && !opts.BootCheck()) {
            csCmdLine = opts.CommandLine(CurrentDirectory());
            // The kernel ignores a line it cannot parse: the mistake is told here, at once.
            if (const std::optional<SJobLineProblem> problem = JobLineCheck(csCmdLine.c_str()))
                throw CFrontendError(eExitUsage, JobProblemText(*problem));
        }
    } catch (const CFrontendError& e) {
        // Before the failure we cannot know every option, but a --json ahead of it counts.
        const auto json = std::find(args.begin(), args.end(), "--json");
        if (json != args.end() && std::find(args.begin(), json, "--") == json) {
            CJsonPrinter printer(out, err);
            printer.Failure(e.what(), e.ExitCode(), e.Hint());
        } else {
            err << "quillmark: " << e.what() << '\n';
        }
        err << "try 'quillmark --help'\n" << std::flush;
        return e.ExitCode();
    }

    std::unique_ptr<CMessagePrinter> pPrinter;
    if (opts.Json())
        pPrinter = std::make_unique<CJsonPrinter>(out, err);
    else
        pPrinter = std::make_unique<CHumanPrinter>(out, err, fTerminal);
    try {
        if (opts.History()) {
            pPrinter->HistoryShow(HistoryRead(kHistoryDir));
            return eExitOk;
        }
        if (opts.BootCheck())
            return BootCheck(*pPrinter);
        CKernelLocator locator(opts.KernelPath(), opts.MakeJob());
        CSessionClient client(locator, *pPrinter, opts.TimeoutSeconds());
        if (opts.Status())
            return client.Status();
        if (opts.Password()) {
            std::string csPlain = CPasswordPrompt::Read();
            csCmdLine += CPasswordPrompt::PwcArgument(csPlain);
            CPasswordPrompt::Wipe(csPlain);
        }
        return client.Job(csCmdLine);
    } catch (const CFrontendError& e) {
        pPrinter->Failure(e.what(), e.ExitCode(), e.Hint());
        return e.ExitCode();
    }
}
