// The kernel's messages as a front-end receives them. The interface uses the
// product's fixed FIFO names in /tmp, so these run only inside the test sandbox.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "ipc/bf_msg_get_generic_module_info.h"
#include "ipc/check_file_result.h"
#include "kernel/krnl2_app.h"
#include "support/pipe_child.h"
#include "support/win_error.h"
#include "test_helpers.h"

namespace {

// A kernel whose interface is open as server, and a front-end session to it in this process.
class SandboxClientMsg : public testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("QM_SANDBOX"))
            GTEST_SKIP() << "needs the test sandbox";
        IpcSigPipeIgnore();
        ASSERT_TRUE(app.Inter().Open(IF_FREE));
        ASSERT_EQ(app.Inter().Type(), IF_SERVER);
        ASSERT_TRUE(client.Open(IF_FORCE_CLIENT));
        ASSERT_TRUE(client.ResponseFifo2Prepare(getpid()));
        ASSERT_TRUE(app.Inter().ResponseFifo2Prepare(getpid()));
        app.Inter().InfoWritable()->pidClient = getpid();
        client.m_jobdata.m_pidClient = getpid();
    }
    void TearDown() override {
        client.ResponseFifo2Cleanup();
        app.Inter().Kill();
    }

    // The next record, counted as read like a front-end does.
    E_DEDURE_MSG Next() {
        if (client.SessionDataCheck(0) != ERROR_SUCCESS)
            return static_cast<E_DEDURE_MSG>(-1);
        client.CountMessageRead();
        return client.m_sessiondata.TypeGet();
    }
    CString NextText(E_DEDURE_MSG eExpected) {
        CString cs = "<none>";
        if (Next() == eExpected)
            client.m_sessiondata.PopFront(cs);
        return cs;
    }
    bool Unacknowledged() { return app.Inter().ResponseAckWait(0) != ERROR_SUCCESS; }

    CKrnl2App app;
    CKrnl2Inter client;
};

}  // namespace

TEST_F(SandboxClientMsg, MessagesAboveTheThresholdAreNeitherSentNorCounted) {
    app.JobCmdInfo().m_ClientMsgLevel = 5;
    EXPECT_TRUE(app.ClientMsgWait(100, 10, CDEdureMsg::eInfo, "chatter"));
    EXPECT_TRUE(app.ClientMsg(10, CDEdureMsg::eProgress, 10));
    EXPECT_FALSE(Unacknowledged()) << "a suppressed message was counted";
    EXPECT_EQ(client.SessionDataCheck(0), ERROR_NO_DATA) << "a suppressed message was sent";

    EXPECT_TRUE(app.ClientMsg(5, CDEdureMsg::eWarning, "heads up"));
    EXPECT_TRUE(Unacknowledged());
    EXPECT_STREQ(NextText(CDEdureMsg::eWarning), "heads up");
    EXPECT_FALSE(Unacknowledged());
}

