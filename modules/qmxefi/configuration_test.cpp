// Configuration backup and restore of the boot order through the loaded
// module, and the make-package script.
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "test_tree.h"

namespace qmxefi_test {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

std::string Member(const std::string& name) { return name + "-" + kGlobal + ".efivar"; }

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class Configuration : public ::testing::Test {
protected:
    void SetUp() override {
        tree_.Uefi()
            .Dmi("NUC8", "1.17.0")
            .Var("Boot0001", "disk")
            .Var("Boot0002", "network")
            .Var("BootOrder", std::string("\x02\0\x01\0", 4))
            .Var("Timeout", std::string("\x05\0", 2))
            .Var("SecureBoot", "\x01");
        ASSERT_EQ(InstallOn(tree_), 0u);
    }

    uint32_t Backup(json& r) {
        uint32_t status = Call(Module().do_configuration_backup, r);
        r["sDestPath"] = dest_.path;
        while (status == 0 && r["iSeq"] > 0 && r["iSeq"] < 10000) status = Call(Module().do_configuration_backup, r);
        return status;
    }

    // The kernel's part between the calls: the members asked for, into the transfer folder.
    uint32_t Restore(json& r, const std::string& from) {
        uint32_t status = Call(Module().do_configuration_restore, r);
        if (status != 0) return status;
        EXPECT_EQ(r["sNextFile"], "*.efivar");
        for (const auto& e : fs::directory_iterator(from))
            if (e.path().extension() == ".efivar") fs::copy_file(e.path(), fs::path(transfer_.path) / e.path().filename());
        r["sSourcePath"] = transfer_.path;
        return Call(Module().do_configuration_restore, r);
    }

    FakeTree tree_;
    Scratch dest_, transfer_;
};

TEST_F(Configuration, BackupWritesEachBootVariableAndADescriptionTheModuleAccepts) {
    json r = Record({{"sDestPath", ""}, {"sDestName", "NUC8_000.nvux"}, {"DebugCodeArea", false}});
    ASSERT_EQ(Backup(r), 0u) << r["sStatusInfo"];
    EXPECT_EQ(r["iSeq"], QMX2_SEQ_DONE);
    EXPECT_EQ(Slurp(dest_.path + "/" + Member("Boot0002")), std::string("\x07\0\0\0network", 11));
    EXPECT_TRUE(fs::exists(dest_.path + "/" + Member("Timeout")));
    EXPECT_FALSE(fs::exists(dest_.path + "/" + Member("SecureBoot")));
    const std::string description = Slurp(dest_.path + "/BupInfo2.xml");
    std::string reply;
    ASSERT_EQ(Module().check_bup_info(reinterpret_cast<const uint8_t*>(description.data()),
                                      static_cast<uint32_t>(description.size()), reply),
              0u);
    const json verdict = json::parse(reply);
    EXPECT_EQ(verdict["Usability"], "USABILITY_EQUAL_VERSION");
    EXPECT_EQ(verdict["Consistency"], "CONSISTENCY_COMPLETE_VALID");
    EXPECT_EQ(verdict["fBootOrderVariablesArea"], true);
    // Boot variables do not depend on the BIOS they were saved under.
    tree_.Write("sys/class/dmi/id/bios_version", "1.18.0\n");
    ASSERT_EQ(Module().check_bup_info(reinterpret_cast<const uint8_t*>(description.data()),
                                      static_cast<uint32_t>(description.size()), reply),
              0u);
    EXPECT_EQ(json::parse(reply)["Consistency"], "CONSISTENCY_COMPLETE_VALID");
}

TEST_F(Configuration, RestorePutsBackTheSavedVariablesAndLeavesTheRestAlone) {
    json b = Record({{"sDestPath", ""}, {"sDestName", "x.nvux"}, {"DebugCodeArea", false}});
    ASSERT_EQ(Backup(b), 0u);
    // Since the backup: the order changed, an entry was added, the timeout removed.
    tree_.Var("BootOrder", std::string("\x03\0", 2)).Var("Boot0003", "usb");
    fs::remove(tree_.Path(tree_.VarFile("Timeout")));
    json r = Record();
    ASSERT_EQ(Restore(r, dest_.path), 0u) << r["sStatusInfo"];
    EXPECT_EQ(r["iSeq"], QMX2_SEQ_DONE);
    EXPECT_EQ(r["sStatusInfo"], "4 boot variables restored: Boot0001, Boot0002, Timeout, BootOrder");
    EXPECT_EQ(tree_.Read(tree_.VarFile("BootOrder")), std::string("\x07\0\0\0\x02\0\x01\0", 8));
    EXPECT_EQ(tree_.Read(tree_.VarFile("Timeout")), std::string("\x07\0\0\0\x05\0", 6));
    EXPECT_EQ(tree_.Read(tree_.VarFile("Boot0003")), std::string("\x07\0\0\0usb", 7));
    const json last = json::parse(tree_.Read("var/lib/quillmark/qmxefi-last-action.json"));
    EXPECT_EQ(last["action"], "Boot configuration restore");
    EXPECT_EQ(last["status"], 0);
}

TEST_F(Configuration, RestoreChangesNothingWhenAMemberIsBad) {
    Scratch archive;
    std::ofstream(archive.path + "/" + Member("BootOrder"), std::ios::binary) << std::string("\x07\0\0\0\x09\0", 6);
    std::ofstream(archive.path + "/" + Member("Boot0009"), std::ios::binary) << "\x07";  // shorter than the attributes
    json r = Record();
    EXPECT_EQ(Restore(r, archive.path), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_FILE));
    EXPECT_NE(r["sStatusInfo"].get<std::string>().find("shorter than its attributes"), std::string::npos);
    EXPECT_EQ(tree_.Read(tree_.VarFile("BootOrder")), std::string("\x07\0\0\0\x02\0\x01\0", 8));
}

