#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "support/msc.h"
#include "support/opus_trace.h"
#include "support/process_end.h"

namespace {

// "shutdown -r +n" only schedules and returns, so this is plenty.
constexpr auto kReapWait = std::chrono::seconds(5);

void childReap(pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + kReapWait;
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) {
            QM_TRACE_INTERNAL(4, "shutdown program ended", "status=0x%x", static_cast<unsigned int>(status));
            return;
        }
        if (r < 0 && errno != EINTR) {
            QM_TRACE_INTERNAL(2, "waitpid failed", "%s", strerror(errno));
            return;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            QM_TRACE_INTERNAL(2, "shutdown program still running, not waited for", "pid=%d",
                              static_cast<int>(pid));
            return;
        }
        ProcessEndWait(pid, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()) +
                                std::chrono::milliseconds(1));
    }
}

}  // namespace

int MscShutdown(int nDelayMinutes, const char* pszMessage) {
    QM_TRACE_ENTER(3, "nDelayMinutes=%d, message='%s'", nDelayMinutes, pszMessage ? pszMessage : "");
    if (geteuid() != 0) {
        QM_TRACE_LEAVE(3, "ret=0, not the superuser");
        return 0;
    }
    // Everything the child needs is built before fork: it may only exec or _exit.
    static const char kProgram[] = "/sbin/shutdown";
    std::vector<std::string> args = {kProgram, "-r",
                                     nDelayMinutes == 0 ? std::string("now")
                                                        : "+" + std::to_string(nDelayMinutes)};
    if (pszMessage && *pszMessage)
        args.emplace_back(pszMessage);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0) {
        QM_TRACE_INTERNAL(1, "fork failed", "%s", strerror(errno));
        QM_TRACE_LEAVE(3, "ret=0");
        return 0;
    }
    if (pid == 0) {
        execv(kProgram, argv.data());
        _exit(0);
    }
    childReap(pid);
    QM_TRACE_LEAVE(3, "ret=1, pid=%d", static_cast<int>(pid));
    return 1;
}

int MscNodeNameGet(CString& out) {
    struct utsname names {};
    if (uname(&names) != 0) {
        QM_TRACE_INTERNAL(1, "uname failed", "%s", strerror(errno));
        return 0;
    }
    out = names.nodename;
    QM_TRACE_LEAVE(4, "nodename='%s'", out.c_str());
    return 1;
}
