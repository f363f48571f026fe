// CSessionClient: hands one job to a kernel and shows the session that follows,
// starting a new kernel when the one it found ends before taking the job.
#pragma once

#include <memory>
#include <string>

#include "frontend/kernel_locator.h"
#include "frontend/message_printer.h"

class CSessionClient {
public:
    // A kernel ends after one job: a front-end arriving as it ends starts the next one.
    static constexpr int kRestartsMax = 3;
    static constexpr int kAnnounceSeconds = 60;

    CSessionClient(CKernelLocator& locator, CMessagePrinter& printer, int nTimeoutSeconds)
        : m_locator(locator), m_printer(printer), m_nTimeoutSeconds(nTimeoutSeconds) {}

    // Prints the announcement: eExitOk, or eExitKernelState for an error state.
    int Status();
    // The job's exit code: eExitOk, or eExitJobError after an error message.
    // Throws CFrontendError for everything that keeps the job from its end.
    int Job(const std::string& csCmdLine);

private:
    enum E_REQUEST { eAccepted, eKernelGone };

    // A kernel that has announced itself and is in no error state.
    std::unique_ptr<CKrnl2Inter> AnnouncedKernel();
    E_REQUEST Request(CKrnl2Inter& inter, const std::string& csCmdLine);
    int Session(CKrnl2Inter& inter, const std::string& csCmdLine);
    [[noreturn]] void RequestTimedOut(int pidBusy) const;

    CKernelLocator& m_locator;
    CMessagePrinter& m_printer;
    int m_nTimeoutSeconds;
    // The board and BIOS of the kernel that took the job, for the remedy of a refusal.
    SKernelStatus m_Announced;
};
