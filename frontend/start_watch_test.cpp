#include "frontend/start_watch.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kLong = std::chrono::seconds(20);

class StartWatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        char szDir[] = "/tmp/qm-watch-XXXXXX";
        ASSERT_NE(mkdtemp(szDir), nullptr);
        m_csDir = szDir;
    }
    void TearDown() override {
        std::remove((m_csDir + "/fifo").c_str());
        rmdir(m_csDir.c_str());
    }
    // A child that lives until told otherwise, or for nSeconds.
    static pid_t Sleeper(int nSeconds) {
        const pid_t pid = fork();
        if (pid == 0) {
            sleep(static_cast<unsigned>(nSeconds));
            _exit(0);
        }
        return pid;
    }
    std::string m_csDir;
};

}  // namespace

// Each event the kernel's start consists of wakes the watch long before its time-out.
TEST_F(StartWatchTest, WakesWhenTheFifoAppearsIsWrittenOrTheKernelEnds) {
    const pid_t pidKernel = Sleeper(60);
    const std::string csFifo = m_csDir + "/fifo";
    CStartWatch watch(csFifo, pidKernel);

    std::thread creator([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        mkfifo(csFifo.c_str(), 0600);
    });
    auto start = Clock::now();
    watch.Wait(std::chrono::duration_cast<std::chrono::milliseconds>(kLong));
    creator.join();
    EXPECT_LT(Clock::now() - start, kLong / 2) << "creation";

    // The kernel holds its FIFO read-write and writes its access bytes into it.
    const int fd = open(csFifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(write(fd, "12345678", 8), 8);
    });
    start = Clock::now();
    watch.Wait(std::chrono::duration_cast<std::chrono::milliseconds>(kLong));
    writer.join();
    close(fd);
    EXPECT_LT(Clock::now() - start, kLong / 2) << "access bytes";

    // Its bytes would keep the first watch awake; the end alone wakes this one.
    CStartWatch ending(m_csDir + "/none", pidKernel);
    std::thread killer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        kill(pidKernel, SIGKILL);
    });
    start = Clock::now();
    ending.Wait(std::chrono::duration_cast<std::chrono::milliseconds>(kLong));
    killer.join();
    EXPECT_LT(Clock::now() - start, kLong / 2) << "end of the kernel";
    waitpid(pidKernel, nullptr, 0);

    // Once ended, the process no longer wakes every wait: a quiet wait lasts.
    start = Clock::now();
    ending.Wait(std::chrono::milliseconds(30));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(30));
}
