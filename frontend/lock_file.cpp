#include "frontend/lock_file.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/inotify.h>
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
    // The holder gives the lock up by closing the file, which wakes the watch;
    // it is set before the first try, so no close goes unseen.
    const int fdNotify = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    const bool fWatch = fdNotify >= 0 && inotify_add_watch(fdNotify, pszPath, IN_CLOSE_WRITE | IN_CLOSE_NOWRITE) >= 0;
    while (!(m_fLocked = flock(m_fd, LOCK_EX | LOCK_NB) == 0)) {
        const auto now = std::chrono::steady_clock::now();
        if (errno != EWOULDBLOCK || CSignalGuard::Interrupted() || now >= deadline)
            break;
        if (!fWatch) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        pollfd pfd{fdNotify, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
        if (poll(&pfd, 1, static_cast<int>(left.count()) + 1) > 0) {
            alignas(inotify_event) char abEvents[1024];
            while (read(fdNotify, abEvents, sizeof abEvents) > 0) {
            }
        }
    }
    if (fdNotify >= 0)
        close(fdNotify);
}

CLockFile::~CLockFile() {
    if (m_fd >= 0)
        close(m_fd);  // releases the lock
}
