#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "support/msc.h"
#include "test_helpers.h"

namespace {

bool exists(const std::string& path) { return std::filesystem::exists(path); }

TEST(MscFile, ExistsSizeAndInfo) {
    TempDir tmp;
    const std::string file = tmp.write("f", "12345");
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
    EXPECT_EQ(3, std::distance(std::filesystem::directory_iterator(tmp.path()), {}));

    EXPECT_EQ(MscFileSize(file.c_str()), 5u);
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

TEST(MscTreeRemove, FailsOnAFifoAndSparesWhatLinksPointTo) {
    TempDir tmp;
    const std::string outside = tmp.write("outside/keep.txt", "keep");
    tmp.write("tree/a.txt", "a");
    tmp.write("tree/sub/deeper/c.txt", "c");
    ASSERT_EQ(mkdir(tmp.file("tree/empty").c_str(), 0755), 0);
    ASSERT_EQ(symlink(tmp.file("outside").c_str(), tmp.file("tree/sub/dirlink").c_str()), 0);
    ASSERT_EQ(symlink(outside.c_str(), tmp.file("tree/filelink").c_str()), 0);
    ASSERT_EQ(mkfifo(tmp.file("tree/sub/pipe").c_str(), 0600), 0);

    // A FIFO is not ours to delete: the removal fails and leaves it in place.
    EXPECT_EQ(MscTreeRemove(tmp.file("tree").c_str()), 0);
    EXPECT_TRUE(exists(tmp.file("tree/sub/pipe")));
    ASSERT_EQ(unlink(tmp.file("tree/sub/pipe").c_str()), 0);
    EXPECT_EQ(MscTreeRemove(tmp.file("tree").c_str()), 1);
    EXPECT_FALSE(exists(tmp.file("tree")));
    EXPECT_EQ(TempDir::read(outside), "keep");
    EXPECT_EQ(MscTreeRemove(tmp.file("tree").c_str()), 0);

    // A link standing where the tree was is not entered: what it points to stays.
    ASSERT_EQ(symlink(tmp.file("outside").c_str(), tmp.file("tree").c_str()), 0);
    EXPECT_EQ(MscTreeRemove(tmp.file("tree").c_str()), 0);
    EXPECT_EQ(MscTreeRemove((tmp.file("tree") + "/").c_str()), 0);
    EXPECT_EQ(TempDir::read(outside), "keep");
}

TEST(MscFileReplace, WholeNewContentOrNothing) {
    TempDir tmp;
    const std::string file = tmp.write("profile.conf", "old");
    ASSERT_EQ(chmod(file.c_str(), 0600), 0);
    EXPECT_EQ(MscFileReplace(file.c_str(), "new content"), 1);
    EXPECT_EQ(TempDir::read(file), "new content");
    struct stat st {};
    ASSERT_EQ(stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u) << "the mode is kept";
    EXPECT_EQ(MscFileReplace(tmp.file("fresh.conf").c_str(), "x"), 1);
    EXPECT_EQ(TempDir::read(tmp.file("fresh.conf")), "x");

    // A link in the file's place is refused: neither it nor its target changes.
    const std::string target = tmp.write("target", "theirs");
    ASSERT_EQ(symlink(target.c_str(), tmp.file("link.conf").c_str()), 0);
    EXPECT_EQ(MscFileReplace(tmp.file("link.conf").c_str(), "redirected"), 0);
    EXPECT_EQ(TempDir::read(target), "theirs");
    struct stat lst {};
    ASSERT_EQ(lstat(tmp.file("link.conf").c_str(), &lst), 0);
    EXPECT_TRUE(S_ISLNK(lst.st_mode));
    EXPECT_EQ(MscFileReplace(tmp.file("missing/x.conf").c_str(), "x"), 0);
    // No scratch file is left beside them.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tmp.path()), std::filesystem::directory_iterator()), 4);
}

TEST(MscFileRemoveWild, RemovesMatchingEntriesOnly) {
    TempDir tmp;
    for (const char* name : {"resp_1.sync", "resp_22.SYNC", "resp.sync", "other_1.sync", "full_dir/x"})
        tmp.write(name, "");
    const std::string pattern = tmp.path() + "/resp_*.sync";
    EXPECT_EQ(MscFileRemoveWild(pattern.c_str(), false), 1);
    EXPECT_FALSE(exists(tmp.file("resp_1.sync")));
    EXPECT_TRUE(exists(tmp.file("resp_22.SYNC")));
    EXPECT_EQ(MscFileRemoveWild(pattern.c_str(), true), 1);
    EXPECT_FALSE(exists(tmp.file("resp_22.SYNC")));
    EXPECT_TRUE(exists(tmp.file("resp.sync")));
    EXPECT_TRUE(exists(tmp.file("other_1.sync")));

    EXPECT_EQ(MscFileRemoveWild((tmp.path() + "/none_*").c_str(), false), 1);
    EXPECT_EQ(MscFileRemoveWild((tmp.path() + "/nodir/*").c_str(), false), 0);
    // A full directory cannot go.
    EXPECT_EQ(MscFileRemoveWild((tmp.path() + "/full_*").c_str(), false), 0);
    EXPECT_TRUE(exists(tmp.file("full_dir/x")));
}

}  // namespace
