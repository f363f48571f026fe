#include "bupinfo/archive_cache.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>

#include "bupinfo/archive_limits.h"
#include "bupinfo/bup_archive.h"
#include "test_helpers.h"

namespace {

// A package of the description and an image, written whole under its name.
std::string Package(const TempDir& tmp, const std::string& name, const std::string& description) {
    const std::string path = tmp.file(name);
    const CBupArchive arc(path.c_str());
    EXPECT_TRUE(arc.FileAdd(tmp.write("src/BupInfo2.xml", description).c_str()));
    EXPECT_TRUE(arc.FileAdd(tmp.write("src/image.bin", std::string(4096, 'i')).c_str()));
    return path;
}

std::string Description(const CBupArchive& arc) {
    uint8_t buf[256];
    uint32_t size = sizeof buf;
    return arc.FileGet("BupInfo2.xml", buf, size) ? std::string(reinterpret_cast<char*>(buf), size) : "<none>";
}

std::shared_ptr<SArchiveListing> Cached(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? CArchiveCache::ForJob().Find(st) : nullptr;
}

class ArchiveCache : public testing::Test {
protected:
    void SetUp() override { CArchiveCache::ForJob().Clear(); }
    void TearDown() override {
        ArchiveLimitsSet(SArchiveLimits());
        CArchiveCache::ForJob().Clear();
    }
    TempDir m_tmp;
};

TEST_F(ArchiveCache, ADescriptionIsReadOnceWhileTheFileStaysTheSame) {
    const std::string path = Package(m_tmp, "a.bup", "<first/>");
    const CBupArchive arc(path.c_str());
    EXPECT_EQ(Description(arc), "<first/>");
    const std::shared_ptr<SArchiveListing> listing = Cached(path);
    ASSERT_NE(listing, nullptr);
    ASSERT_EQ(listing->descriptions.size(), 1u);

    // What is kept is what is served: a second read and the listing come from it.
    listing->descriptions.begin()->second = "<kept/>";
    EXPECT_EQ(Description(arc), "<kept/>");
    std::vector<CString> names;
    EXPECT_TRUE(arc.FileFind("*", names, false));
    EXPECT_EQ(names.size(), 2u);

    // Replaced under the same name: read afresh.
    const std::string other = Package(m_tmp, "b.bup", "<second/>");
    ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
    EXPECT_EQ(Description(arc), "<second/>");

    CArchiveCache::ForJob().Clear();
    EXPECT_EQ(Cached(path), nullptr) << "a new job starts with nothing";
}

// Only descriptions are kept; whatever else were found there is not served.
TEST_F(ArchiveCache, MemberDataNeverComesFromIt) {
    const std::string path = Package(m_tmp, "a.bup", "<first/>");
    const CBupArchive arc(path.c_str());
    std::vector<CString> names;
    ASSERT_TRUE(arc.FileFind("*", names, false));
    ASSERT_NE(Cached(path), nullptr);
    Cached(path)->descriptions[1] = "not the image";
    uint8_t buf[8192];
    uint32_t size = sizeof buf;
    ASSERT_TRUE(arc.FileGet("image.bin", buf, size));
    EXPECT_TRUE(std::string(reinterpret_cast<char*>(buf), size) == std::string(4096, 'i'));
}

TEST_F(ArchiveCache, ARefusalIsKeptWithTheListing) {
    SArchiveLimits limits;
    limits.ulMaxMembers = 1;
    ArchiveLimitsSet(limits);
    const std::string path = Package(m_tmp, "a.bup", "<x/>");
    const CBupArchive arc(path.c_str());
    std::vector<CString> names;
    EXPECT_FALSE(arc.FileFind("*", names, false));
    const std::string refusal = arc.RefusalGet();
    EXPECT_NE(refusal, "");
    EXPECT_EQ(Description(arc), "<none>");
    EXPECT_EQ(arc.RefusalGet(), refusal) << "the same verdict, from the cache";
    EXPECT_FALSE(arc.FileGet("image.bin", m_tmp.path().c_str())) << "no extraction of a refused package";
}

}  // namespace

// A token of the description is parsed once per file: later questions are answered
// from what was kept, and a file replaced under the name is parsed afresh.
TEST_F(ArchiveCache, DescriptionTokensAreParsedOncePerFile) {
    const std::string path =
        Package(m_tmp, "c.bup", "<bupinfo2><packtype>QUILLMARK_COMMON_ARCHIVE</packtype></bupinfo2>");
    const CBupArchive arc(path.c_str());
    CString csType;
    ASSERT_TRUE(arc.DescriptionTokenGet("bupinfo2\\packtype", csType));
    EXPECT_STREQ(csType.c_str(), "QUILLMARK_COMMON_ARCHIVE");
    EXPECT_FALSE(arc.DescriptionTokenGet("bupinfo2\\board", csType)) << "absent token";

    const std::shared_ptr<SArchiveListing> listing = Cached(path);
    ASSERT_NE(listing, nullptr);
    listing->tokens["bupinfo2\\packtype"] = std::string("KEPT");
    ASSERT_TRUE(arc.DescriptionTokenGet("bupinfo2\\packtype", csType));
    EXPECT_STREQ(csType.c_str(), "KEPT");

    const std::string other = Package(m_tmp, "d.bup", "<bupinfo2><packtype>OTHER</packtype></bupinfo2>");
    ASSERT_EQ(std::rename(other.c_str(), path.c_str()), 0);
    ASSERT_TRUE(arc.DescriptionTokenGet("bupinfo2\\packtype", csType));
    EXPECT_STREQ(csType.c_str(), "OTHER");

    EXPECT_FALSE(CBupArchive(m_tmp.file("none.bup").c_str()).DescriptionTokenGet("bupinfo2\\packtype", csType));
}
