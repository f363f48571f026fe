#include "support/process_end.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kLong(20000);

// The end of the process wakes the wait, long before its time is up; a process
// that is gone already costs no wait at all.
TEST(ProcessEndWait, WokenByTheEndNotByTheClock) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        pause();
        _exit(0);
    }
    std::thread killer([child] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        kill(child, SIGKILL);
    });
    auto start = Clock::now();
    ProcessEndWait(child, kLong);
    killer.join();
    EXPECT_LT(Clock::now() - start, kLong / 2);
    ASSERT_EQ(waitpid(child, nullptr, 0), child);

    start = Clock::now();
    ProcessEndWait(child, kLong);  // reaped: no such process any more
    EXPECT_LT(Clock::now() - start, kLong / 2);
}

TEST(ProcessEndWait, ALivingProcessIsWaitedForAtMostMaxWait) {
    const auto start = Clock::now();
    ProcessEndWait(getpid(), std::chrono::milliseconds(30));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(30));
}

}  // namespace