TEST_F(SandboxClientMsg, EachTypeCarriesItsParameters) {
    EXPECT_TRUE(app.ClientMsg(10, CDEdureMsg::eFileName, static_cast<const char*>(nullptr)));
    EXPECT_STREQ(NextText(CDEdureMsg::eFileName), "invalid <null> parameter");

    EXPECT_TRUE(app.ClientMsg(10, CDEdureMsg::eProgress, 4200));
    ASSERT_EQ(Next(), CDEdureMsg::eProgress);
    int n = 0;
    EXPECT_TRUE(client.m_sessiondata.PopFront(n));
    EXPECT_EQ(n, 4200);
    EXPECT_EQ(client.m_sessiondata.SizeGet(), 0u);

    EXPECT_TRUE(app.ClientMsg(10, CDEdureMsg::ePasswordRequ, "a", "b", "c", 1, 2));
    ASSERT_EQ(Next(), CDEdureMsg::ePasswordRequ);
    CString cs;
    for (const char* expected : {"a", "b", "c"}) {
        EXPECT_TRUE(client.m_sessiondata.PopFront(cs));
        EXPECT_STREQ(cs, expected);
    }
    for (int expected : {1, 2}) {
        EXPECT_TRUE(client.m_sessiondata.PopFront(n));
        EXPECT_EQ(n, expected);
    }

    CBupAssessmentEx candidate;
    candidate.m_csName = "NEW.BUP";
    candidate.m_csBiosVer = "R1.23.0";
    EXPECT_TRUE(app.ClientMsg(10, CDEdureMsg::eCheckFileResultEx, &candidate));
    ASSERT_EQ(Next(), CDEdureMsg::eCheckFileResultEx);
    CBupAssessmentEx received;
    ASSERT_TRUE(CheckFileResultExPop(client.m_sessiondata, received));
    EXPECT_STREQ(received.Name(), "NEW.BUP");
    EXPECT_STREQ(received.BiosVer(), "R1.23.0");

    CBfMsgGetGenericModuleInfo info;
    info.m_Info.m_csFirstParameter = "ACTIONSTATUS";
    info.m_Info.m_Values.emplace("Status", "done");
    EXPECT_TRUE(app.ClientMsg(10, CDEdureMsg::eGetGenericModuleInfo, &info));
    ASSERT_EQ(Next(), CDEdureMsg::eGetGenericModuleInfo);
    CBfMsgGetGenericModuleInfo back;
    ASSERT_TRUE(back.FromParamQueue(client.m_sessiondata));
    EXPECT_STREQ(back.m_Info.ToString(), info.m_Info.ToString());

    EXPECT_TRUE(app.ClientMsg(10, CDEdureMsg::eJobDone));
    EXPECT_EQ(Next(), CDEdureMsg::eJobDone);
}

TEST_F(SandboxClientMsg, TypesWithoutASenderAndNullObjectsAreRefused) {
    for (E_DEDURE_MSG e : {CDEdureMsg::ePasswordData, CDEdureMsg::eModuleInfo, CDEdureMsg::eAccept,
                           static_cast<E_DEDURE_MSG>(123)})
        EXPECT_FALSE(app.ClientMsg(10, e)) << e;
    EXPECT_FALSE(app.ClientMsg(10, CDEdureMsg::eCheckFileResult, static_cast<const CBupAssessment*>(nullptr)));
    EXPECT_FALSE(app.ClientMsg(10, CDEdureMsg::eGetGenericModuleInfo, static_cast<const CBfMsgBase*>(nullptr)));
    EXPECT_EQ(client.SessionDataCheck(0), ERROR_NO_DATA) << "a refused message reached the FIFO";
}

TEST_F(SandboxClientMsg, WaitingMessagesNeedTheFrontEndsAcknowledgement) {
    EXPECT_FALSE(app.ClientMsgWait(1, 5, CDEdureMsg::eInfo, "nobody reads")) << "no acknowledgement in time";
    EXPECT_STREQ(NextText(CDEdureMsg::eInfo), "nobody reads");

    std::thread reader([this] {
        for (int i = 0; i < 200 && client.SessionDataCheck(1) != ERROR_SUCCESS; ++i) {
        }
        client.CountMessageRead();
    });
    EXPECT_TRUE(app.ClientMsgWait(50, 5, CDEdureMsg::eAction, "flashing"));
    reader.join();
}

