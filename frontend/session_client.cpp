#include "frontend/session_client.h"

#include <unistd.h>

#include <chrono>
#include <thread>

#include "frontend/frontend_error.h"
#include "frontend/job_summary.h"
#include "frontend/remedy_hint.h"
#include "frontend/signal_guard.h"
#include "support/opus_trace.h"
#include "support/win_error.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kLook = std::chrono::milliseconds(5);
// A kernel may mark the session as ours only after its acceptance arrived.
constexpr auto kSessionMarkGrace = std::chrono::seconds(2);

}  // namespace

int CSessionClient::Status() {
    const std::unique_ptr<CKrnl2Inter> pInter = m_locator.Attach();
    const SKernelStatus status = m_locator.AnnouncementWait(*pInter, kAnnounceSeconds);
    m_printer.Status(status);
    return status.IsErrorState() ? eExitKernelState : eExitOk;
}

std::unique_ptr<CKrnl2Inter> CSessionClient::AnnouncedKernel() {
    std::unique_ptr<CKrnl2Inter> pInter = m_locator.Attach();
    const SKernelStatus status = m_locator.AnnouncementWait(*pInter, kAnnounceSeconds);
    if (status.IsErrorState())
        throw CFrontendError(eExitKernelState, status.StateWords(), KernelStateHint(status.nState));
    m_Announced = status;
    if (status.nState == CKrnl2Inter::eQmKrnl2Init)
        throw CFrontendError(eExitKernel, "the kernel (process " + std::to_string(status.pidKernel) +
                                              ") did not announce itself within " +
                                              std::to_string(kAnnounceSeconds) + " s");
    return pInter;
}

int CSessionClient::Job(const std::string& csCmdLine) {
    for (int nRestarts = 0;; ++nRestarts) {
        std::unique_ptr<CKrnl2Inter> pInter = AnnouncedKernel();
        if (Request(*pInter, csCmdLine) == eAccepted) {
            // Held open only while asking: the kernel takes a writer of the FIFO
            // as a sign that the process named in a request is asking.
            pInter->RequestFifo2Cleanup();
            return Session(*pInter, csCmdLine);
        }
        QM_TRACE_INTERNAL(2, "", "kernel pid=%d ended before accepting the job", pInter->ServerPid());
        pInter->ResponseFifo2Cleanup();
        pInter->RequestFifo2Cleanup();
        if (nRestarts == kRestartsMax)
            throw CFrontendError(eExitKernel, "the kernel ended before it accepted the job, " +
                                                  std::to_string(kRestartsMax + 1) + " times in a row");
    }
}

CSessionClient::E_REQUEST CSessionClient::Request(CKrnl2Inter& inter, const std::string& csCmdLine) {
    // Only now: a starting kernel removes the response FIFOs it finds.
    if (!inter.ResponseFifo2Prepare(getpid()))
        throw CFrontendError(eExitKernel, "cannot create the response FIFO for the kernel's answers");
    inter.m_jobdata.m_eJobType = CDEdureMsg::eRequestAction;
    inter.m_jobdata.m_csCmdLine = csCmdLine.c_str();

    const pid_t pidKernel = inter.ServerPid();
    const auto deadline = Clock::now() + std::chrono::seconds(m_nTimeoutSeconds);
    bool fRequestOpen = false;
    bool fSent = false;
    int pidBusy = 0;
    // Error states end the wait; another front-end's session is told once.
    auto stateCheck = [&] {
        const SKernelStatus status = SKernelStatus::FromBlock(*inter.Info(), pidKernel);
        if (status.IsErrorState())
            throw CFrontendError(eExitKernelState, status.StateWords(), KernelStateHint(status.nState));
        if (status.nState == CKrnl2Inter::eQmKrnl2Busy && pidBusy == 0 && status.pidSession != 0 &&
            status.pidSession != getpid()) {
            pidBusy = status.pidSession;
            m_printer.Waiting(pidBusy);
        }
    };
    for (;;) {
        CSignalGuard::ThrowIfInterrupted();
        if (!m_locator.Alive(pidKernel)) {
            // An acceptance written just before the end counts: the job may have begun,
            // and must not run a second time on another kernel.
            if (fSent && inter.ReceiveJob(0) == ERROR_SUCCESS && inter.m_jobdata.m_eJobType == CDEdureMsg::eAccept)
                return eAccepted;
            return eKernelGone;
        }
        if (Clock::now() >= deadline)
            RequestTimedOut(pidBusy);
        if (fSent) {
            // Anything but the acceptance is no answer to our request.
            if (inter.ReceiveJob(1) == ERROR_SUCCESS && inter.m_jobdata.m_eJobType == CDEdureMsg::eAccept)
                return eAccepted;
            stateCheck();
            continue;
        }
        if (inter.Connect(10) != ERROR_SUCCESS) {
            stateCheck();
            continue;
        }
        if (!fRequestOpen && !(fRequestOpen = inter.RequestFifo2Prepare())) {
            std::this_thread::sleep_for(kLook);
            continue;
        }
        if (inter.SendJob(2) == ERROR_SUCCESS) {
            fSent = true;
        } else {
            // The pipe was full or its reader went away: open it afresh next time.
            inter.RequestFifo2Cleanup();
            fRequestOpen = false;
        }
    }
}

