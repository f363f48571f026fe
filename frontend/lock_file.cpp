#include "frontend/lock_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>

#include "frontend/signal_guard.h"

std::string CLockFile::PathForUs() {
    if (geteuid() != 0)
        return "/tmp/quillmark-" + std::to_string(geteuid()) + ".lock";
    // Made 0755 once; a folder found there must be root's and closed to others.
    if (mkdir(kRootDir, 0755) != 0 && errno != EEXIST)
        return "";
    struct stat st {};
    if (lstat(kRootDir, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != 0 || (st.st_mode & 022))
        return "";
    return std::string(kRootDir) + "/quillmark.lock";
}

CLockFile::CLockFile(const char* pszPath, int nWaitSeconds) {
    m_fd = open(pszPath, O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    struct stat st {};
    if (m_fd >= 0 && (fstat(m_fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid())) {
        // Planted by someone else: not ours to wait for.
        close(m_fd);
        m_fd = -1;
    }
    if (m_fd < 0)
        return;
    (void)fchmod(m_fd, 0600);
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
