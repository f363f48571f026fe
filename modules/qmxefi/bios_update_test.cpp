// BIOS updates through the loaded module, with the test standing in for the
// kernel: it places the files the module asks for and calls again.
#include <fstream>

#include <gtest/gtest.h>

#include "test_tree.h"

namespace qmxefi_test {
namespace {

using nlohmann::json;

const std::string kDescription =
    "<bupinfo2><packtype>BIOS</packtype><board>NUC8</board><biosversion>1.18.0</biosversion>"
    "<image>bios.cap</image></bupinfo2>";

class BiosUpdate : public ::testing::Test {
protected:
    void SetUp() override {
        tree_.Uefi()
            .Dmi("NUC8", "1.17.0")
            .Supply("AC", "Mains", true)
            .Supply("BAT0", "Battery", false)
            .Var("Boot0001", "disk")
            .Var("BootOrder", std::string("\x01\0", 2));
        capsule_ = Capsule(100000);
        ASSERT_EQ(InstallOn(tree_), 0u);
    }

    void Place(const std::string& name, const std::string& bytes) {
        std::ofstream(source_.path + "/" + name, std::ios::binary) << bytes;
    }

    // Runs the series as the kernel would; returns the status of the last call.
    uint32_t Run(json& r, const std::string& description = kDescription) {
        uint32_t status = r["iSeq"] == 0 ? Call(Module().do_bios_update, r) : 0;
        while (status == 0 && r["iSeq"] > 0 && r["iSeq"] < 10000) {
            if (r["sNextFile"] == "BupInfo2.xml") Place("BupInfo2.xml", description);
            if (r["sNextFile"] == "bios.cap") Place("bios.cap", capsule_);
            if (r["sNextFile"] != "") r["sSourcePath"] = source_.path;
            status = Call(Module().do_bios_update, r);
        }
        return status;
    }

    json LastAction() { return json::parse(tree_.Read("var/lib/quillmark/qmxefi-last-action.json")); }

