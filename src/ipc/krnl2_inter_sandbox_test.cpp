// Server and client of the kernel interface in two processes. The interface
// uses the product's fixed names in /tmp, so these run only inside the test
// sandbox, which has a /tmp of its own.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/shm.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ipc/krnl2_inter.h"
#include "support/msc.h"
#include "support/win_error.h"

namespace {
bool InSandbox() { return std::getenv("QM_SANDBOX") != nullptr; }

// The client's side of one session, in a child process; its exit code is the step that failed.
int ClientSession() {
    CKrnl2Inter client;
    if (!client.Open(IF_FORCE_CLIENT) || client.Type() != IF_CLIENT)
        return 10;
    if (!client.RequestFifo2Prepare() || !client.ResponseFifo2Prepare(getpid()))
        return 11;
    client.m_jobdata.m_eJobType = CDEdureMsg::eRequestAction;
    client.m_jobdata.m_csCmdLine = "-at -pwd secret";
    if (client.SessionRequest(10) != ERROR_SUCCESS)
        return 12;
    if (client.SessionDataCheck(50) != ERROR_SUCCESS || client.m_sessiondata.TypeGet() != CDEdureMsg::eJobDone)
        return 13;
    client.CountMessageRead();
    client.ResponseFifo2Cleanup();
    client.SessionClose(0);
    return 0;
}
}  // namespace

TEST(SandboxKernelInterface, OneSessionFromRequestToJobDone) {
    if (!InSandbox())
        GTEST_SKIP() << "needs the test sandbox";
    IpcSigPipeIgnore();
    CKrnl2Inter server;
    ASSERT_TRUE(server.Open(IF_FREE));
    ASSERT_EQ(server.Type(), IF_SERVER);
    ASSERT_TRUE(server.RequestFifo2Prepare());
    EXPECT_EQ(server.ResponseAckWait(0), ERROR_SUCCESS) << "no message sent yet";
    server.Info()->eKernelState = CKrnl2Inter::eQmKrnl2Ready;

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
        _exit(ClientSession());

    uint32_t status = ERROR_NO_DATA;
    for (int i = 0; i < 100 && status != ERROR_SUCCESS; ++i)
        status = server.Connect(1);
    ASSERT_EQ(status, ERROR_SUCCESS);
    EXPECT_EQ(server.m_jobdata.m_eJobType, CDEdureMsg::eRequestAction);
    EXPECT_STREQ(server.m_jobdata.m_csCmdLine, "-at -pwd secret");
    EXPECT_EQ(server.m_jobdata.m_pidClient, child);

    ASSERT_TRUE(server.ResponseFifo2Prepare(child));
    uid_t uid = 4242;
    std::string why;
    ASSERT_TRUE(server.ResponseFifoOwnerGet(uid, why)) << why;
    EXPECT_TRUE(server.RequestOriginCheck(why)) << why;
    EXPECT_EQ(uid, geteuid());
    // The session gets a block of its own, handed to the client's user; the
    // client counts there, not in the block the kernel started with.
    const int idStart = server.Info()->idSessionCtrl;
    ASSERT_TRUE(server.SessionBegin(uid));
    EXPECT_NE(server.Info()->idSessionCtrl, idStart);
    shmid_ds ds {};
    ASSERT_EQ(shmctl(server.Info()->idSessionCtrl, IPC_STAT, &ds), 0);
    EXPECT_EQ(ds.shm_perm.mode & 0777, 0600u);
    EXPECT_EQ(ds.shm_perm.uid, uid);
    server.Info()->eKernelState = CKrnl2Inter::eQmKrnl2Busy;
    server.Info()->pidClient = child;
    server.m_jobdata.m_eJobType = CDEdureMsg::eAccept;
    ASSERT_EQ(server.SendJob(5), ERROR_SUCCESS);
    EXPECT_TRUE(server.SessionTakenBy(child, 50)) << "the client attaches on acceptance";

    server.CountMessageSent();
    server.m_sessiondata.TypeSet(CDEdureMsg::eJobDone);
    ASSERT_EQ(server.SessionDataSend(), ERROR_SUCCESS);
    EXPECT_EQ(server.ResponseAckWait(50), ERROR_SUCCESS) << "the client counted the message it read";
    server.ResponseFifo2Cleanup();
    server.SessionClose(0);

    int childStatus = 0;
    ASSERT_EQ(waitpid(child, &childStatus, 0), child);
    EXPECT_TRUE(WIFEXITED(childStatus));
    EXPECT_EQ(WEXITSTATUS(childStatus), 0) << "client step that failed";
}

