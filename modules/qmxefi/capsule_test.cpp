// Capsule headers, and handing a capsule to a fake loader that records it,
// fills up, goes away or fails on close.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include <gtest/gtest.h>

#include "capsule_header.h"
#include "capsule_loader.h"
#include "test_tree.h"

namespace qmxefi_test {
namespace {

using qmxefi::CapsuleHeader;
using qmxefi::RootPath;

struct HeaderCase {
    const char* what;
    std::string bytes;
    uint64_t file_size;
    const char* problem;  // a part of the answer; "" for a consistent header
};

class CapsuleHeaders : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(CapsuleHeaders, AreJudgedAgainstTheFileSize) {
    const HeaderCase& c = GetParam();
    CapsuleHeader h;
    const std::string problem = qmxefi::CheckCapsule(reinterpret_cast<const uint8_t*>(c.bytes.data()),
                                                     c.bytes.size(), c.file_size, h);
    if (*c.problem == '\0') {
        EXPECT_EQ(problem, "") << c.what;
    } else {
        EXPECT_NE(problem.find(c.problem), std::string::npos) << c.what << ": " << problem;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CapsuleHeaders,
    ::testing::Values(HeaderCase{"consistent", Capsule(100), 100, ""},
                      HeaderCase{"no flags at all", Capsule(100, 0), 100, ""},
                      HeaderCase{"flags of the capsule's own GUID", Capsule(100, 0x0001FFFF), 100, ""},
                      HeaderCase{"shorter than a header", Capsule(20), 20, "shorter"},
                      HeaderCase{"header size below 28", Capsule(100, 0x10000, 16), 100, "less than the header"},
                      HeaderCase{"header size past the end", Capsule(100, 0x10000, 200, 100), 100, "more than the whole"},
                      HeaderCase{"image size is not the member size", Capsule(100, 0x10000, 28, 120), 100, "says it holds 120"},
                      HeaderCase{"member larger than the image", Capsule(100), 150, "has 150"},
                      HeaderCase{"undefined flag", Capsule(100, 0x00090000), 100, "undefined flags"},
                      HeaderCase{"reset without persist", Capsule(100, 0x00040000), 100, "persist"},
                      HeaderCase{"populate without persist", Capsule(100, 0x00020000), 100, "persist"}));

TEST(CapsuleFile, ReadsTheHeaderAndTheGuid) {
    Scratch dir;
    const std::string path = dir.path + "/bios.cap";
    std::ofstream(path, std::ios::binary) << Capsule(4096);
    CapsuleHeader h;
    EXPECT_EQ(qmxefi::CheckCapsuleFile(path, h), "");
    EXPECT_EQ(h.guid, "6dcbd5ed-e82d-4c44-bda1-7194199ad92a");
    EXPECT_EQ(h.image_size, 4096u);
    EXPECT_EQ(h.flags, 0x00050000u);
    EXPECT_NE(qmxefi::CheckCapsuleFile(dir.path + "/missing.cap", h).find("cannot be read"), std::string::npos);
}

int g_reader = -1;
int OpenThenLoseTheReader(const char* path, int flags) {
    const int fd = ::open(path, flags);
    ::close(g_reader);
    return fd;
}

class HandOver : public ::testing::Test {
protected:
    void SetUp() override {
        capsule_ = dir_.path + "/bios.cap";
        bytes_ = Capsule(200000);
        std::ofstream(capsule_, std::ios::binary) << bytes_;
    }
    FakeTree tree_;
    Scratch dir_;
    std::string capsule_, bytes_;
};

TEST_F(HandOver, TheWholeCapsuleReachesAFifoLoader) {
    FifoLoader loader(tree_);
    const auto r = qmxefi::HandOverCapsule(RootPath(tree_.root()), capsule_);
    EXPECT_EQ(r.err, 0) << r.step;
    EXPECT_EQ(loader.Received(), bytes_);
}

TEST_F(HandOver, AMissingLoaderFailsToOpen) {
    EXPECT_FALSE(qmxefi::LoaderPresent(RootPath(tree_.root())));
    const auto r = qmxefi::HandOverCapsule(RootPath(tree_.root()), capsule_);
    EXPECT_EQ(r.err, ENOENT);
    EXPECT_EQ(r.step, "open");
}

TEST_F(HandOver, ALoaderThatStopsTakingDataFailsTheWriteInsteadOfHanging) {
    FifoLoader full(tree_, /*read=*/false);
    const auto r = qmxefi::HandOverCapsule(RootPath(tree_.root()), capsule_, /*wait_ms=*/50);
    EXPECT_EQ(r.err, EAGAIN);
    EXPECT_EQ(r.step, "write");
}

TEST_F(HandOver, ALoaderThatGoesAwayFailsTheWriteWithoutKillingTheProcess) {
    // The reader is gone after the open: EPIPE, and SIGPIPE must not end the tests.
    FifoLoader loader(tree_, false);
    g_reader = ::open(tree_.Path("dev/efi_capsule_loader").c_str(), O_RDONLY | O_NONBLOCK);
    loader.CloseReader();
    const qmxefi::LoaderOps ops{OpenThenLoseTheReader, ::write, ::close};
    const auto r = qmxefi::HandOverCapsule(RootPath(tree_.root()), capsule_, 1000, ops);
    EXPECT_EQ(r.err, EPIPE);
    EXPECT_EQ(r.step, "write");
}

TEST_F(HandOver, AnErrorOnCloseIsAFailure) {
    tree_.LoaderFile();
    struct Ops {
        static int Close(int fd) {
            ::close(fd);
            errno = EINVAL;  // how the loader refuses an incomplete or unsupported capsule
            return -1;
        }
    };
    const qmxefi::LoaderOps ops{qmxefi::SystemLoaderOps().open, ::write, Ops::Close};
    const auto r = qmxefi::HandOverCapsule(RootPath(tree_.root()), capsule_, 1000, ops);
    EXPECT_EQ(r.err, EINVAL);
    EXPECT_EQ(r.step, "close");
    EXPECT_EQ(tree_.Read("dev/efi_capsule_loader"), bytes_);
}

TEST_F(HandOver, AnErrorOnWriteStopsTheHandOver) {
    tree_.LoaderFile();
    struct Ops {
        static ssize_t Write(int, const void*, size_t) {
            errno = ENOSPC;
            return -1;
        }
    };
    const qmxefi::LoaderOps ops{qmxefi::SystemLoaderOps().open, Ops::Write, ::close};
    const auto r = qmxefi::HandOverCapsule(RootPath(tree_.root()), capsule_, 1000, ops);
    EXPECT_EQ(r.err, ENOSPC);
    EXPECT_EQ(r.step, "write");
}

}  // namespace
}  // namespace qmxefi_test
