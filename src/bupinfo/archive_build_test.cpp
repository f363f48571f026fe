#include "bupinfo/archive_build.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_helpers.h"

TEST(ArchiveBuildReplace, NewArchiveWholeOrTheOldOneUntouched) {
    TempDir src, out;
    const std::string archive = out.file("config.nvux");
    src.write("stale.bin", "from an older backup");
    CString csFailed;
    ASSERT_TRUE(ArchiveBuildReplace(archive.c_str(), src.path().c_str(), "*", csFailed));
    EXPECT_TRUE(csFailed.IsEmpty());

    // Replacing keeps no member of the old archive; the pattern picks the files.
    TempDir next;
    next.write("BupInfo2.xml", "<bupinfo2/>");
    next.write("setup.bin", std::string(5000, 's'));
    next.write("scratch", "not packed");
    ASSERT_TRUE(ArchiveBuildReplace(archive.c_str(), next.path().c_str(), "*.*", csFailed));
    EXPECT_EQ(ArchiveMembers(archive), (std::vector<std::string>{"BupInfo2.xml", "setup.bin"}));

    // An archive that cannot be made leaves the old one as it was and nothing beside it.
    const std::string before = TempDir::read(archive);
    EXPECT_FALSE(ArchiveBuildReplace(archive.c_str(), next.file("missing").c_str(), "*", csFailed));
    EXPECT_EQ(csFailed.str(), archive);
    EXPECT_EQ(TempDir::read(archive), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.path()), std::filesystem::directory_iterator()),
              1);
}
