#include "support/process_end.h"

#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

int ProcessHandleOpen(pid_t pid) { return static_cast<int>(syscall(SYS_pidfd_open, pid, 0)); }

void ProcessEndWait(pid_t pid, std::chrono::milliseconds maxWait) {
    if (maxWait.count() <= 0)
        return;
    const int fd = ProcessHandleOpen(pid);
    if (fd < 0) {
        // Gone already (ESRCH) needs no wait; an old system gets a short look.
        if (errno != ESRCH)
            std::this_thread::sleep_for(std::min(maxWait, std::chrono::milliseconds(5)));
        return;
    }
    pollfd pfd{fd, POLLIN, 0};
    poll(&pfd, 1, static_cast<int>(maxWait.count()));
    close(fd);
}
