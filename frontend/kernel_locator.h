// CKernelLocator: finds the running kernel or starts one, and tells whether a
// kernel process still lives.
#pragma once

#include <sys/types.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "frontend/kernel_status.h"
#include "ipc/krnl2_inter.h"

class CKernelLocator {
public:
    // Kernel binary to start: csKernelPath, else qmkrnl2 beside our executable, else on PATH.
    // fNoBoard: a kernel without a board module, the only kind that makes combined packages.
    explicit CKernelLocator(std::string csKernelPath, bool fNoBoard = false)
        : m_csKernelPath(std::move(csKernelPath)), m_fNoBoard(fNoBoard) {}

    // Attached to a live kernel's announcement (which may still be initialising).
    // Throws CFrontendError.
    std::unique_ptr<CKrnl2Inter> Attach();
    // Waits up to nSeconds while the kernel initialises and returns what it
    // announces then. Throws CFrontendError when the kernel dies first.
    SKernelStatus AnnouncementWait(const CKrnl2Inter& inter, int nSeconds);
    // Running and no zombie; kernels we started and that ended are reaped first.
    bool Alive(pid_t pid);
    // " (it exited with code N)" for a kernel we started and saw end, else "".
    std::string EndText(pid_t pid) const;

private:
    // Whether the init FIFO holds a kernel's access bytes, looking nLooks times
    // 5 ms apart: another front-end may be between reading and writing them back.
    static bool InitFifoHoldsAccessBytes(int nLooks);
    // Whether a running kernel is of the kind this front-end needs; false also
    // when it ended while we looked.
    bool KindFits(const CKrnl2Inter& inter);
    // For the announcements in the initialisation FIFO: only one whose block,
    // request FIFO and process belong to root or to us is attached, so no job or
    // password goes to anyone else; why another is skipped is kept for the error
    // should no kernel be found.
    bool TrustedAnnouncement(int32_t pidServer, int32_t idMem);
    // "why; " for the last announcement skipped, else "".
    std::string Distrusted() const;
    // Waits for a kernel of the other kind to end; throws when it does not in time.
    void WaitGone(pid_t pid);
    std::string KernelBinary() const;
    // Starts "<binary> --server" detached; throws when it cannot be spawned.
    pid_t Spawn();
    void ReapChildren();

    std::string m_csKernelPath;
    bool m_fNoBoard = false;
    std::vector<pid_t> m_Children;  // started by us and not yet reaped
    std::map<pid_t, int> m_Ended;  // wait status of reaped children, -1 when unknown
    std::string m_csDistrust;
};
