#include "ipc/shared_word.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

void SharedWordWait(const uint32_t* pWord, uint32_t ulSeen, std::chrono::microseconds maxWait) {
    if (maxWait.count() <= 0)
        return;
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(maxWait.count() / 1000000);
    ts.tv_nsec = static_cast<long>(maxWait.count() % 1000000) * 1000;
    // Not FUTEX_PRIVATE_FLAG: the word lives in a segment other processes map.
    if (syscall(SYS_futex, pWord, FUTEX_WAIT, ulSeen, &ts, nullptr, 0) != 0 && errno != EAGAIN &&
        errno != ETIMEDOUT && errno != EINTR)
        // A system that refuses the wait must not turn the caller's loop into a spin.
        nanosleep(&ts, nullptr);
}

void SharedWordWake(const uint32_t* pWord) {
    syscall(SYS_futex, pWord, FUTEX_WAKE, INT32_MAX, nullptr, nullptr, 0);
}