TEST(SandboxKernelInterface, AcknowledgementTimeoutAndClosedSession) {
    if (!InSandbox())
        GTEST_SKIP() << "needs the test sandbox";
    CKrnl2Inter server;
    ASSERT_TRUE(server.Open(IF_FREE));
    server.CountMessageSent();
    EXPECT_EQ(server.ResponseAckWait(0), ERROR_TIMEOUT) << "unequal counters, no time: at once";
    server.CountersMessagesSentAndReadReset();
    EXPECT_EQ(server.ResponseAckWait(0), ERROR_SUCCESS);

    CKrnl2Inter client;
    ASSERT_TRUE(client.Open(IF_FORCE_CLIENT));
    EXPECT_EQ(client.Info()->idSessionCtrl, server.Info()->idSessionCtrl);
    client.m_jobdata.m_pidClient = getpid();
    server.Info()->pidClient = 0;
    EXPECT_EQ(client.SessionDataCheck(0), ERROR_NOT_CONNECTED) << "no session: no read at all";
    EXPECT_EQ(client.Connect(0), WAIT_TIMEOUT) << "kernel not ready";

    server.Kill();
    EXPECT_FALSE(MscFileExists(CKrnl2Inter::s_FifoName));
}

// A front-end may attach while the kernel is still starting: its block is
// announced before it names the session-control block, so that is attached
// when first used, and the counting lands there and not in the block.
TEST(SandboxKernelInterface, ClientAttachedDuringStartCountsInTheSessionControl) {
    if (!InSandbox())
        GTEST_SKIP() << "needs the test sandbox";
    CTInterface<CKrnl2Inter::BROADCASTINFO> starting;
    ASSERT_TRUE(starting.Open(CKrnl2Inter::s_FifoName, IF_FREE));
    CKrnl2Inter::BROADCASTINFO* pBlock = starting.ptr();
    ASSERT_EQ(pBlock->eKernelState, CKrnl2Inter::eQmKrnl2Init);

    CKrnl2Inter client;
    ASSERT_TRUE(client.Open(IF_FORCE_CLIENT));

    CIpcSharedMem ctrl;
    ASSERT_TRUE(ctrl.Create(sizeof(CKrnl2Inter::SESSIONCTRL), 0));
    auto* pCtrl = static_cast<CKrnl2Inter::SESSIONCTRL*>(ctrl.PtrGet());
    pBlock->idSessionCtrl = ctrl.HandleGet();
    pBlock->pidClient = 4242;
    pBlock->eKernelState = CKrnl2Inter::eQmKrnl2Ready;

    EXPECT_EQ(client.CountMessageRead(), ERROR_SUCCESS);
    EXPECT_EQ(pCtrl->nMsgRead, 1u);
    EXPECT_EQ(pBlock->pidClient, 4242) << "the session's owner is left alone";
    starting.Kill(nullptr);
}

// A client, which maps the announcement read-only, sleeps until the kernel
// publishes a new state, and is woken then rather than at the end of its wait.
TEST(SandboxKernelInterface, StateChangeWakesAWaitingClient) {
    if (!InSandbox())
        GTEST_SKIP() << "needs the test sandbox";
    CKrnl2Inter server;
    ASSERT_TRUE(server.Open(IF_FREE));
    server.KernelStateSet(CKrnl2Inter::eQmKrnl2Init);
    int aiReady[2];
    ASSERT_EQ(pipe(aiReady), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(aiReady[0]);
        CKrnl2Inter client;
        if (!client.Open(IF_FORCE_CLIENT))
            _exit(10);
        const auto start = std::chrono::steady_clock::now();
        if (write(aiReady[1], "r", 1) != 1)
            _exit(11);
        while (client.Info()->eKernelState == CKrnl2Inter::eQmKrnl2Init &&
               std::chrono::steady_clock::now() - start < std::chrono::seconds(20))
            client.KernelStateChangeWait(CKrnl2Inter::eQmKrnl2Init, std::chrono::seconds(20));
        const bool fSoon = std::chrono::steady_clock::now() - start < std::chrono::seconds(10);
        _exit(client.Info()->eKernelState == CKrnl2Inter::eQmKrnl2Ready && fSoon ? 0 : 12);
    }
    close(aiReady[1]);
    char c;
    ASSERT_EQ(read(aiReady[0], &c, 1), 1);
    close(aiReady[0]);
    usleep(50000);  // the client is asleep by now, most likely
    server.KernelStateSet(CKrnl2Inter::eQmKrnl2Ready);
    int nStatus = 0;
    ASSERT_EQ(waitpid(child, &nStatus, 0), child);
    EXPECT_TRUE(WIFEXITED(nStatus) && WEXITSTATUS(nStatus) == 0) << "status " << nStatus;
    server.Kill();
}

