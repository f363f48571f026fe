#include "bupinfo/archive_build.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "bupinfo/bup_archive.h"
#include "test_helpers.h"

namespace {

std::vector<std::string> Members(const std::string& archive) {
    std::vector<CString> found;
    CBupArchive(archive.c_str()).FileFind("*", found, false);
    std::vector<std::string> names;
    for (const CString& cs : found)
        names.push_back(cs.str());
    std::sort(names.begin(), names.end());
    return names;
}

size_t Entries(const std::string& dir) {
    return static_cast<size_t>(
        std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()));
}

}  // namespace

TEST(ArchiveBuildReplace, NewArchiveWholeOrTheOldOneUntouched) {
    TempDir src, out;
    const std::string archive = out.file("config.nvux");
    const std::string stale = src.write("stale.bin", "from an older backup");
    CString csFailed;
    ASSERT_TRUE(ArchiveBuildReplace(archive.c_str(), {stale.c_str()}, csFailed));
    EXPECT_TRUE(csFailed.IsEmpty());

    // Replacing keeps no member of the old archive.
    const std::vector<CString> files = {src.write("BupInfo2.xml", "<bupinfo2/>").c_str(),
                                        src.write("setup.bin", std::string(5000, 's')).c_str()};
    ASSERT_TRUE(ArchiveBuildReplace(archive.c_str(), files, csFailed));
    EXPECT_EQ(Members(archive), (std::vector<std::string>{"BupInfo2.xml", "setup.bin"}));

    // A file that does not go in leaves the archive as it was and nothing beside it.
    const std::string before = TempDir::read(archive);
    std::vector<CString> broken = files;
    broken.push_back(src.file("vanished.bin").c_str());
    src.write("vanished.bin", "x");
    std::filesystem::remove(src.file("vanished.bin"));
    EXPECT_FALSE(ArchiveBuildReplace(archive.c_str(), broken, csFailed));
    EXPECT_EQ(csFailed.str(), src.file("vanished.bin"));
    EXPECT_EQ(TempDir::read(archive), before);
    EXPECT_EQ(Entries(out.path()), 1u);
}
