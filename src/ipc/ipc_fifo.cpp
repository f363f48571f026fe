#include "ipc/ipc_fifo.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "support/msc.h"
#include "support/opus_trace.h"

namespace {

using Clock = std::chrono::steady_clock;

// A look at a descriptor that cannot be polled (a FIFO without writer reports
// end of file at once) happens at least this often.
constexpr auto kLookInterval = std::chrono::milliseconds(5);

const char* AccessModeName(int iMode, int iAccess, const char* pszName) {
    return (iMode & O_ACCMODE) == iAccess ? pszName : "";
}

}  // namespace

void IpcSigPipeIgnore() {
    struct sigaction sa {};
    sa.sa_handler = SIG_IGN;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGPIPE, &sa, nullptr);
}

CIpcFifo::CIpcFifo(const char* pszPath) {
    Init();
    PathSet(pszPath);
}

CIpcFifo::CIpcFifo(const CIpcFifo& other) {
    Init();
    *this = other;
}

CIpcFifo& CIpcFifo::operator=(const char* pszPath) {
    CleanUp();
    Init();
    PathSet(pszPath);
    return *this;
}

CIpcFifo& CIpcFifo::operator=(const CIpcFifo& other) {
    if (this != &other) {
        CleanUp();
        m_fCreated = false;
        m_csPath = other.m_csPath;
    }
    return *this;
}

void CIpcFifo::Init() {
    m_fCreated = false;
    m_iFile = -1;
}

void CIpcFifo::PathSet(const char* pszPath) { MscExpandEnvir(pszPath, m_csPath); }

int CIpcFifo::Create(mode_t mode, mode_t modeFinal) {
    QM_TRACE_ENTER(3, "path='%s', mode=0%o", m_csPath.c_str(), static_cast<unsigned int>(mode));
    if (m_csPath.IsEmpty()) {
        QM_TRACE_INTERNAL(1, "", "path is missing");
        return EINVAL;
    }
    int nErr = 0;
    for (int nTry = 0; nTry < 2; ++nTry) {
        if (mkfifo(m_csPath, mode) == 0) {
            nErr = 0;
            break;
        }
        nErr = errno;
        QM_TRACE_INTERNAL(2, "", "mkfifo('%s', %d) returned error (%d) '%s'", m_csPath.c_str(),
                          static_cast<int>(mode), nErr, strerror(nErr));
        if (nErr != EEXIST)
            break;
        // unlink, not remove: a directory in the way is left alone.
        if (unlink(m_csPath) != 0) {
            QM_TRACE_INTERNAL(2, "", "remove('%s') returned error '%s'", m_csPath.c_str(), strerror(errno));
            break;
        }
        QM_TRACE_INTERNAL(3, "Next try to create fifo after removing file", "path='%s'", m_csPath.c_str());
    }
    if (nErr) {
        QM_TRACE_LEAVE(3, "ret=%d", nErr);
        return nErr;
    }
    m_fCreated = true;

    // Set through a descriptor, so a node swapped in after mkfifo is never changed.
    const int fd = open(m_csPath, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode)) {
        nErr = fd < 0 ? errno : EINVAL;
        QM_TRACE_INTERNAL(1, "", "'%s' is no longer the FIFO just made: '%s'", m_csPath.c_str(),
                          strerror(nErr));
    } else if (st.st_uid != geteuid()) {
        nErr = EPERM;
        QM_TRACE_INTERNAL(1, "", "'%s' belongs to uid %u, not to us", m_csPath.c_str(),
                          static_cast<unsigned>(st.st_uid));
    } else if (fchmod(fd, modeFinal) != 0) {
        QM_TRACE_INTERNAL(2, "", "fchmod('%s', 0%o) returned error '%s'", m_csPath.c_str(),
                          static_cast<unsigned>(modeFinal), strerror(errno));
        nErr = (modeFinal & 077) == 0 ? errno : 0;
    }
    if (fd >= 0)
        close(fd);
    QM_TRACE_LEAVE(3, "ret=%d", nErr);
    return nErr;
}

