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

}  // namespace
