#include "frontend/start_watch.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "support/opus_trace.h"
#include "support/process_end.h"

namespace {

// Without an event to wait on, look this often.
constexpr std::chrono::milliseconds kLook(5);

}  // namespace

CStartWatch::CStartWatch(std::string csFifo, pid_t pidKernel) : m_csFifo(std::move(csFifo)) {
    const std::string csDir = m_csFifo.substr(0, m_csFifo.rfind('/') + 1);
    m_fdNotify = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fdNotify >= 0 &&
        inotify_add_watch(m_fdNotify, csDir.c_str(), IN_CREATE | IN_MOVED_TO | IN_DELETE | IN_ONLYDIR) < 0) {
        QM_TRACE_INTERNAL(2, "", "cannot watch '%s': errno=%d", csDir.c_str(), errno);
        close(m_fdNotify);
        m_fdNotify = -1;
    }
    m_fdProcess = ProcessHandleOpen(pidKernel);
    FifoOpen();
}

CStartWatch::~CStartWatch() {
    FifoClose();
    if (m_fdNotify >= 0)
        close(m_fdNotify);
    if (m_fdProcess >= 0)
        close(m_fdProcess);
}

void CStartWatch::FifoOpen() {
    if (m_fdFifo >= 0)
        return;
    // Not blocking: the kernel, which holds it read-write, may not be there yet.
    m_fdFifo = open(m_csFifo.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (m_fdFifo >= 0 && (fstat(m_fdFifo, &st) != 0 || !S_ISFIFO(st.st_mode)))
        FifoClose();
}

void CStartWatch::FifoClose() {
    if (m_fdFifo >= 0)
        close(m_fdFifo);
    m_fdFifo = -1;
}

void CStartWatch::Wait(std::chrono::milliseconds maxWait) {
    if (m_fdNotify < 0) {
        std::this_thread::sleep_for(std::min(maxWait, kLook));
        return;
    }
    pollfd fds[3];
    nfds_t nFds = 0;
    fds[nFds++] = {m_fdNotify, POLLIN, 0};
    const nfds_t nProcess = m_fdProcess >= 0 ? nFds++ : 0;
    if (nProcess)
        fds[nProcess] = {m_fdProcess, POLLIN, 0};
    const nfds_t nFifo = m_fdFifo >= 0 ? nFds++ : 0;
    if (nFifo)
        fds[nFifo] = {m_fdFifo, POLLIN, 0};
    // Without a process descriptor the kernel's end is seen by looking.
    const auto wait = nProcess ? maxWait : std::min(maxWait, kLook * 20);
    if (poll(fds, nFds, static_cast<int>(wait.count())) <= 0)
        return;
    if (fds[0].revents & POLLIN) {
        // Names came or went: the FIFO at the name may be another one now.
        alignas(inotify_event) char abEvents[4096];
        while (read(m_fdNotify, abEvents, sizeof abEvents) > 0) {
        }
        FifoClose();
        FifoOpen();
    } else if (nFifo && (fds[nFifo].revents & (POLLHUP | POLLERR)) && !(fds[nFifo].revents & POLLIN)) {
        // Its writer left: it would stay readable; the next name event opens it again.
        FifoClose();
    }
    if (nProcess && fds[nProcess].revents != 0) {
        // Ended: it stays readable, and the caller sees the end by itself.
        close(m_fdProcess);
        m_fdProcess = -1;
    }
}
