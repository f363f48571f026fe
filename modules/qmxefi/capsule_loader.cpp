#include "capsule_loader.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <vector>

namespace qmxefi {

namespace {

int SysOpen(const char* path, int flags) { return ::open(path, flags); }

// Keeps SIGPIPE from this thread while it writes, and swallows one that a
// reader that went away raised, so the kernel process is not killed.
class SigPipeGuard {
public:
    SigPipeGuard() {
        sigset_t pending;
        sigemptyset(&pending);
        sigpending(&pending);
        was_pending_ = sigismember(&pending, SIGPIPE) == 1;
        sigset_t block;
        sigemptyset(&block);
        sigaddset(&block, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &block, &old_);
    }
    ~SigPipeGuard() {
        if (!was_pending_) {
            sigset_t pipe;
            sigemptyset(&pipe);
            sigaddset(&pipe, SIGPIPE);
            const timespec zero{0, 0};
            while (sigtimedwait(&pipe, nullptr, &zero) == SIGPIPE) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    SigPipeGuard(const SigPipeGuard&) = delete;
    SigPipeGuard& operator=(const SigPipeGuard&) = delete;

private:
    sigset_t old_;
    bool was_pending_ = false;
};

long long NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Writes all of p; EAGAIN waits for room, up to wait_ms without progress.
int WriteChunk(const LoaderOps& ops, int fd, const char* p, size_t n, int wait_ms) {
    long long deadline = NowMs() + wait_ms;
    while (n > 0) {
        const ssize_t w = ops.write(fd, p, n);
        if (w > 0) {
            p += w;
            n -= static_cast<size_t>(w);
            deadline = NowMs() + wait_ms;
            continue;
        }
        if (w == 0) return EIO;
        if (errno == EINTR) continue;
        if (errno != EAGAIN) return errno;
        const long long left = deadline - NowMs();
        if (left <= 0) return EAGAIN;
        pollfd pfd{fd, POLLOUT, 0};
        if (::poll(&pfd, 1, static_cast<int>(left)) < 0 && errno != EINTR) return errno;
    }
    return 0;
}

}  // namespace

const LoaderOps& SystemLoaderOps() {
    static const LoaderOps ops{SysOpen, ::write, ::close};
    return ops;
}

bool LoaderPresent(const RootPath& root) {
    struct stat st {};
    return ::stat(root(kCapsuleLoader).c_str(), &st) == 0;
}

HandOverResult HandOverCapsule(const RootPath& root, const std::string& capsule_path, int wait_ms,
                               const LoaderOps& ops) {
    const int in = ::open(capsule_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return {errno, "read"};
    SigPipeGuard guard;
    // Non-blocking, so that a loader that stops taking data cannot hang the update.
    const int out = ops.open(root(kCapsuleLoader).c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
    if (out < 0) {
        const int err = errno;
        ::close(in);
        return {err, "open"};
    }
    HandOverResult result;
    std::vector<char> buf(256 * 1024);
    for (;;) {
        const ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            result = {errno, "read"};
            break;
        }
        if (n == 0) break;
        if (const int err = WriteChunk(ops, out, buf.data(), static_cast<size_t>(n), wait_ms)) {
            result = {err, "write"};
            break;
        }
    }
    ::close(in);
    // The loader checks the capsule it was given when it is closed.
    if (ops.close(out) != 0 && result.err == 0) result = {errno, "close"};
    return result;
}

}  // namespace qmxefi
