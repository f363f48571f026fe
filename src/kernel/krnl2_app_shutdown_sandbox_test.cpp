// The reboot decision after the server has ended. Only the sandbox's recording
// /sbin/shutdown may ever be reached.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "kernel/krnl2_app.h"
#include "test_helpers.h"

namespace {

class SandboxShutdownDecision : public testing::Test {
protected:
    void SetUp() override {
        log = std::getenv("QM_SHUTDOWN_LOG");
        if (!std::getenv("QM_SANDBOX") || !log)
            GTEST_SKIP() << "needs the test sandbox";
        unlink(log);
        app.LogfileSet(dir.file("job.log").c_str());
    }
    // The stub's record once it has written one, "" when nothing ran within nTries looks.
    std::string Record(int nTries = 100) {
        for (int i = 0; i < nTries; ++i) {
            const std::string s = TempDir::read(log);
            if (s.find("--") != std::string::npos)
                return s;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return "";
    }
    std::string Events() { return TempDir::read(dir.file("job.log")); }

    const char* log = nullptr;
    TempDir dir;
    CKrnl2App app;
};

}  // namespace

TEST_F(SandboxShutdownDecision, FlashedBiosRebootsInTwoMinutes) {
    app.ShutDownSet(SD_ACTIVATE_CHANGES_COLD_BOOT);
    app.ShutdownDecide();
    EXPECT_NE(Events().find("System will be rebooted."), std::string::npos);
    if (geteuid() == 0)
        EXPECT_EQ(Record(),
                  "-r\n+2\nThe system is going down because the system BIOS was flashed with a new BIOS version\n--\n");
    else
        EXPECT_EQ(Record(15), "") << "only root may reboot";
}

TEST_F(SandboxShutdownDecision, RestoredConfigurationNamesItsReason) {
    if (geteuid() != 0)
        GTEST_SKIP() << "the reboot text is only seen as root";
    app.JobCmdInfo().Parse("-nvu");
    app.ShutDownSet(SD_OP_PENDING);
    app.ShutdownDecide();
    EXPECT_EQ(Record(), "-r\n+2\nThe system is going down because the system configuration data was updated\n--\n");
}

TEST_F(SandboxShutdownDecision, SkipRebootAndUnknownValuesRunNothing) {
    app.SkipRebootSet(1);
    app.ShutDownSet(SD_ACTIVATE_CHANGES);
    app.ShutdownDecide();
    EXPECT_NE(Events().find("Automatic reboot skipped."), std::string::npos);
    EXPECT_EQ(Events().find("System will be rebooted."), std::string::npos);

    CKrnl2App other;
    other.ShutDownSet(SD_OP_PENDING_RESTART_QM);
    other.ShutdownDecide();
    other.ShutDownSet(SD_NO);
    other.ShutdownDecide();
    EXPECT_EQ(Record(15), "");
}
