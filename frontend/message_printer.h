// CMessagePrinter: how quillmark shows what happens, for people or for programs.
#pragma once

#include <string>

#include "frontend/boot_check.h"
#include "frontend/history_view.h"
#include "frontend/job_outcome.h"
#include "frontend/kernel_status.h"
#include "frontend/message_decoder.h"

class CMessagePrinter {
public:
    virtual ~CMessagePrinter() = default;

    virtual void Status(const SKernelStatus& status) = 0;
    // Another front-end's session holds the kernel; told once per wait.
    virtual void Waiting(int pidBusy) = 0;
    virtual void Accepted(int pidKernel) = 0;
    virtual void Message(const SKernelMessage& msg) = 0;
    // The job's end with its one-line summary.
    virtual void Done(const SJobOutcome& outcome) = 0;
    // The kernel's history of jobs, oldest first.
    virtual void HistoryShow(const SHistory& history) = 0;
    // What boot-check found and did.
    virtual void BootCheckShow(const SBootCheck& result) = 0;
    // A failure of the front-end itself (not a message of the job); csHint may be "".
    virtual void Failure(const std::string& csText, int nExitCode, const std::string& csHint) = 0;
};
