#include "ipc/shared_word.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <ctime>

void SharedWordWait(const uint32_t* pWord, uint32_t ulSeen, std::chrono::microseconds maxWait) {
    if (maxWait.count() <= 0)
        return;
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(maxWait.count() / 1000000);
    ts.tv_nsec = static_cast<long>(maxWait.count() % 1000000) * 1000;
    // Not FUTEX_PRIVATE_FLAG: the word lives in a segment other processes map.
    syscall(SYS_futex, pWord, FUTEX_WAIT, ulSeen, &ts, nullptr, 0);
}

void SharedWordWake(const uint32_t* pWord) {
    syscall(SYS_futex, pWord, FUTEX_WAKE, INT32_MAX, nullptr, nullptr, 0);
}
