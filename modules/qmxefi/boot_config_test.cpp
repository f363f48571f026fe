// The boot configuration as a set: which variables, their order, the checks
// before a restore, and the pending file that carries them across an update.
#include <cerrno>

#include <gtest/gtest.h>

#include "boot_config.h"
#include "pending_file.h"
#include "test_tree.h"

namespace qmxefi_test {
namespace {

using qmxefi::EfiVariable;
using qmxefi::RootPath;

constexpr const char kOtherGuid[] = "12345678-1234-1234-1234-123456789abc";

std::vector<std::string> Names(const std::vector<EfiVariable>& vars) {
    std::vector<std::string> out;
    for (const EfiVariable& v : vars) out.push_back(v.name);
    return out;
}

TEST(BootConfig, CaptureTakesTheBootVariablesOfTheGlobalGuidOnly) {
    FakeTree tree;
    tree.Uefi()
        .Var("BootOrder", std::string("\x02\0\x01\0", 4))
        .Var("BootNext", std::string("\x02\0", 2))
        .Var("Timeout", std::string("\x05\0", 2))
        .Var("Boot0002", "entry two")
        .Var("Boot0001", "entry one")
        .Var("Boot000a", "lower-case hex is no boot entry")
        .Var("BootCurrent", "x")
        .Var("Boot0003", "other vendor", 7, kOtherGuid)
        .Var("SecureBoot", "\x01");
    std::vector<EfiVariable> vars;
    ASSERT_EQ(qmxefi::CaptureBootConfig(RootPath(tree.root()), vars).err, 0);
    // Entries first, then what refers to them, the one-time choice last.
    EXPECT_EQ(Names(vars), (std::vector<std::string>{"Boot0001", "Boot0002", "Timeout", "BootOrder", "BootNext"}));
}

TEST(BootConfig, CaptureFailsOnAShortVariableAndOnNone) {
    FakeTree tree;
    tree.Uefi().Var("Boot0001", "ok").VarBytes(std::string("BootOrder-") + kGlobal, "\x07");
    std::vector<EfiVariable> vars;
    qmxefi::BootResult r = qmxefi::CaptureBootConfig(RootPath(tree.root()), vars);
    EXPECT_EQ(r.err, EBADMSG);
    EXPECT_NE(r.why.find("BootOrder is shorter"), std::string::npos) << r.why;

    FakeTree empty;
    empty.Uefi().Var("SecureBoot", "\x01");
    EXPECT_EQ(qmxefi::CaptureBootConfig(RootPath(empty.root()), vars).err, ENOENT);
    FakeTree legacy;  // no efivars at all
    EXPECT_EQ(qmxefi::CaptureBootConfig(RootPath(legacy.root()), vars).err, ENOENT);
}

TEST(BootConfig, CheckRefusesWhatCannotBeWrittenBack) {
    const auto check = [](EfiVariable v) { return qmxefi::CheckBootConfig({v}).why; };
    EXPECT_EQ(check({"BootOrder", kGlobal, 7, std::string(4, '\0')}), "");
    EXPECT_NE(check({"BootOrder", kGlobal, 7, std::string(3, '\0')}), "");
    EXPECT_NE(check({"BootNext", kGlobal, 7, std::string(4, '\0')}), "");
    EXPECT_NE(check({"Timeout", kGlobal, 7, ""}), "");
    EXPECT_NE(check({"BootOrder", kGlobal, 7, ""}), "");  // would delete the variable
    EXPECT_NE(check({"Boot0001", kOtherGuid, 7, "x"}), "");
    EXPECT_NE(check({"SecureBoot", kGlobal, 7, "x"}), "");
    EXPECT_NE(check({"Boot0001", kGlobal, 0x27, "x"}), "");  // time-based authenticated write
    EXPECT_NE(check({"Boot0001", kGlobal, 0x47, "x"}), "");  // append write
    EXPECT_NE(check({"Boot0001", kGlobal, 0x1, "x"}), "");   // no boot-time access
    EXPECT_NE(qmxefi::CheckBootConfig({{"Boot0001", kGlobal, 7, "a"}, {"Boot0001", kGlobal, 7, "b"}}).why, "");
}

TEST(BootConfig, RestoreWritesTheSetAndLeavesOtherVariablesAlone) {
    FakeTree tree;
    tree.Uefi().Var("Boot0001", "old one").Var("Boot0009", "not in the set").Var("BootOrder", std::string("\x09\0", 2));
    size_t written = 0;
    const std::vector<EfiVariable> set = {{"BootOrder", kGlobal, 7, std::string("\x01\0", 2)},
                                          {"Boot0001", kGlobal, 7, "new one"}};
    ASSERT_EQ(qmxefi::RestoreBootConfig(RootPath(tree.root()), set, written).err, 0);
    EXPECT_EQ(written, 2u);
    EXPECT_EQ(tree.Read(tree.VarFile("Boot0001")), std::string("\x07\0\0\0new one", 11));
    EXPECT_EQ(tree.Read(tree.VarFile("BootOrder")), std::string("\x07\0\0\0\x01\0", 6));
    EXPECT_EQ(tree.Read(tree.VarFile("Boot0009")), std::string("\x07\0\0\0not in the set", 18));
}

TEST(BootConfig, RestoreWritesNothingWhenTheSetFailsItsCheck) {
    FakeTree tree;
    tree.Uefi().Var("Boot0001", "old");
    size_t written = 0;
    const std::vector<EfiVariable> set = {{"Boot0001", kGlobal, 7, "new"}, {"BootNext", kGlobal, 7, "odd"}};
    EXPECT_EQ(qmxefi::RestoreBootConfig(RootPath(tree.root()), set, written).err, EINVAL);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(tree.Read(tree.VarFile("Boot0001")), std::string("\x07\0\0\0old", 7));
}

TEST(PendingFile, RoundTripsEveryByteAndIsWrittenBelowTheRoot) {
    FakeTree tree;
    qmxefi::PendingBoot p;
    p.created = "2024-05-01T10:00:00Z";
    p.board = "NUC8";
    p.bios_version_before = "1.17.0";
    p.bios_version_expected = "1.18.0";
    p.variables = {{"Boot0001", kGlobal, 7, std::string("\0\xff\x10 ", 4)}, {"BootNext", kGlobal, 7, ""}};
    ASSERT_EQ(qmxefi::WritePending(RootPath(tree.root()), p), 0);
    const std::string text = tree.Read("var/lib/quillmark/boot-pending.json");
    EXPECT_NE(text.find("\"data\": \"00ff1020\""), std::string::npos) << text;
    qmxefi::PendingBoot back;
    ASSERT_TRUE(qmxefi::PendingFromJson(text, back));
    EXPECT_EQ(back.bios_version_expected, "1.18.0");
    ASSERT_EQ(back.variables.size(), 2u);
    EXPECT_EQ(back.variables[0].data, p.variables[0].data);
    EXPECT_EQ(back.variables[1].attributes, 7u);
}

TEST(PendingFile, RefusesOtherFormatsAndBadData) {
    qmxefi::PendingBoot p;
    std::string why;
    EXPECT_FALSE(qmxefi::PendingFromJson("[]", p, &why));
    EXPECT_FALSE(qmxefi::PendingFromJson(R"({"format":"other/1"})", p, &why));
    const std::string head = R"({"format":"quillmark-boot-pending/1","created":"","board":"","bios_version_before":"",)"
                             R"("bios_version_expected":"","variables":)";
    EXPECT_TRUE(qmxefi::PendingFromJson(head + "[]}", p, &why)) << why;
    EXPECT_FALSE(qmxefi::PendingFromJson(head + R"([{"name":"A","guid":"g","attributes":7,"data":"0g"}]})", p, &why));
    EXPECT_FALSE(qmxefi::PendingFromJson(head + R"([{"name":"A","guid":"g","attributes":-1,"data":""}]})", p, &why));
    EXPECT_FALSE(qmxefi::PendingFromJson(head + R"([{"name":"A","guid":"g","data":""}]})", p, &why));
}

}  // namespace
}  // namespace qmxefi_test