// The kernel takes the requesting user from the response FIFO it opened, and
// trusts it only when nobody else may write to it.
TEST(SandboxKernelInterface, ResponseFifoOthersMayWriteIsNotTrusted) {
    if (!InSandbox())
        GTEST_SKIP() << "needs the test sandbox";
    CKrnl2Inter server;
    ASSERT_TRUE(server.Open(IF_FREE));
    for (const mode_t mode : {0600, 0620, 0602}) {
        const std::string path = std::string(CKrnl2Inter::s_ResponseFifoBase) + "_4242.sync";
        unlink(path.c_str());
        ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
        ASSERT_EQ(chmod(path.c_str(), mode), 0);
        const int reader = open(path.c_str(), O_RDWR | O_NONBLOCK);
        ASSERT_GE(reader, 0);
        ASSERT_TRUE(server.ResponseFifo2Prepare(4242));
        uid_t uid = 4242;
        std::string why;
        EXPECT_EQ(server.ResponseFifoOwnerGet(uid, why), mode == 0600) << std::oct << mode;
        EXPECT_EQ(uid, geteuid());
        if (mode != 0600) {
            EXPECT_EQ(why, "the response FIFO may be written by others than its owner");
        }
        server.ResponseFifo2Cleanup();
        close(reader);
        unlink(path.c_str());
    }
    server.Kill();
}

namespace {
// One request record as any writer may put it into the FIFO.
std::string RequestRecord(const std::string& cmdline, int32_t pid) {
    auto word = [](uint32_t u) { return std::string(reinterpret_cast<const char*>(&u), 4); };
    const std::string text = cmdline + '\0';
    const std::string payload = word(static_cast<uint32_t>(text.size())) + text + word(static_cast<uint32_t>(pid));
    return word(CDEdureMsg::eRequestAction) + word(static_cast<uint32_t>(payload.size())) + payload;
}
}  // namespace

// Records read while a session is checked are served afterwards, in order; one
// naming the session's process again reveals that one of the two was forged.
TEST(SandboxKernelInterface, RequestsReadAheadKeepTheirOrderAndRevealATwin) {
    if (!InSandbox())
        GTEST_SKIP() << "needs the test sandbox";
    CKrnl2Inter server;
    ASSERT_TRUE(server.Open(IF_FREE));
    ASSERT_TRUE(server.RequestFifo2Prepare());
    server.Info()->eKernelState = CKrnl2Inter::eQmKrnl2Ready;
    struct stat st {};
    ASSERT_EQ(stat(CKrnl2Inter::s_RequestFifoName, &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0622u) << "others may write a request but never read one";

    const int fd = open(CKrnl2Inter::s_RequestFifoName, O_WRONLY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    std::string why;
    EXPECT_FALSE(server.RequestsWaitingFrom(101, why)) << "nothing waits";
    const std::string records = RequestRecord("-ast", 101) + RequestRecord("-i", 202) +
                                RequestRecord("-at -o x.bup", 101) + RequestRecord("-h", 303);
    ASSERT_EQ(write(fd, records.data(), records.size()), static_cast<ssize_t>(records.size()));

    ASSERT_EQ(server.Connect(1), ERROR_SUCCESS);
    EXPECT_EQ(server.m_jobdata.m_pidClient, 101);
    EXPECT_TRUE(server.RequestsWaitingFrom(101, why));
    EXPECT_EQ(why, "another request names process 101");
    for (const auto& [pid, cmd] : {std::pair<int, const char*>{202, "-i"}, {303, "-h"}}) {
        ASSERT_EQ(server.Connect(1), ERROR_SUCCESS);
        EXPECT_EQ(server.m_jobdata.m_pidClient, pid);
        EXPECT_STREQ(server.m_jobdata.m_csCmdLine, cmd);
    }
    EXPECT_NE(server.Connect(1), ERROR_SUCCESS) << "the twin is not served";
    close(fd);
    server.Kill();
}
