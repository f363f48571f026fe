#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/msc.h"
#include "test_helpers.h"

namespace {

bool exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

TEST(MscFileExists, TypesThatCountAndDirectoryProbe) {
    TempDir tmp;
    const std::string file = tmp.write("f", "x");
    ASSERT_EQ(symlink("nowhere", tmp.file("dangling").c_str()), 0);
    ASSERT_EQ(mkfifo(tmp.file("fifo").c_str(), 0600), 0);
    for (const char* name : {"f", "dangling", "fifo"})
        EXPECT_TRUE(MscFileExists(tmp.file(name).c_str())) << name;
    EXPECT_FALSE(MscFileExists(tmp.path().c_str()));
    EXPECT_FALSE(MscFileExists(tmp.file("missing").c_str()));

    EXPECT_TRUE(MscDirectoryExists(tmp.path().c_str(), true));
    EXPECT_FALSE(MscDirectoryExists(file.c_str()));
    EXPECT_FALSE(MscDirectoryExists(tmp.file("missing").c_str(), true));
    // The writability probe is removed again.
    CStrArray left;
    MscFindFileList((tmp.path() + "/*").c_str(), left, false);
    EXPECT_EQ(left, CStrArray{"f"});
}

TEST(MscFileInfo, SizeAndStatusChangeTime) {
    TempDir tmp;
    const std::string file = tmp.write("f.bin", "12345");
    ASSERT_EQ(mkfifo(tmp.file("fifo").c_str(), 0600), 0);
    EXPECT_EQ(MscFileSize(file.c_str()), 5u);
    EXPECT_EQ(MscFileSize(tmp.file("fifo").c_str()), 0u);
    EXPECT_EQ(MscFileSize(tmp.file("missing").c_str()), 0u);

    struct stat st {};
    ASSERT_EQ(lstat(file.c_str(), &st), 0);
    uint32_t ulSize = 0;
    CTime time;
    ASSERT_EQ(MscFileInfoGet(file.c_str(), ulSize, time), 1);
    EXPECT_EQ(ulSize, 5u);
    EXPECT_EQ(time.GetTime(), st.st_ctime);
    EXPECT_EQ(MscFileInfoGet(tmp.file("missing").c_str(), ulSize, time), 0);
}

TEST(MscFileCopy, CopiesAcrossBlocksAndHonoursFailIfExists) {
    TempDir tmp;
    std::string content;
    for (int i = 0; i < 3000; ++i)
        content += static_cast<char>(i * 7);
    const std::string src = tmp.write("src.bin", content);
    const std::string dst = tmp.file("dst.bin");

    EXPECT_EQ(MscFileCopy(src.c_str(), dst.c_str(), true), 1);
    EXPECT_EQ(TempDir::read(dst), content);

    tmp.write("dst.bin", "old");
    EXPECT_EQ(MscFileCopy(src.c_str(), dst.c_str(), true), 0);
    EXPECT_EQ(TempDir::read(dst), "old");
    EXPECT_EQ(MscFileCopy(src.c_str(), dst.c_str(), false), 1);
    EXPECT_EQ(TempDir::read(dst), content);

    EXPECT_EQ(MscFileCopy(tmp.file("missing").c_str(), tmp.file("x").c_str(), false), 0);
    EXPECT_EQ(MscFileCopy(src.c_str(), tmp.file("nodir/x").c_str(), false), 0);
}

TEST(MscTreeRemove, RemovesTreeButNotWhatLinksPointTo) {
    TempDir tmp;
    const std::string outside = tmp.write("outside/keep.txt", "keep");
    tmp.write("tree/a.txt", "a");
    tmp.write("tree/sub/b.txt", "b");
    tmp.write("tree/sub/deeper/c.txt", "c");
    ASSERT_EQ(mkdir(tmp.file("tree/empty").c_str(), 0755), 0);
    ASSERT_EQ(symlink(tmp.file("outside").c_str(), tmp.file("tree/sub/dirlink").c_str()), 0);
    ASSERT_EQ(symlink(outside.c_str(), tmp.file("tree/filelink").c_str()), 0);

    EXPECT_EQ(MscTreeRemove(tmp.file("tree").c_str()), 1);
    EXPECT_FALSE(exists(tmp.file("tree")));
    EXPECT_EQ(TempDir::read(outside), "keep");
    EXPECT_EQ(MscTreeRemove(tmp.file("tree").c_str()), 0);
}

TEST(MscTreeRemove, FifoInsideFailsAndDirectoryStays) {
    TempDir tmp;
    tmp.write("tree/sub/x.txt", "x");
    ASSERT_EQ(mkfifo(tmp.file("tree/sub/pipe").c_str(), 0600), 0);
    EXPECT_EQ(MscTreeRemove(tmp.file("tree").c_str()), 0);
    EXPECT_TRUE(exists(tmp.file("tree/sub/pipe")));
    EXPECT_TRUE(exists(tmp.file("tree/sub")));
}

TEST(MscFileRemoveWild, RemovesMatchingEntriesOnly) {
    TempDir tmp;
    tmp.write("resp_1.sync", "");
    tmp.write("resp_22.SYNC", "");
    tmp.write("resp.sync", "");
    tmp.write("other_1.sync", "");

    EXPECT_EQ(MscFileRemoveWild((tmp.path() + "/resp_*.sync").c_str(), false), 1);
    EXPECT_FALSE(exists(tmp.file("resp_1.sync")));
    EXPECT_TRUE(exists(tmp.file("resp_22.SYNC")));
    EXPECT_EQ(MscFileRemoveWild((tmp.path() + "/resp_*.sync").c_str(), true), 1);
    EXPECT_FALSE(exists(tmp.file("resp_22.SYNC")));
    EXPECT_TRUE(exists(tmp.file("resp.sync")));
    EXPECT_TRUE(exists(tmp.file("other_1.sync")));

    EXPECT_EQ(MscFileRemoveWild((tmp.path() + "/none_*").c_str(), false), 1);
    EXPECT_EQ(MscFileRemoveWild((tmp.path() + "/nodir/*").c_str(), false), 0);
}

TEST(MscFileRemoveWild, StopsAtAnEntryThatCannotGo) {
    TempDir tmp;
    tmp.write("full_dir/x", "x");
    EXPECT_EQ(MscFileRemoveWild((tmp.path() + "/full_*").c_str(), false), 0);
    EXPECT_TRUE(exists(tmp.file("full_dir/x")));
}

}  // namespace
