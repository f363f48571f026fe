// The BIOS update job driving the simulated board: capability, confirmations,
// the call sequence's end steps and the texts for the module's failures.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "kernel/krnl2_app.h"
#include "support/pipe_child.h"
#include "test_helpers.h"

namespace {

class UpdateJob : public testing::Test {
protected:
    void SetUp() override {
        Board("");
        setenv("QMXSIM_STATE", state.path().c_str(), 1);
        app.Qmx().BinaryPathSet(QMXSIM_SO);
        ASSERT_EQ(app.Qmx().Install(), 0u);
        ASSERT_EQ(app.Qmx().GetModuleInfo(), 0u);
        app.WrkDirSet(work.path().c_str());
        app.TempDirSet(temp.path().c_str());
        ASSERT_TRUE(app.LogfileNamePrepare(work.file("qm.log").c_str()));
    }
    void TearDown() override {
        app.Qmx().Uninstall();
        unsetenv("QMXSIM_STATE");
    }
    // board.json of a board X1 at BIOS 1.00 with extra keys.
    void Board(const std::string& extra) {
        state.write("board.json", R"({"board":"X1","bios_version":"1.00")" + extra + "}");
        app.Qmx().GetModuleInfo();
    }
    void Package(const std::string& name, std::vector<std::string> options) {
        std::vector<std::string> argv = {QMXSIM_MAKE_PACKAGE, work.file(name), "--board", "X1"};
        argv.insert(argv.end(), options.begin(), options.end());
        CPipeChild maker(argv);
        while (maker.LineGet()) {
        }
        ASSERT_EQ(maker.Unload(), 0) << name;
    }
    // A kernel serves one job, so each job here starts from a fresh record as it would there.
    uint32_t Update(const std::string& options) {
        app.Qmx().m_UpdateInfo.clear();
        app.JobCmdInfo().Parse(("-at " + options).c_str());
        return app.DoTheBiosUpdate();
    }
    std::string Log() const { return TempDir::read(work.file("qm.log")); }
    bool Logged(const std::string& text) const { return Log().find(text) != std::string::npos; }

    TempDir state;
    TempDir work;
    TempDir temp;
    CKrnl2App app;
};

}  // namespace

TEST_F(UpdateJob, BoardWithoutTheCapabilityIsNeverSearchedForFiles) {
    Board(R"(,"capabilities":{"fBiosUpdate":false})");
    Package("new.bup", {"--bios", "1.01"});
    EXPECT_EQ(Update("-o new.bup"), 31u);
    EXPECT_TRUE(Logged("BIOS update not supported"));
    EXPECT_FALSE(Logged("Checking update files"));
}

TEST_F(UpdateJob, OnlyTheConfirmationsNotGivenAreAskedFor) {
    Package("same.bup", {"--bios", "1.00", "--reboot", "before"});
    EXPECT_EQ(Update("-o same.bup -ov"), 31u);
    EXPECT_TRUE(Logged("confirmations missing: allow reboot"));
    EXPECT_FALSE(Logged("confirmations missing: overwrite"));
    EXPECT_FALSE(Logged("The BIOS has been updated"));

    // Refusing the reboot answers the reboot question too.
    EXPECT_EQ(Update("-o same.bup -ov -narb"), 0u);
    EXPECT_TRUE(Logged("The BIOS has been updated with " + work.file("same.bup") + "."));
}

TEST_F(UpdateJob, PowerStatesAfterTheUpdateDecideTheShutdown) {
    Package("plain.bup", {"--bios", "1.01"});
    EXPECT_EQ(Update("-o plain.bup"), 0u);
    EXPECT_EQ(app.ShutDown(), SD_NO);

    Package("reboot.bup", {"--bios", "1.02", "--reboot", "after"});
    EXPECT_EQ(Update("-o reboot.bup -arb"), 0u);
    EXPECT_EQ(app.ShutDown(), SD_ACTIVATE_CHANGES);
    EXPECT_FALSE(Logged("BIOS update error"));
}

TEST_F(UpdateJob, EndStepsOfTheModuleSetTheShutdown) {
    Package("new.bup", {"--bios", "1.01"});
    const struct {
        const char* faults;
        E_SHUTDOWN expected;
    } cases[] = {
        {R"({"end_with":"cold_boot"})", SD_ACTIVATE_CHANGES_COLD_BOOT},
        {R"({"end_with":"pending"})", SD_OP_PENDING},
        {R"({"cancel":true})", SD_NO},
    };
    for (const auto& c : cases) {
        Board(std::string(R"(,"faults":)") + c.faults);
        app.ShutDownSet(SD_OP_PENDING_RESTART_QM);
        EXPECT_EQ(Update("-o new.bup"), 0u) << c.faults;
        EXPECT_EQ(app.ShutDown(), c.expected) << c.faults;
    }
    // Cancelled: no change happened, and the user is told the update failed.
    EXPECT_TRUE(Logged("BIOS update error"));
    EXPECT_FALSE(Logged("The BIOS has been updated"));
}

TEST_F(UpdateJob, FailureReasonsGiveTheirTexts) {
    Package("new.bup", {"--bios", "1.01"});
    const struct {
        int reason;
        const char* text;  // also as event 2012; null: only the general text to the front-end
    } cases[] = {
        {0x0F, "Can't pass image to EFI partition"},
        {0x0C, "System Firmware Rollback Forbidden"},
        {0x0A, "Unsupported Operating System"},
        {0x02, nullptr},
    };
    for (const auto& c : cases) {
        work.write("qm.log", "");
        Board(R"(,"faults":{"fail_at_step":1,"fail_reason":)" + std::to_string(c.reason) + "}");
        EXPECT_EQ(Update("-o new.bup"), 0u) << c.reason;
        EXPECT_TRUE(Logged("BIOS update error")) << c.reason;
        if (c.text)
            EXPECT_TRUE(Logged(c.text)) << c.reason;
        else
            EXPECT_FALSE(Logged("BIOS update failed")) << "no event for a reason without its own text";
        EXPECT_FALSE(Logged("The BIOS has been updated")) << c.reason;
    }
}
