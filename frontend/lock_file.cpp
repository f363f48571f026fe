#include "frontend/lock_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "frontend/signal_guard.h"

CLockFile::CLockFile(const char* pszPath, int nWaitSeconds) {
    // Read access suffices for flock, so a file another user created still serves.
    m_fd = open(pszPath, O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (m_fd < 0 && errno == EACCES)
        m_fd = open(pszPath, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);  // protected_regular refuses O_CREAT
    if (m_fd < 0)
        return;
    // Our umask must not keep other users out of a file we created.
    (void)fchmod(m_fd, 0666);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(nWaitSeconds);
    while (!(m_fLocked = flock(m_fd, LOCK_EX | LOCK_NB) == 0)) {
        if (errno != EWOULDBLOCK || CSignalGuard::Interrupted() || std::chrono::steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

CLockFile::~CLockFile() {
    if (m_fd >= 0)
        close(m_fd);  // releases the lock
}