int CIpcFifo::Open(int iMode) {
    QM_TRACE_ENTER(3, "path='%s'", m_csPath.c_str());
    QM_TRACE_INTERNAL(4, "", "iMode=%s%s%s%s", AccessModeName(iMode, O_RDWR, "O_RDWR "),
                      AccessModeName(iMode, O_WRONLY, "O_WRONLY "),
                      AccessModeName(iMode, O_RDONLY, "O_RDONLY "),
                      (iMode & O_NONBLOCK) ? "O_NONBLOCK " : "");
    Close();
    // Once per opening rather than per write: a reader that leaves must not end us.
    if ((iMode & O_ACCMODE) != O_RDONLY)
        IpcSigPipeIgnore();
    // Only Create makes nodes, and a file planted at the path must not be truncated.
    const int fd = open(m_csPath, (iMode & ~(O_CREAT | O_TRUNC)) | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int nErr = errno;
        QM_TRACE_INTERNAL(1, "", "open('%s', %d) returned error '%s'", m_csPath.c_str(), iMode,
                          strerror(nErr));
        QM_TRACE_LEAVE(3, "ret=%d, m_iFile=%d", nErr, m_iFile);
        return nErr;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISFIFO(st.st_mode)) {
        close(fd);
        QM_TRACE_INTERNAL(1, "", "'%s' is not a FIFO, refused", m_csPath.c_str());
        QM_TRACE_LEAVE(3, "ret=%d, m_iFile=%d", EINVAL, m_iFile);
        return EINVAL;
    }
    m_iFile = fd;
    QM_TRACE_LEAVE(3, "ret=0, m_iFile=%d", m_iFile);
    return 0;
}

unsigned int CIpcFifo::Read(void* pBuffer, unsigned int count, int32_t lTimeoutInDecileSeconds) {
    QM_TRACE_ENTER(5, "m_iFile=%d, count=%u, lTimeoutInDecileSeconds=%d", m_iFile, count,
                   lTimeoutInDecileSeconds);
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(100LL * std::max<int32_t>(lTimeoutInDecileSeconds, 0));
    uint8_t* pb = static_cast<uint8_t*>(pBuffer);
    unsigned int nSum = 0;
    long lTenthsTraced = -1;
    int nErr = 0;
    while (nSum < count) {
        const ssize_t n = read(m_iFile, pb + nSum, count - nSum);
        if (n > 0) {
            nSum += static_cast<unsigned int>(n);
            continue;
        }
        nErr = n == 0 ? 0 : errno;
        if (nErr == EINTR)
            continue;
        const auto now = Clock::now();
        if (now >= deadline)
            break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now) +
                          std::chrono::milliseconds(1);
        if (left.count() / 100 != lTenthsTraced) {
            lTenthsTraced = static_cast<long>(left.count() / 100);
            QM_TRACE_INTERNAL(6, "", "Time left until timeout: %f sec",
                              static_cast<double>(left.count()) / 1000.0);
        }
        if (nErr == EAGAIN) {
            // A writer is connected: sleep in poll until data comes or it leaves.
            pollfd pfd{m_iFile, POLLIN, 0};
            poll(&pfd, 1, static_cast<int>(left.count()));
        } else {
            // End of file (no writer yet or any more) or an error: look again soon.
            std::this_thread::sleep_for(std::min<Clock::duration>(left, kLookInterval));
        }
    }
    if (nSum < count) {
        QM_TRACE_INTERNAL(1, "TIMEOUT", "'%s' error reading file (%d): '%s'", m_csPath.c_str(), m_iFile,
                          strerror(nErr));
    } else {
        QM_TRACE_LEAVE(5, "iReadSum=%u", nSum);
    }
    return nSum;
}

unsigned int CIpcFifo::Write(const void* pBuffer, unsigned int count) {
    // Opening for writing made the process ignore SIGPIPE: a reader that left
    // shows as EPIPE here, without a signal-mask round trip per write.
    const ssize_t n = write(m_iFile, pBuffer, count);
    if (n < 0 || static_cast<size_t>(n) != count) {
        // A short write on a non-blocking pipe means it was full.
        const int nErr = n < 0 ? errno : 0;
        const char* pszErr = nErr ? strerror(nErr) : "pipe full, short write";
        QM_TRACE_INTERNAL(2, nErr == EPIPE ? "reader has gone" : "",
                          "'%s' fatal error writing file (%d): '%s'", m_csPath.c_str(), m_iFile, pszErr);
        return 0;
    }
    return count;
}

int CIpcFifo::Close() {
    if (m_iFile != -1) {
        close(m_iFile);
        m_iFile = -1;
    }
    return 0;
}

int CIpcFifo::Destroy() {
    if (m_fCreated && !m_csPath.IsEmpty()) {
        if (unlink(m_csPath) != 0) {
            const int nErr = errno;
            QM_TRACE_INTERNAL(2, "", "'%s' remove returned error '%s'", m_csPath.c_str(), strerror(nErr));
            return nErr;
        }
        m_csPath.Empty();
    }
    m_fCreated = false;
    return 0;
}

void CIpcFifo::CleanUp() {
    Close();
    Destroy();
}
