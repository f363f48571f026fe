#include "frontend/kernel_locator.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <thread>

#include "frontend/frontend_error.h"
#include "frontend/remedy_hint.h"
#include "frontend/kernel_trust.h"
#include "frontend/lock_file.h"
#include "frontend/process_liveness.h"
#include "frontend/signal_guard.h"
#include "frontend/start_watch.h"
#include "support/opus_trace.h"
#include "support/process_end.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kLook = std::chrono::milliseconds(5);
constexpr int kStartSeconds = 10;
constexpr int kAccessBytes = 8;

// posix_spawn's helper objects, released on every path.
struct SSpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    SSpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attr);
    }
    ~SSpawnSetup() {
        posix_spawnattr_destroy(&attr);
        posix_spawn_file_actions_destroy(&actions);
    }
    SSpawnSetup(const SSpawnSetup&) = delete;
    SSpawnSetup& operator=(const SSpawnSetup&) = delete;
};

std::string WaitStatusText(int nStatus) {
    if (nStatus >= 0 && WIFEXITED(nStatus))
        return "it exited with code " + std::to_string(WEXITSTATUS(nStatus));
    if (nStatus >= 0 && WIFSIGNALED(nStatus))
        return "it was ended by signal " + std::to_string(WTERMSIG(nStatus));
    return "it ended";
}

// The kernel leaves at once with 3 when no board module supports the machine,
// often before a front-end could read that state from its announcement.
constexpr int kKernelExitNoModule = 3;

// What a kernel started with --noextlocate announces as its system.
constexpr const char* kNoBoardSystem = "unspecified system";
constexpr int kOtherKindSeconds = 60;

bool EndedForLackOfModule(int nStatus) {
    return nStatus >= 0 && WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == kKernelExitNoModule;
}

}  // namespace

std::unique_ptr<CKrnl2Inter> CKernelLocator::Attach() {
    CLockFile lock(CLockFile::PathForUs().c_str());
    const auto accept = [this](int32_t pidServer, int32_t idMem) { return TrustedAnnouncement(pidServer, idMem); };
    if (InitFifoHoldsAccessBytes(100)) {
        auto pInter = std::make_unique<CKrnl2Inter>();
        if (pInter->Open(IF_FORCE_CLIENT, accept) && Alive(pInter->ServerPid())) {
            QM_TRACE_INTERNAL(3, "", "running kernel found: pid=%d", pInter->ServerPid());
            if (KindFits(*pInter))
                return pInter;
            // It would take the job and do nothing with it.
            WaitGone(pInter->ServerPid());
        }
        QM_TRACE_INTERNAL(2, "", "init FIFO holds access bytes, but no live kernel behind them");
    }
    // Another user's kernel holds the names: no job goes to it, and none is started beside it.
    if (!m_csDistrust.empty())
        throw CFrontendError(eExitKernel, m_csDistrust);
    CSignalGuard::ThrowIfInterrupted();

    const pid_t pid = Spawn();
    CStartWatch watch(CKrnl2Inter::s_FifoName, pid);
    const auto deadline = Clock::now() + std::chrono::seconds(kStartSeconds);
    for (;;) {
        CSignalGuard::ThrowIfInterrupted();
        ReapChildren();
        const auto ended = m_Ended.find(pid);
        if (ended != m_Ended.end() && EndedForLackOfModule(ended->second))
            throw CFrontendError(eExitKernelState, "no board module supports this machine",
                                     KernelStateHint(CKrnl2Inter::eQmKrnl2ErrNoHardwareModuleFound));
        if (ended != m_Ended.end())
            throw CFrontendError(eExitKernel,
                                 Distrusted() + "the kernel could not be started: " + WaitStatusText(ended->second));
        // The bytes may still be those of a kernel that is going away; only
        // the announcement of the one just started counts.
        bool fOther = false;
        if (InitFifoHoldsAccessBytes(1)) {
            auto pInter = std::make_unique<CKrnl2Inter>();
            if (pInter->Open(IF_FORCE_CLIENT, accept) && pInter->ServerPid() == pid)
                return pInter;
            fOther = true;
        }
        if (Clock::now() >= deadline)
            throw CFrontendError(eExitKernel, Distrusted() + "the kernel (process " + std::to_string(pid) +
                                                  ") did not announce itself within " +
                                                  std::to_string(kStartSeconds) + " s");
        // Another kernel's announcement, which our look has just written back, would
        // wake the watch at once: look again a little later instead.
        if (fOther)
            std::this_thread::sleep_for(kLook);
        else
            watch.Wait(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()) +
                       std::chrono::milliseconds(1));
    }
}

SKernelStatus CKernelLocator::AnnouncementWait(const CKrnl2Inter& inter, int nSeconds) {
    const auto deadline = Clock::now() + std::chrono::seconds(nSeconds);
    for (;;) {
        const SKernelStatus status = SKernelStatus::FromBlock(*inter.Info(), inter.ServerPid());
        if (status.nState != CKrnl2Inter::eQmKrnl2Init || Clock::now() >= deadline)
            return status;
        if (!Alive(inter.ServerPid())) {
            const auto ended = m_Ended.find(inter.ServerPid());
            if (ended != m_Ended.end() && EndedForLackOfModule(ended->second))
                throw CFrontendError(eExitKernelState, "no board module supports this machine",
                                     KernelStateHint(CKrnl2Inter::eQmKrnl2ErrNoHardwareModuleFound));
            throw CFrontendError(eExitKernel, "the kernel ended before it announced itself" + EndText(inter.ServerPid()));
        }
        CSignalGuard::ThrowIfInterrupted();
        // The kernel wakes us when it leaves its initialisation; a kernel that
        // dies does not, so its life is looked at every kLook.
        inter.KernelStateChangeWait(status.nState, kLook);
    }
}

