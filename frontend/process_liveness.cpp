#include "frontend/process_liveness.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

char ProcStatState(const std::string& csStat) {
    const size_t nClose = csStat.rfind(')');
    if (nClose == std::string::npos || nClose + 2 >= csStat.size() || csStat[nClose + 1] != ' ')
        return '\0';
    return csStat[nClose + 2];
}

bool ProcessAlive(pid_t pid) {
    if (pid <= 0)
        return false;
    if (kill(pid, 0) != 0 && errno != EPERM)
        return false;
    const std::string csPath = "/proc/" + std::to_string(pid) + "/stat";
    const int fd = open(csPath.c_str(), O_RDONLY | O_CLOEXEC);
    // Without /proc, or with another user's processes hidden there, kill() has
    // the last word; a process that just ended shows on the next look.
    if (fd < 0)
        return true;
    // The state letter follows the pid and a command name of at most 16 bytes.
    char buf[256];
    ssize_t n;
    do
        n = read(fd, buf, sizeof buf);
    while (n < 0 && errno == EINTR);
    close(fd);
    if (n <= 0)
        return true;
    const char cState = ProcStatState(std::string(buf, static_cast<size_t>(n)));
    return cState != 'Z' && cState != 'X' && cState != 'x';
}
