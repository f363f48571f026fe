#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "ipc/ipc_fifo.h"
#include "test_helpers.h"

namespace {

using std::chrono::milliseconds;

// Permission bits of the FIFO at path, -1 when there is none.
int FifoMode(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode) ? int(st.st_mode & 07777) : -1;
}

TEST(CIpcFifo, CreateReplacesWhatIsInTheWay) {
    TempDir tmp;
    const std::string path = tmp.file("fifo"), outside = tmp.write("outside", "keep");
    const std::function<void()> plants[] = {
        [&] { mkfifo(path.c_str(), 0600); },
        [&] { std::ofstream(path) << "stale"; },
        [&] { symlink(outside.c_str(), path.c_str()); },
    };
    for (const auto& plant : plants) {
        plant();
        {
            CIpcFifo fifo(path.c_str());
            ASSERT_EQ(fifo.Create(0664), 0);
            EXPECT_EQ(FifoMode(path), 0777);  // open to clients of other users
            CIpcFifo opener(fifo);
            EXPECT_EQ(opener.Destroy(), 0);
            EXPECT_NE(FifoMode(path), -1);  // only the creator removes the node
        }
        EXPECT_EQ(FifoMode(path), -1);
        EXPECT_EQ(TempDir::read(outside), "keep");
    }
    // What cannot be removed stays, and the node is reported as existing.
    tmp.write("dir/inside", "x");
    EXPECT_EQ(CIpcFifo(tmp.file("dir").c_str()).Create(0664), EEXIST);
    EXPECT_EQ(TempDir::read(tmp.file("dir/inside")), "x");
}

TEST(CIpcFifo, CreateSetsTheFinalModeWhateverTheUmask) {
    TempDir tmp;
    const mode_t old = umask(077);
    for (const mode_t final : {0777, 0600}) {
        CIpcFifo fifo(tmp.file("f" + std::to_string(final)).c_str());
        ASSERT_EQ(fifo.Create(0664, final), 0);
        struct stat st {};
        ASSERT_EQ(lstat(fifo.PathGet(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, final);
        EXPECT_EQ(st.st_uid, geteuid());
    }
    umask(old);
}

TEST(CIpcFifo, OpenNeverWritesThroughAPlantedNode) {
    TempDir tmp;
    const std::string target = tmp.write("target", "precious"), link = tmp.file("link");
    ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
    CIpcFifo viaLink(link.c_str()), onFile(target.c_str());
    EXPECT_EQ(viaLink.Open(O_NONBLOCK | O_WRONLY), ELOOP);
    EXPECT_EQ(onFile.Open(O_NONBLOCK | O_RDWR | O_TRUNC), EINVAL);
    EXPECT_EQ(viaLink.Write("x", 1) + onFile.Write("x", 1), 0u);
    EXPECT_EQ(TempDir::read(target), "precious");
}

TEST(CIpcFifo, ReadGathersPiecesUntilCountOrTimeout) {
    TempDir tmp;
    CIpcFifo reader(tmp.file("f").c_str());
    ASSERT_EQ(reader.Create(0664), 0);
    ASSERT_EQ(reader.Open(O_NONBLOCK), 0);
    char buf[8] = {};
    EXPECT_EQ(reader.Read(buf, 4, 0), 0u);  // time-out 0: one attempt

    // Without a writer a read sees end of file at once, with a silent one no data:
    // both must wait out the time-out.
    for (bool fWriter : {false, true}) {
        CIpcFifo writer(reader);
        if (fWriter) { ASSERT_EQ(writer.Open(O_NONBLOCK | O_WRONLY), 0); }
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(reader.Read(buf, 4, 2), 0u);
        EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(200)) << fWriter;
    }

    // Pieces with pauses, the writer leaving and coming back in between.
    std::thread writer([path = std::string(reader.PathGet())] {
        CIpcFifo w(path.c_str());
        std::this_thread::sleep_for(milliseconds(20));
        w.Open(O_NONBLOCK | O_WRONLY);
        w.Write("ab", 2);
        std::this_thread::sleep_for(milliseconds(30));
        w.Write("cd", 2);
        w.Close();
        std::this_thread::sleep_for(milliseconds(30));
        w.Open(O_NONBLOCK | O_WRONLY);
        w.Write("efXY", 4);
    });
    EXPECT_EQ(reader.Read(buf, 6, 50), 6u);
    writer.join();
    EXPECT_EQ(std::string(buf, 6), "abcdef");
    EXPECT_EQ(reader.Read(buf, 4, 1), 2u);  // what is there at the time-out
}

TEST(CIpcFifo, WriteWithoutReaderFailsAndTheProcessLives) {
    TempDir tmp;
    CIpcFifo reader(tmp.file("f").c_str());
    ASSERT_EQ(reader.Create(0664), 0);
    // Even a process that had SIGPIPE at its default must not be ended by a write.
    struct sigaction saDefault {}, saOld {};
    saDefault.sa_handler = SIG_DFL;
    ASSERT_EQ(sigaction(SIGPIPE, &saDefault, &saOld), 0);
    CIpcFifo writer(reader);
    EXPECT_EQ(writer.Open(O_NONBLOCK | O_WRONLY), ENXIO);  // no reader yet
    ASSERT_EQ(reader.Open(O_NONBLOCK), 0);
    ASSERT_EQ(writer.Open(O_NONBLOCK | O_WRONLY), 0);
    reader.Close();

    EXPECT_EQ(writer.Write("abcd", 4), 0u);
    sigset_t pending;
    sigpending(&pending);
    EXPECT_EQ(sigismember(&pending, SIGPIPE), 0);
    sigaction(SIGPIPE, &saOld, nullptr);
}

}  // namespace
