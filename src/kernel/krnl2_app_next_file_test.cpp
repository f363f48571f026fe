#include <gtest/gtest.h>
#include <utime.h>

#include "kernel/krnl2_app.h"
#include "support/pipe_child.h"
#include "test_helpers.h"

namespace {

using L = CNextFileLocation;

class NextFile : public testing::Test {
protected:
    void SetUp() override {
        app.WrkDirSet(work.path().c_str());
        app.CurArc().m_csName = "cur.bup";
        app.CurArc().m_ArcType = CArcType::eArcTypeArchive;
    }
    // A zip in the working directory holding the given name=content members,
    // all dated 2001, so any file written by a test is newer.
    void Zip(const std::string& name, const std::vector<std::pair<std::string, std::string>>& members) {
        TempDir src;
        std::vector<std::string> argv = {"zip", "-q", "-j", work.file(name)};
        for (const auto& m : members) {
            argv.push_back(src.write(m.first, m.second));
            const struct utimbuf old = {1000000000, 1000000000};
            utime(argv.back().c_str(), &old);
        }
        CPipeChild zip(argv);
        while (zip.LineGet()) {
        }
        ASSERT_EQ(zip.Unload(), 0);
    }
    std::string Got(const std::string& name) { return TempDir::read(dest.file(name)); }

    TempDir work, dest;
    CKrnl2App app;
};

}  // namespace

TEST_F(NextFile, CurrentPackageThenDirectoryThenNewest) {
    Zip("cur.bup", {{"part1.bin", "package 1"}, {"part2.bin", "package 2"}});
    work.write("part1.bin", "directory 1");
    EXPECT_TRUE(app.NextFileAbsorb("part*.bin", L::UPD_NEXT_FILE_CUR_BUP | L::UPD_NEXT_FILE_CUR_DIR, dest.path().c_str()));
    EXPECT_EQ(Got("part1.bin"), "package 1") << "the package comes first";
    EXPECT_EQ(Got("part2.bin"), "package 2") << "both members of the pattern";

    TempDir dest2;
    EXPECT_TRUE(app.NextFileAbsorb("part1.bin", L::UPD_NEXT_FILE_CUR_BUP | L::UPD_NEXT_FILE_CUR_DIR | L::UPD_NEXT_FILE_NEWEST,
                                   dest2.path().c_str()));
    EXPECT_EQ(TempDir::read(dest2.file("part1.bin")), "directory 1") << "the newer copy wins";
}

TEST_F(NextFile, NotAnArchiveCommonPackagesAndNothingToSearch) {
    app.CurArc().m_ArcType = CArcType::eArcTypeNone;
    work.write("alone.bin", "from the directory");
    EXPECT_TRUE(app.NextFileAbsorb("alone.bin", L::UPD_NEXT_FILE_CUR_BUP, dest.path().c_str()))
        << "the directory stands in for a current file that is no archive";
    EXPECT_EQ(Got("alone.bin"), "from the directory");

    Zip("common.bup", {{"BupInfo2.xml", "<bupinfo2><packtype>QUILLMARK_COMMON_ARCHIVE</packtype></bupinfo2>"},
                       {"shared.bin", "common"}});
    Zip("other.bup", {{"BupInfo2.xml", "<bupinfo2><packtype>BIOS</packtype></bupinfo2>"}, {"only.bin", "other"}});
    EXPECT_TRUE(app.NextFileAbsorb("shared.bin", L::UPD_NEXT_FILE_COMMON_BUP, dest.path().c_str()));
    EXPECT_EQ(Got("shared.bin"), "common");
    EXPECT_FALSE(app.NextFileAbsorb("only.bin", L::UPD_NEXT_FILE_COMMON_BUP, dest.path().c_str()))
        << "a package of another type is never searched";
    EXPECT_FALSE(app.NextFileAbsorb("alone.bin", L::UPD_NEXT_FILE_PREPARE_LOCALLY, dest.path().c_str()));
    EXPECT_FALSE(app.NextFileAbsorb("missing.bin", L::UPD_NEXT_FILE_CUR_DIR, dest.path().c_str()));
}