TEST_F(Configuration, RestoreRefusesAreasItCannotServeAndArchivesWithoutVariables) {
    json setup = Record({{"SetupSettingsArea", true}});
    EXPECT_EQ(Call(Module().do_configuration_restore, setup), Error(QMX2_OP_GENERIC, QMX2_REASON_NOT_IMPLEMENTED, 6));
    EXPECT_EQ(setup["iSeq"], 0);
    Scratch empty;
    json r = Record();
    EXPECT_EQ(Restore(r, empty.path), Error(QMX2_OP_GENERIC, QMX2_REASON_FILE_NOT_FOUND));
    json debug = Record({{"DebugCodeArea", true}});
    EXPECT_EQ(Call(Module().do_configuration_backup, debug), Error(QMX2_OP_GENERIC, QMX2_REASON_NOT_IMPLEMENTED, 6));
}

TEST_F(Configuration, BackupFailsOnAShortEfivarFile) {
    tree_.VarBytes(std::string("Boot0004-") + kGlobal, "ab");
    json r = Record({{"sDestPath", ""}, {"sDestName", "x.nvux"}, {"DebugCodeArea", false}});
    EXPECT_EQ(Backup(r), Error(QMX2_OP_GENERIC, QMX2_REASON_INTERNAL, 5));
    EXPECT_NE(r["sStatusInfo"].get<std::string>().find("Boot0004 is shorter"), std::string::npos);
}

// make-package: a .bup from a capsule file, refused for an inconsistent one.
int Shell(const std::string& command) {
    const int rc = std::system(command.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

TEST(MakePackage, PacksAConsistentCapsuleAndRefusesAnInconsistentOne) {
    if (std::string(QMXEFI_PYTHON3).empty()) GTEST_SKIP() << "python3 not found";
    Scratch dir;
    std::ofstream(dir.path + "/vendor.cap", std::ios::binary) << Capsule(5000);
    std::ofstream(dir.path + "/broken.cap", std::ios::binary) << Capsule(5000, 0x10000, 28, 4000);
    const std::string tool = std::string(QMXEFI_PYTHON3) + " " + QMXEFI_MAKE_PACKAGE;
    ASSERT_EQ(Shell(tool + " " + dir.path + "/nuc.bup --capsule " + dir.path +
                    "/vendor.cap --board NUC8 --board 'Quill Desk 8' --bios 1.18.0 --date 05-01-2024"),
              0);
    ASSERT_EQ(Shell(std::string(QMXEFI_PYTHON3) + " -m zipfile -e " + dir.path + "/nuc.bup " + dir.path + "/out"), 0);
    EXPECT_EQ(Slurp(dir.path + "/out/bios.cap"), Capsule(5000));
    EXPECT_EQ(Slurp(dir.path + "/out/BupInfo2.xml"),
              "<bupinfo2>\n   <packtype>BIOS</packtype>\n   <builddate>05-01-2024</builddate>\n"
              "   <board>NUC8</board>\n   <board>Quill Desk 8</board>\n   <biosversion>1.18.0</biosversion>\n"
              "   <area>bios</area>\n   <image>bios.cap</image>\n</bupinfo2>\n");
    EXPECT_EQ(Shell(tool + " " + dir.path + "/bad.bup --capsule " + dir.path + "/broken.cap --board NUC8 --bios 1.18.0 2>/dev/null"), 1);
    EXPECT_FALSE(fs::exists(dir.path + "/bad.bup"));
    EXPECT_EQ(Shell(tool + " " + dir.path + "/x.bup --capsule " + dir.path + "/vendor.cap --bios 1.0 2>/dev/null"), 2);
}

}  // namespace
}  // namespace qmxefi_test