void CSessionClient::RequestTimedOut(int pidBusy) const {
    const std::string csSeconds = std::to_string(m_nTimeoutSeconds) + " s";
    if (pidBusy != 0)
        throw CFrontendError(eExitKernel, "the kernel was still busy with another session (process " +
                                              std::to_string(pidBusy) + ") after " + csSeconds +
                                              ": the job was not accepted");
    throw CFrontendError(eExitKernel, "no answer from the kernel within " + csSeconds +
                                          ": the job was not accepted (the kernel ignores a command line it "
                                          "cannot parse)");
}

int CSessionClient::Session(CKrnl2Inter& inter, const std::string& csCmdLine) {
    CJobSummary summary(csCmdLine);
    CRemedyHint hint(csCmdLine, m_Announced);
    const pid_t pidKernel = inter.ServerPid();
    m_printer.Accepted(pidKernel);
    const auto accepted = Clock::now();
    bool fAnyMessage = false;
    bool fJobError = false;
    for (;;) {
        CSignalGuard::ThrowIfInterrupted();
        const uint32_t ulStatus = inter.SessionDataCheck(10);
        if (ulStatus == ERROR_SUCCESS) {
            inter.CountMessageRead();
            fAnyMessage = true;
            const SKernelMessage msg = CMessageDecoder::Decode(inter.m_sessiondata);
            fJobError = fJobError || msg.eType == CDEdureMsg::eError;
            m_printer.Message(msg);
            summary.Observe(msg);
            hint.Observe(msg);
            if (msg.eType == CDEdureMsg::eJobDone)
                break;
        } else if (ulStatus == ERROR_NO_DATA) {
            if (!m_locator.Alive(pidKernel))
                throw CFrontendError(eExitKernel, "the kernel ended during the session" + m_locator.EndText(pidKernel));
        } else if (ulStatus == ERROR_NOT_CONNECTED) {
            if (!fAnyMessage && inter.Info()->pidClient == 0 && Clock::now() - accepted < kSessionMarkGrace &&
                m_locator.Alive(pidKernel)) {
                std::this_thread::sleep_for(kLook);
                continue;
            }
            throw CFrontendError(eExitKernel, "the kernel closed the session");
        } else {
            QM_TRACE_INTERNAL(1, "", "SessionDataCheck: status=%u, type=%d", ulStatus,
                              static_cast<int>(inter.m_sessiondata.TypeGet()));
            throw CFrontendError(eExitKernel, "the session broke off: record of type " +
                                                  std::to_string(static_cast<int>(inter.m_sessiondata.TypeGet())) +
                                                  " could not be read (status " + std::to_string(ulStatus) + ")");
        }
    }
    inter.ResponseFifo2Cleanup();
    inter.SessionClose(0);
    SJobOutcome outcome = summary.Outcome(fJobError);
    if (outcome.nExitCode != 0)
        outcome.csHint = hint.Text();
    m_printer.Done(outcome);
    return outcome.nExitCode;
}
