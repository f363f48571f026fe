#include "frontend/kernel_status.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstring>
#include <thread>

#include "frontend/process_liveness.h"

namespace {

using Info = CKrnl2Inter::BROADCASTINFO;
constexpr int32_t kStrings = static_cast<int32_t>(offsetof(Info, szStrings));

TEST(FrontendStatus, TextsOnlyFromInsideTheStringArea) {
    Info info{};
    std::strcpy(info.szStrings, "R1.22.0");
    std::strcpy(info.szStrings + 10, "SIM-1");
    info.offActiveBios = kStrings;
    info.offSystemInfo = kStrings + 10;
    info.offMeFirmware = 0;  // points into the header
    SKernelStatus status = SKernelStatus::FromBlock(info, 9);
    EXPECT_EQ(status.csActiveBios, "R1.22.0");
    EXPECT_EQ(status.csSystem, "SIM-1");
    EXPECT_EQ(status.csMeFirmware, "");

    for (int32_t off : {-1, kStrings - 1, static_cast<int32_t>(sizeof(Info)), INT32_MAX, INT32_MIN}) {
        info.offActiveBios = off;
        EXPECT_EQ(SKernelStatus::FromBlock(info, 9).csActiveBios, "") << off;
    }
    // A text running to the end of the block without its NUL ends there.
    std::memset(info.szStrings, 'x', sizeof info.szStrings);
    info.offActiveBios = static_cast<int32_t>(sizeof(Info)) - 3;
    EXPECT_EQ(SKernelStatus::FromBlock(info, 9).csActiveBios, "xxx");
}

TEST(FrontendStatus, ErrorStatesInWords) {
    SKernelStatus status;
    const std::pair<int32_t, const char*> words[] = {
        {-5, "no board module supports this machine"},
        {-2, "insufficient privileges (run as root)"},
        {-4, "operating system not supported"},
        {-3, "invalid directory"},
        {-1, "the kernel reported an error state (-1)"},
        {-9, "the kernel reported an error state (-9)"},
    };
    for (const auto& [nState, pszWords] : words) {
        status.nState = nState;
        EXPECT_TRUE(status.IsErrorState());
        EXPECT_EQ(status.StateWords(), pszWords);
    }
}

TEST(FrontendLiveness, StateLetterAfterTheLastParenthesis) {
    EXPECT_EQ(ProcStatState("123 (qmkrnl2) S 1 123 123 0"), 'S');
    EXPECT_EQ(ProcStatState("123 (a) Z (b) R 1 2"), 'R');
    EXPECT_EQ(ProcStatState("123 (qmkrnl2)"), '\0');
    EXPECT_EQ(ProcStatState("garbage"), '\0');
}

TEST(FrontendLiveness, ZombieCountsAsDead) {
    EXPECT_TRUE(ProcessAlive(getpid()));
    EXPECT_FALSE(ProcessAlive(0));
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0)
        _exit(0);
    // Until reaped the child stays a zombie; kill(pid, 0) alone would call it alive.
    bool fDead = false;
    for (int i = 0; i < 200 && !(fDead = !ProcessAlive(pid)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(fDead);
    EXPECT_EQ(kill(pid, 0), 0) << "not yet reaped";
    waitpid(pid, nullptr, 0);
    EXPECT_FALSE(ProcessAlive(pid));
}

}  // namespace
