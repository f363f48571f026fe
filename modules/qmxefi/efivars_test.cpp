// efivarfs access on a fake tree: reading, short files, one-write updates and
// the immutable flag.
#include <linux/fs.h>

#include <cerrno>
#include <vector>

#include <gtest/gtest.h>

#include "efivars.h"
#include "test_tree.h"

namespace qmxefi_test {
namespace {

using qmxefi::EfiVariable;
using qmxefi::RootPath;

TEST(EfiVariables, ReadsAttributesAndDataAndRefusesShortFiles) {
    FakeTree tree;
    tree.Uefi().Var("BootOrder", std::string("\x01\x00\x02\x00", 4), 7).VarBytes(std::string("Timeout-") + kGlobal, "ab");
    EfiVariable v;
    ASSERT_EQ(qmxefi::ReadVariable(RootPath(tree.root()), std::string("BootOrder-") + kGlobal, v), 0);
    EXPECT_EQ(v.name, "BootOrder");
    EXPECT_EQ(v.guid, kGlobal);
    EXPECT_EQ(v.attributes, 7u);
    EXPECT_EQ(v.data, std::string("\x01\x00\x02\x00", 4));
    EXPECT_EQ(qmxefi::ReadVariable(RootPath(tree.root()), std::string("Timeout-") + kGlobal, v), EBADMSG);
    EXPECT_EQ(qmxefi::ReadVariable(RootPath(tree.root()), std::string("BootNext-") + kGlobal, v), ENOENT);
    EXPECT_EQ(qmxefi::ReadVariable(RootPath(tree.root()), "BootNext-not-a-guid", v), EINVAL);
}

TEST(EfiVariables, FileNamesSplitOnlyAroundAWellFormedGuid) {
    std::string name, guid;
    EXPECT_TRUE(qmxefi::SplitFileName(std::string("Boot-Order-") + kGlobal, name, guid));
    EXPECT_EQ(name, "Boot-Order");
    EXPECT_FALSE(qmxefi::SplitFileName(kGlobal, name, guid));  // no name before it
    EXPECT_FALSE(qmxefi::SplitFileName("BootOrder-8be4df61x93ca-11d2-aa0d-00e098032b8c", name, guid));
    EXPECT_FALSE(qmxefi::SplitFileName("BootOrder-8be4df61-93ca-11d2-aa0d-00e098032b8z", name, guid));
}

TEST(EfiVariables, WriteReplacesTheWholeFileInOneWrite) {
    FakeTree tree;
    tree.Uefi().Var("Boot0001", std::string(40, 'x'));
    EfiVariable v{"Boot0001", kGlobal, 7, "short"};
    const auto r = qmxefi::WriteVariable(RootPath(tree.root()), v);
    EXPECT_EQ(r.err, 0);
    // No stale bytes of the longer old value behind the new one.
    EXPECT_EQ(tree.Read(tree.VarFile("Boot0001")), std::string("\x07\0\0\0short", 9));
    v.name = "Boot0002";  // a new variable is created
    EXPECT_EQ(qmxefi::WriteVariable(RootPath(tree.root()), v).err, 0);
    EXPECT_TRUE(tree.Exists(tree.VarFile("Boot0002")));
}

// The flag calls as a file system with inode flags answers them.
struct FlagLog {
    static inline int flags = 0;
    static inline int set_error = 0;
    static inline std::vector<int> sets;
    static int Get(int, int& out) {
        out = flags;
        return 0;
    }
    static int Set(int, int value) {
        if (set_error) return set_error;
        sets.push_back(value);
        flags = value;
        return 0;
    }
    static int NoFlags(int, int&) { return ENOTTY; }
};

TEST(EfiVariables, AnImmutableFlagIsClearedForTheWriteAndSetAgain) {
    FakeTree tree;
    tree.Uefi().Var("BootOrder", "aa");
    FlagLog::flags = FS_IMMUTABLE_FL | FS_NOATIME_FL;
    FlagLog::set_error = 0;
    FlagLog::sets.clear();
    const qmxefi::FlagOps ops{FlagLog::Get, FlagLog::Set};
    EXPECT_EQ(qmxefi::WriteVariable(RootPath(tree.root()), {"BootOrder", kGlobal, 7, "bb"}, ops).err, 0);
    EXPECT_EQ(FlagLog::sets, (std::vector<int>{FS_NOATIME_FL, FS_IMMUTABLE_FL | FS_NOATIME_FL}));
    EXPECT_EQ(tree.Read(tree.VarFile("BootOrder")), std::string("\x07\0\0\0bb", 6));
}

TEST(EfiVariables, AnImmutableFlagThatCannotBeClearedLeavesTheVariableAlone) {
    FakeTree tree;
    tree.Uefi().Var("BootOrder", "aa");
    FlagLog::flags = FS_IMMUTABLE_FL;
    FlagLog::set_error = EPERM;
    const qmxefi::FlagOps ops{FlagLog::Get, FlagLog::Set};
    const auto r = qmxefi::WriteVariable(RootPath(tree.root()), {"BootOrder", kGlobal, 7, "bb"}, ops);
    EXPECT_EQ(r.err, EPERM);
    EXPECT_STREQ(r.step, "clear the immutable flag");
    EXPECT_EQ(tree.Read(tree.VarFile("BootOrder")), std::string("\x07\0\0\0aa", 6));
}

TEST(EfiVariables, AFileSystemWithoutInodeFlagsIsWrittenAsIs) {
    FakeTree tree;
    tree.Uefi().Var("BootOrder", "aa");
    // As tmpfs answers FS_IOC_GETFLAGS; the real calls on the scratch tree as well.
    const qmxefi::FlagOps ops{FlagLog::NoFlags, FlagLog::Set};
    EXPECT_EQ(qmxefi::WriteVariable(RootPath(tree.root()), {"BootOrder", kGlobal, 7, "cc"}, ops).err, 0);
    EXPECT_EQ(qmxefi::WriteVariable(RootPath(tree.root()), {"BootOrder", kGlobal, 7, "dd"}).err, 0);
    EXPECT_EQ(tree.Read(tree.VarFile("BootOrder")), std::string("\x07\0\0\0dd", 6));
}

TEST(EfiVariables, AMissingEfivarsFolderFailsToOpen) {
    FakeTree tree;
    const auto r = qmxefi::WriteVariable(RootPath(tree.root()), {"BootOrder", kGlobal, 7, "x"});
    EXPECT_EQ(r.err, ENOENT);
    EXPECT_STREQ(r.step, "open");
}

}  // namespace
}  // namespace qmxefi_test