bool CKernelLocator::TrustedAnnouncement(int32_t pidServer, int32_t idMem) {
    const std::string csWhy = KernelDistrust(idMem, CKrnl2Inter::s_RequestFifoName, pidServer);
    if (!csWhy.empty())
        m_csDistrust = csWhy;
    return csWhy.empty();
}

std::string CKernelLocator::Distrusted() const { return m_csDistrust.empty() ? "" : m_csDistrust + "; "; }

bool CKernelLocator::Alive(pid_t pid) {
    ReapChildren();
    return m_Ended.count(pid) == 0 && ProcessAlive(pid);
}

std::string CKernelLocator::EndText(pid_t pid) const {
    const auto ended = m_Ended.find(pid);
    return ended == m_Ended.end() ? std::string() : " (" + WaitStatusText(ended->second) + ")";
}

bool CKernelLocator::InitFifoHoldsAccessBytes(int nLooks) {
    for (int i = 0; i < nLooks; ++i) {
        if (i > 0)
            std::this_thread::sleep_for(kLook);
        const int fd = open(CKrnl2Inter::s_FifoName, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) {
            if (errno == ENOENT)
                return false;
            continue;
        }
        struct stat st {};
        int nBytes = 0;
        const bool fFifo = fstat(fd, &st) == 0 && S_ISFIFO(st.st_mode);
        const bool fHolds = fFifo && ioctl(fd, FIONREAD, &nBytes) == 0 && nBytes >= kAccessBytes;
        close(fd);
        if (fHolds)
            return true;
        if (!fFifo)
            return false;
    }
    return false;
}

bool CKernelLocator::KindFits(const CKrnl2Inter& inter) {
    try {
        const SKernelStatus status = AnnouncementWait(inter, kStartSeconds);
        return (status.csSystem == kNoBoardSystem) == m_fNoBoard;
    } catch (const CFrontendError&) {
        return false;
    }
}

void CKernelLocator::WaitGone(pid_t pid) {
    QM_TRACE_INTERNAL(2, "", "kernel %d is of the other kind, waiting for it to end", static_cast<int>(pid));
    const auto deadline = Clock::now() + std::chrono::seconds(kOtherKindSeconds);
    while (Alive(pid)) {
        CSignalGuard::ThrowIfInterrupted();
        if (Clock::now() >= deadline)
            throw CFrontendError(eExitKernel, std::string("a kernel ") +
                                                  (m_fNoBoard ? "with a board module" : "for combined packages") +
                                                  " (process " + std::to_string(pid) + ") did not end within " +
                                                  std::to_string(kOtherKindSeconds) + " s");
        // Woken by its end; a signal ends the wait too.
        ProcessEndWait(pid, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()) +
                                std::chrono::milliseconds(1));
    }
}

std::string CKernelLocator::KernelBinary() const {
    if (!m_csKernelPath.empty())
        return m_csKernelPath;
    char szSelf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", szSelf, sizeof szSelf - 1);
    if (n > 0) {
        std::string csBeside(szSelf, static_cast<size_t>(n));
        csBeside.erase(csBeside.rfind('/') + 1);
        csBeside += "qmkrnl2";
        if (access(csBeside.c_str(), X_OK) == 0)
            return csBeside;
    }
    return "qmkrnl2";
}

pid_t CKernelLocator::Spawn() {
    const std::string csBinary = KernelBinary();
    SSpawnSetup setup;
    posix_spawn_file_actions_addopen(&setup.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&setup.actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&setup.actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // Its own session, so our terminal's signals do not reach it, and the
    // signal settings of a fresh process rather than ours.
    sigset_t sigDefault;
    sigset_t sigNone;
    sigemptyset(&sigDefault);
    for (int nSig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
        sigaddset(&sigDefault, nSig);
    sigemptyset(&sigNone);
    posix_spawnattr_setsigdefault(&setup.attr, &sigDefault);
    posix_spawnattr_setsigmask(&setup.attr, &sigNone);
    posix_spawnattr_setflags(&setup.attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::string csServer = "--server";
    std::string csNoBoard = "--noextlocate";
    std::string csArg0 = csBinary;
    char* argv[] = {csArg0.data(), csServer.data(), m_fNoBoard ? csNoBoard.data() : nullptr, nullptr};
    pid_t pid = 0;
    const int nErr = csBinary.find('/') == std::string::npos
                         ? posix_spawnp(&pid, csBinary.c_str(), &setup.actions, &setup.attr, argv, environ)
                         : posix_spawn(&pid, csBinary.c_str(), &setup.actions, &setup.attr, argv, environ);
    if (nErr != 0)
        throw CFrontendError(eExitKernel, "cannot start the kernel '" + csBinary + "': " + std::strerror(nErr));
    QM_TRACE_INTERNAL(3, "", "kernel started: '%s --server%s', pid=%d", csBinary.c_str(),
                      m_fNoBoard ? " --noextlocate" : "", static_cast<int>(pid));
    m_Children.push_back(pid);
    return pid;
}

void CKernelLocator::ReapChildren() {
    for (auto it = m_Children.begin(); it != m_Children.end();) {
        int nStatus = 0;
        const pid_t r = waitpid(*it, &nStatus, WNOHANG);
        if (r == *it || (r < 0 && errno == ECHILD)) {
            m_Ended[*it] = r == *it ? nStatus : -1;
            it = m_Children.erase(it);
        } else {
            ++it;
        }
    }
}
