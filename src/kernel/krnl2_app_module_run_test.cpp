// One loop drives every module call sequence; each job ends it on its own values.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "kernel/krnl2_app.h"
#include "test_helpers.h"

namespace {

class ModuleRun : public testing::Test {
protected:
    void SetUp() override {
        setenv("FAKE_CALL_LOG", work.file("calls").c_str(), 1);
        app.Qmx().BinaryPathSet(QM_FAKE_MODULE_DIR "/fake_sequence.so");
        ASSERT_FALSE(Qmx2Failed(app.Qmx().Install()));
        app.WrkDirSet(work.path().c_str());
    }
    void TearDown() override {
        unsetenv("FAKE_CALL_LOG");
        unsetenv("FAKE_SEQ");
    }
    // The module's calls of one run answering seq, as "update update ..."
    std::string Run(bool fRestore, const char* seq) {
        setenv("FAKE_SEQ", seq, 1);
        *static_cast<int*>(app.Qmx().ProcAddressGet("fake_seq_next")) = 0;
        work.write("calls", "");
        app.ShutDownSet(SD_OP_PENDING_RESTART_QM);
        EXPECT_FALSE(Qmx2Failed(fRestore ? app.DoTheConfigurationRestoreMainLoop() : app.DoTheBiosUpdateMainLoop()));
        std::string calls = TempDir::read(work.file("calls"));
        std::string out;
        for (size_t pos = 0; pos < calls.size();) {
            const size_t end = calls.find('\n', pos);
            out += (out.empty() ? "" : " ") + calls.substr(pos, calls.find(' ', pos) - pos);
            pos = end == std::string::npos ? calls.size() : end + 1;
        }
        return out;
    }

    TempDir work;
    CKrnl2App app;
};

}  // namespace

TEST_F(ModuleRun, EndingValuesAndTheShutdownTheyLeave) {
    const struct {
        bool fRestore;
        const char* seq;
        const char* calls;
        E_SHUTDOWN eShutDown;
    } cases[] = {
        // The update ends on every final value; all power states were not allowed.
        {false, "1,2,10000", "update update update", SD_ACTIVATE_CHANGES},
        {false, "1,10003", "update update", SD_ACTIVATE_CHANGES_COLD_BOOT},
        {false, "10010", "update", SD_OP_PENDING},
        {false, "-10000", "update", SD_NO},
        // A restore goes on through cold-boot and pending values; its feedback decides.
        {true, "10003,10008,10000", "restore restore restore", SD_OP_PENDING_RESTART_QM},
        {true, "-10000", "restore", SD_NO},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Run(c.fRestore, c.seq), c.calls) << c.seq;
        EXPECT_EQ(app.ShutDown(), c.eShutDown) << c.seq;
    }
}
