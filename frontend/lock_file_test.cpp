#include "frontend/lock_file.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include "test_helpers.h"

namespace {

using Clock = std::chrono::steady_clock;

// A second front-end waits for the first one's lock and takes it as soon as the
// first one is done with it, not at its next look or the end of its wait.
TEST(LockFile, TheHoldersEndHandsTheLockOn) {
    TempDir tmp;
    const std::string path = tmp.file("q.lock");
    int aiGo[2];
    ASSERT_EQ(pipe(aiGo), 0);
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        close(aiGo[0]);
        CLockFile lock(path.c_str(), 1);
        const char c = lock.Locked() ? 'y' : 'n';
        if (write(aiGo[1], &c, 1) != 1)
            _exit(1);
        usleep(100000);
        _exit(0);  // the lock goes with the process
    }
    close(aiGo[1]);
    char c = 0;
    ASSERT_EQ(read(aiGo[0], &c, 1), 1);
    close(aiGo[0]);
    ASSERT_EQ(c, 'y');

    const auto start = Clock::now();
    CLockFile second(path.c_str(), 30);
    EXPECT_TRUE(second.Locked());
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(15));
    waitpid(holder, nullptr, 0);

    // Held here: a third one gives up after its wait.
    CLockFile third(path.c_str(), 0);
    EXPECT_FALSE(third.Locked());
}

}  // namespace
