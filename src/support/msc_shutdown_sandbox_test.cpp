// The reboot request, run only inside the test sandbox, where /sbin/shutdown
// is a stub that records its arguments in $QM_SHUTDOWN_LOG.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "support/msc.h"
#include "test_helpers.h"

namespace {
const char* shutdownLog() {
    const char* log = std::getenv("QM_SHUTDOWN_LOG");
    return std::getenv("QM_SANDBOX") ? log : nullptr;
}

// The stub runs in a child; give it a moment to finish its record.
std::string waitForRecord(const char* log) {
    for (int i = 0; i < 400; ++i) {
        std::string text = TempDir::read(log);
        if (text.size() >= 3 && text.compare(text.size() - 3, 3, "--\n") == 0)
            return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return TempDir::read(log);
}
}  // namespace

TEST(SandboxMscShutdown, RootStartsShutdownWithDelayAndMessage) {
    const char* log = shutdownLog();
    if (!log || geteuid() != 0)
        GTEST_SKIP() << "needs the sandbox, as root";
    unlink(log);
    EXPECT_EQ(MscShutdown(2, "The system is going down"), 1);
    EXPECT_EQ(waitForRecord(log), "-r\n+2\nThe system is going down\n--\n");

    unlink(log);
    EXPECT_EQ(MscShutdown(0, nullptr), 1);
    EXPECT_EQ(waitForRecord(log), "-r\nnow\n--\n");
}

TEST(SandboxMscShutdown, OtherUserRunsNothing) {
    const char* log = shutdownLog();
    if (!log || geteuid() == 0)
        GTEST_SKIP() << "needs the sandbox, as a user other than root";
    EXPECT_EQ(MscShutdown(2, "message"), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(access(log, F_OK), -1) << "the shutdown program was started";
}