TEST_F(SandboxClientMsg, StateOfTheModuleOperation) {
    TempDir dir;
    app.LogfileSet(dir.file("job.log").c_str());
    CQmx2OperationBase op;
    app.Qmx().m_pActionInfo = &op;
    app.Qmx().m_OemInfo.fProgressInfo = true;
    op.ulProgress = 2500;
    op.m_sStatusInfo = "flash write failed";
    op.m_sPartInfo = "part 2 of 3";
    app.StateInfoSendToClient(0xC0000002u);

    ASSERT_EQ(Next(), CDEdureMsg::eProgress);
    EXPECT_STREQ(NextText(CDEdureMsg::eError), "flash write failed");
    EXPECT_STREQ(NextText(CDEdureMsg::eActionPart), "part 2 of 3");
    EXPECT_TRUE(op.m_sStatusInfo.empty() && op.m_sPartInfo.empty()) << "texts are sent once";
    EXPECT_NE(TempDir::read(dir.file("job.log")).find("flash write failed"), std::string::npos)
        << "an error status is logged";

    // A warning at threshold 5 still goes out; progress and parts at 10 do not.
    app.JobCmdInfo().m_ClientMsgLevel = 5;
    op.m_sStatusInfo = "battery low";
    op.m_sPartInfo = "part 3 of 3";
    app.StateInfoSendToClient(0x80000000u);
    EXPECT_STREQ(NextText(CDEdureMsg::eWarning), "battery low");
    EXPECT_EQ(client.SessionDataCheck(0), ERROR_NO_DATA);
}

TEST_F(SandboxClientMsg, AnnouncementStringsAndTheirOffsets) {
    const CKrnl2Inter::BROADCASTINFO* pInfo = client.Info();
    app.BroadcastInfoUpdate(false);
    EXPECT_EQ(pInfo->offActiveBios, 52);
    EXPECT_EQ(pInfo->offSystemInfo, 53) << "each string keeps its terminator";
    EXPECT_EQ(pInfo->offMeFirmware, 54);
    app.BroadcastInfoUpdate(true);
    EXPECT_EQ(pInfo->offSystemInfo, 52);
    EXPECT_EQ(pInfo->offMeFirmware, 52);
}

TEST_F(SandboxClientMsg, TheScanTellsTheFrontEndAboutEachCandidate) {
    TempDir state, dir;
    state.write("board.json", R"({"board":"X1","bios_version":"2.05"})");
    setenv("QMXSIM_STATE", state.path().c_str(), 1);
    app.Qmx().BinaryPathSet(QMXSIM_SO);
    ASSERT_EQ(app.Qmx().Install(), 0u);
    for (const char* board : {"X1", "Y1"}) {
        CPipeChild maker({QMXSIM_MAKE_PACKAGE, dir.file(std::string(board) + ".bup"), "--board", board, "--bios", "2.06"});
        while (maker.LineGet()) {
        }
        ASSERT_EQ(maker.Unload(), 0);
    }
    // A front-end that acknowledges every message and notes what it got.
    std::vector<std::string> got;
    std::atomic<bool> fDone{false};
    std::thread reader([&] {
        while (!fDone) {
            if (client.SessionDataCheck(1) != ERROR_SUCCESS)
                continue;
            client.CountMessageRead();
            CString cs;
            const E_DEDURE_MSG e = client.m_sessiondata.TypeGet();
            got.push_back(CDEdureMsg::ToString(e) +
                          std::string(e == CDEdureMsg::eEmpty || !client.m_sessiondata.PopFront(cs) ? "" : " " + cs.str()));
        }
    });
    std::vector<CBupAssessmentEx> results;
    EXPECT_EQ(app.UpdateFilesCheckSingles(dir.path().c_str(), {"X1.bup", "Y1.bup", "none.bup"}, results, false, false),
              FC_VALID);
    app.FileResultReport(results);
    while (app.Inter().ResponseAckWait(0) != ERROR_SUCCESS)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    fDone = true;
    reader.join();
    app.Qmx().Uninstall();
    unsetenv("QMXSIM_STATE");
    const std::vector<std::string> expected = {"eFileName X1.bup", "eBiosFileVersion 2.06", "eEmpty",
                                               "eFileName Y1.bup", "eEmpty", "eCheckFileResult"};
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(got[i].substr(0, expected[i].size()), expected[i]) << i;
}