    FakeTree tree_;
    Scratch source_;
    std::string capsule_;
};

TEST_F(BiosUpdate, HandsTheCapsuleOverSavesTheBootEntriesAndAsksForAColdBoot) {
    FifoLoader loader(tree_);
    json r = Record();
    ASSERT_EQ(Call(Module().do_bios_update, r), 0u);
    EXPECT_EQ(r["iSeq"], 1);
    EXPECT_EQ(r["sNextFile"], "BupInfo2.xml");
    EXPECT_EQ(r["NextFileLoc"], "UPD_NEXT_FILE_CUR_BUP");
    ASSERT_EQ(Run(r), 0u) << r["sStatusInfo"];
    EXPECT_EQ(r["iSeq"], QMX2_SEQ_DONE_COLD_BOOT_FIRST);
    EXPECT_EQ(r["ulProgress"], 10000);
    EXPECT_EQ(r["sNextFile"], "");
    EXPECT_EQ(loader.Received(), capsule_);

    const json pending = json::parse(tree_.Read("var/lib/quillmark/boot-pending.json"));
    EXPECT_EQ(pending["format"], "quillmark-boot-pending/1");
    EXPECT_EQ(pending["bios_version_before"], "1.17.0");
    EXPECT_EQ(pending["bios_version_expected"], "1.18.0");
    ASSERT_EQ(pending["variables"].size(), 2u);
    EXPECT_EQ(pending["variables"][0]["name"], "Boot0001");
    EXPECT_EQ(pending["variables"][0]["data"], "6469736b");
    EXPECT_EQ(pending["variables"][1]["name"], "BootOrder");

    EXPECT_EQ(LastAction()["expected_bios_version"], "1.18.0");
    json status = {{"sParameters", "/ACTIONSTATUS"}, {"ulCheckParametersOnly", 0}, {"fExtendedStatus", false}};
    ASSERT_EQ(Call(Module().get_generic_module_info, status), 0u);
    EXPECT_EQ(status["MapItems"]["StatusString"], "BIOS update: pending, applied at the next restart");
    tree_.Write("sys/class/dmi/id/bios_version", "1.18.0\n");  // after the restart
    ASSERT_EQ(Call(Module().get_generic_module_info, status), 0u);
    EXPECT_EQ(status["MapItems"]["StatusString"], "BIOS update: applied, BIOS now 1.18.0");
}

TEST_F(BiosUpdate, RefusesAtTheStartOnBatteryWithAReasonToShow) {
    tree_.Supply("AC", "Mains", false);
    tree_.LoaderFile();
    json r = Record();
    EXPECT_EQ(Call(Module().do_bios_update, r), Error(QMX2_OP_DO_BIOS_UPDATE, QMX2_REASON_INTERNAL, 1));
    EXPECT_EQ(r["iSeq"], 0);
    EXPECT_NE(r["sStatusInfo"].get<std::string>().find("battery"), std::string::npos);
}

TEST_F(BiosUpdate, RefusesAtTheStartWithoutACapsuleLoader) {
    json r = Record();
    EXPECT_EQ(Call(Module().do_bios_update, r), Error(QMX2_OP_DO_BIOS_UPDATE, QMX2_REASON_UNSUPPORTED_OS, 2));
    EXPECT_NE(r["sStatusInfo"].get<std::string>().find("efi_capsule_loader"), std::string::npos);
}

TEST_F(BiosUpdate, AnInconsistentCapsuleIsNeverHandedOver) {
    tree_.LoaderFile();
    capsule_ = Capsule(100000, 0x00050000, 28, 90000);
    json r = Record();
    EXPECT_EQ(Run(r), Error(QMX2_OP_DO_BIOS_UPDATE, QMX2_REASON_INVALID_FILE, 4));
    EXPECT_NE(r["sStatusInfo"].get<std::string>().find("says it holds 90000 bytes but has 100000"), std::string::npos)
        << r["sStatusInfo"];
    EXPECT_EQ(tree_.Read("dev/efi_capsule_loader"), "");
    EXPECT_FALSE(tree_.Exists("var/lib/quillmark/boot-pending.json"));
    EXPECT_NE(LastAction()["status"], 0);
}

TEST_F(BiosUpdate, ALoaderFailureCarriesTheErrnoAndTakesThePendingFileBack) {
    // A loader FIFO nobody reads refuses the module's non-blocking open (ENXIO).
    FifoLoader gone(tree_, /*read=*/false);
    gone.CloseReader();
    json r = Record();
    const uint32_t status = Run(r);
    EXPECT_EQ(status, Error(QMX2_OP_DO_BIOS_UPDATE, QMX2_REASON_INTERNAL, 3));
    EXPECT_NE(r["sStatusInfo"].get<std::string>().find("capsule loader failed on open"), std::string::npos)
        << r["sStatusInfo"];
    EXPECT_NE(r["sStatusInfo"].get<std::string>().find("(errno 6)"), std::string::npos) << r["sStatusInfo"];
    EXPECT_FALSE(tree_.Exists("var/lib/quillmark/boot-pending.json"));
}

TEST_F(BiosUpdate, RefusesPackagesForOtherBoardsAndAreasItCannotWrite) {
    tree_.LoaderFile();
    json r = Record();
    const std::string other =
        "<bupinfo2><packtype>BIOS</packtype><board>NUC9</board><biosversion>1.18.0</biosversion>"
        "<image>bios.cap</image></bupinfo2>";
    EXPECT_EQ(Run(r, other), Error(QMX2_OP_DO_BIOS_UPDATE, QMX2_REASON_INVALID_FILE));
    EXPECT_EQ(r["sStatusInfo"], "package is not for board NUC8");
    json setup = Record({{"SetupSettingsArea", true}});
    EXPECT_EQ(Call(Module().do_bios_update, setup), Error(QMX2_OP_DO_BIOS_UPDATE, QMX2_REASON_NOT_IMPLEMENTED, 6));
    json late = Record({{"iSeq", 2}});  // a later step without the files
    EXPECT_EQ(Call(Module().do_bios_update, late), Error(QMX2_OP_DO_BIOS_UPDATE, QMX2_REASON_INVALID_PARAMETERS));
    EXPECT_EQ(tree_.Read("dev/efi_capsule_loader"), "");
}

}  // namespace
}  // namespace qmxefi_test
