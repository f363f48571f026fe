#include "ipc/process_fds.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

class ProcessFds : public ::testing::Test {
protected:
    void SetUp() override {
        char szDir[] = "/tmp/qm-procfds-XXXXXX";
        ASSERT_NE(mkdtemp(szDir), nullptr);
        m_dir = szDir;
        m_fifo = m_dir + "/request";
        ASSERT_EQ(mkfifo(m_fifo.c_str(), 0600), 0);
        m_read = open(m_fifo.c_str(), O_RDONLY | O_NONBLOCK);
        ASSERT_GE(m_read, 0);
    }
    void TearDown() override {
        close(m_read);
        unlink(m_fifo.c_str());
        rmdir(m_dir.c_str());
    }
    int OpenFifo(int flags) const { return open(m_fifo.c_str(), flags | O_NONBLOCK); }

    std::string m_dir, m_fifo;
    int m_read = -1;
};

TEST_F(ProcessFds, OnlyAWriteDescriptorOnTheSameFifoCounts) {
    EXPECT_FALSE(ProcessWritesTo(getpid(), m_read)) << "reading is not writing";

    const int fdWrite = OpenFifo(O_WRONLY);
    ASSERT_GE(fdWrite, 0);
    EXPECT_TRUE(ProcessWritesTo(getpid(), m_read));
    close(fdWrite);
    EXPECT_FALSE(ProcessWritesTo(getpid(), m_read)) << "closed again";

    const int fdBoth = OpenFifo(O_RDWR);
    ASSERT_GE(fdBoth, 0);
    EXPECT_TRUE(ProcessWritesTo(getpid(), m_read)) << "O_RDWR writes too";
    close(fdBoth);

    // A writer on another FIFO is no writer on this one.
    const std::string other = m_dir + "/other";
    ASSERT_EQ(mkfifo(other.c_str(), 0600), 0);
    const int fdOtherRead = open(other.c_str(), O_RDONLY | O_NONBLOCK);
    const int fdOtherWrite = open(other.c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(fdOtherWrite, 0);
    EXPECT_FALSE(ProcessWritesTo(getpid(), m_read));
    EXPECT_TRUE(ProcessWritesTo(getpid(), fdOtherRead));
    close(fdOtherWrite);
    close(fdOtherRead);
    unlink(other.c_str());
}

TEST_F(ProcessFds, AnotherProcessIsSeenWhileItHoldsTheFifo) {
    int sync[2];
    ASSERT_EQ(pipe(sync), 0);
    const pid_t pid = fork();
    ASSERT_NE(pid, -1);
    if (pid == 0) {
        const int fd = OpenFifo(O_WRONLY);
        close(sync[1]);
        char c;
        (void)!read(sync[0], &c, 1);  // until the parent closes its end
        _exit(fd >= 0 ? 0 : 1);
    }
    // The child's write descriptor appears; ours was never opened.
    bool fSeen = false;
    for (int i = 0; i < 500 && !fSeen; ++i) {
        fSeen = ProcessWritesTo(pid, m_read);
        if (!fSeen)
            usleep(2000);
    }
    EXPECT_TRUE(fSeen);
    EXPECT_FALSE(ProcessWritesTo(getpid(), m_read));

    uid_t uid = 12345;
    ASSERT_TRUE(ProcessEuidGet(pid, uid));
    EXPECT_EQ(uid, geteuid());

    close(sync[1]);
    close(sync[0]);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(ProcessWritesTo(pid, m_read)) << "a process that is gone";
    EXPECT_FALSE(ProcessEuidGet(pid, uid));
    EXPECT_FALSE(ProcessEuidGet(0, uid));
    EXPECT_FALSE(ProcessEuidGet(-1, uid));
    EXPECT_FALSE(ProcessWritesTo(0, m_read));
}

}  // namespace
