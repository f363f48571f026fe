#include <gtest/gtest.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

#include "ipc/ipc_shared_mem.h"

namespace {

TEST(CIpcSharedMem, MarkedForRemovalYetAttachableUntilTheLastDetach) {
    CIpcSharedMem server(-1, 2104, 0);
    ASSERT_NE(server.PtrGet(), nullptr);
    const int id = server.HandleGet();
    std::strcpy(static_cast<char*>(server.PtrGet()), "announced");

    shmid_ds ds {};
    ASSERT_EQ(shmctl(id, IPC_STAT, &ds), 0);
    EXPECT_NE(ds.shm_perm.mode & SHM_DEST, 0);
    EXPECT_EQ(ds.shm_segsz, 2104u);

    // Another process attaches by identifier only, read-only, as a client does.
    const pid_t pid = fork();
    ASSERT_NE(pid, -1);
    if (pid == 0) {
        server.Close();  // drop the inherited attachment
        CIpcSharedMem client(id, 0, SHM_RDONLY);
        const char* psz = static_cast<const char*>(client.PtrGet());
        _exit(psz && std::strcmp(psz, "announced") == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    server.Close();
    EXPECT_EQ(server.PtrGet(), nullptr);
    EXPECT_NE(shmctl(id, IPC_STAT, &ds), 0);  // gone with the last detach

    CIpcSharedMem none(id, 0, SHM_RDONLY);
    EXPECT_EQ(none.PtrGet(), nullptr);
}

// The kernel waits for the named client's own attachment: the system records
// who attached last, and a detached or a mere earlier attacher does not count.
TEST(CIpcSharedMem, AttachedByNamesTheProcessStillOnTheSegment) {
    CIpcSharedMem server;
    ASSERT_TRUE(server.Create(8, 0, 0600));
    EXPECT_FALSE(server.AttachedBy(getpid())) << "we alone are on it";

    int toChild[2], fromChild[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(fromChild), 0);
    const pid_t pid = fork();
    ASSERT_NE(pid, -1);
    if (pid == 0) {
        server.Close();
        CIpcSharedMem client(server.HandleGet(), 0, 0);
        char c = client.PtrGet() ? 'a' : 'x';
        (void)!write(fromChild[1], &c, 1);
        (void)!read(toChild[0], &c, 1);  // stay attached until told
        client.Close();
        (void)!write(fromChild[1], &c, 1);
        (void)!read(toChild[0], &c, 1);
        _exit(0);
    }
    char c = 0;
    ASSERT_EQ(read(fromChild[0], &c, 1), 1);
    ASSERT_EQ(c, 'a');
    EXPECT_TRUE(server.AttachedBy(pid));
    EXPECT_FALSE(server.AttachedBy(pid + 1));
    ASSERT_EQ(write(toChild[1], &c, 1), 1);
    ASSERT_EQ(read(fromChild[0], &c, 1), 1);
    EXPECT_FALSE(server.AttachedBy(pid)) << "detached again";
    ASSERT_EQ(write(toChild[1], &c, 1), 1);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]})
        close(fd);
}

}  // namespace
