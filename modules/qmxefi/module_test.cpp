// The module as the kernel loads it: install, module information, message
// texts, verdicts on packages, action status and the combined package.
#include <gtest/gtest.h>

#include "test_tree.h"

namespace qmxefi_test {
namespace {

using nlohmann::json;

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        tree_.Uefi().Dmi("NUC8", "1.17.0", "Quill Desk 8").Me("0:16.1.25.1885\n");
        ASSERT_EQ(InstallOn(tree_), 0u);
    }
    json Verdict(const std::string& doc, uint32_t* status = nullptr) {
        std::string reply;
        const uint32_t s =
            Module().check_bup_info(reinterpret_cast<const uint8_t*>(doc.data()), static_cast<uint32_t>(doc.size()), reply);
        if (status) *status = s;
        return json::parse(reply);
    }
    FakeTree tree_;
};

TEST_F(ModuleTest, InstallRefusesWithoutUefiSoTheSearchGoesOn) {
    FakeTree legacy;
    legacy.Dmi("NUC8", "1.17.0");
    EXPECT_EQ(InstallOn(legacy), Error(QMX2_OP_INSTALL, QMX2_REASON_BOARD_NOT_SUPPORTED));
    std::string reply;
    EXPECT_EQ(Module().get_module_info(reply), Error(QMX2_OP_GET_MODULE_INFO, QMX2_REASON_MODULE_NOT_INSTALLED));
    std::string not_json = "[";
    ::setenv("QMXEFI_ROOT", tree_.root().c_str(), 1);
    EXPECT_EQ(Module().install(not_json), Error(QMX2_OP_INSTALL, QMX2_REASON_INVALID_PARAMETERS));
}

TEST_F(ModuleTest, ModuleInformationComesFromDmiAndIsReadAfresh) {
    std::string reply;
    ASSERT_EQ(Module().get_module_info(reply), 0u);
    json info = json::parse(reply);
    EXPECT_EQ(info["sBiosInfo"], "1.17.0");
    EXPECT_EQ(info["sSystemInfo"], "NUC8");
    EXPECT_EQ(info["sMeFirmwareVersion"], "16.1.25.1885");
    EXPECT_EQ(info["sBuildDate"], "01/15/2024");
    EXPECT_EQ(info["fBiosUpdate"], true);
    EXPECT_EQ(info["fConfigurationRestore"], true);
    EXPECT_EQ(info["fUpdateLogo"], false);
    // After a restart into the new firmware.
    tree_.Write("sys/class/dmi/id/bios_version", "1.18.0\n");
    ASSERT_EQ(Module().get_module_info(reply), 0u);
    EXPECT_EQ(json::parse(reply)["sBiosInfo"], "1.18.0");
}

TEST_F(ModuleTest, FirmwareTextsThatAreNoUtf8StillGiveAnAnswer) {
    tree_.Write("sys/class/dmi/id/board_name", "NUC\xff" "8\n");
    std::string reply;
    ASSERT_EQ(Module().get_module_info(reply), 0u);
    EXPECT_EQ(json::parse(reply)["sSystemInfo"], "NUC\xef\xbf\xbd" "8");
}

TEST_F(ModuleTest, MessageTextsNameTheModuleDetail) {
    const uint32_t battery = Error(QMX2_OP_DO_BIOS_UPDATE, QMX2_REASON_INTERNAL, 1);
    const uint32_t length = Module().get_message_text(battery, nullptr);
    std::string text(length + 1, '#');
    EXPECT_EQ(Module().get_message_text(battery, text.data()), length);
    EXPECT_EQ(text.back(), '\0');
    EXPECT_NE(text.find("DoBiosUpdate, internal: the machine runs on battery"), std::string::npos) << text;
    char buf[64];
    Module().get_message_text(0, buf);
    EXPECT_STREQ(buf, "Success");
}

std::string Bios(const std::string& version, const std::string& more = "<image>bios.cap</image>",
                 const std::string& board = "NUC8") {
    return "<bupinfo2><packtype>BIOS</packtype><board>" + board + "</board><biosversion>" + version +
           "</biosversion>" + more + "</bupinfo2>";
}

struct VerdictCase {
    const char* what;
    std::string doc;
    const char* usability;
    const char* consistency;
};

class Verdicts : public ModuleTest, public ::testing::WithParamInterface<VerdictCase> {};

TEST_P(Verdicts, JudgeThePackageForThisMachine) {
    const VerdictCase& c = GetParam();
    uint32_t status = 1;
    const json v = Verdict(c.doc, &status);
    EXPECT_EQ(status, 0u) << c.what;
    EXPECT_EQ(v["Usability"], c.usability) << c.what;
    EXPECT_EQ(v["Consistency"], c.consistency) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Verdicts,
    ::testing::Values(
        VerdictCase{"newer", Bios("1.18.0"), "USABILITY_NEWER_VERSION", "CONSISTENCY_COMPLETE_VALID"},
        VerdictCase{"newer major", Bios("2.0.0"), "USABILITY_MAJOR_VERSION", "CONSISTENCY_COMPLETE_VALID"},
        VerdictCase{"equal", Bios("1.17.0"), "USABILITY_EQUAL_VERSION", "CONSISTENCY_COMPLETE_VALID"},
        VerdictCase{"older", Bios("1.9.0"), "USABILITY_OLDER_VERSION", "CONSISTENCY_COMPLETE_VALID"},
        VerdictCase{"by product name", Bios("1.18.0", "<image>b.cap</image>", "Quill Desk 8"),
                    "USABILITY_NEWER_VERSION", "CONSISTENCY_COMPLETE_VALID"},
        VerdictCase{"another board", Bios("1.18.0", "<image>b.cap</image>", "NUC9"),
                    "USABILITY_INCOMPATIBLE_VERSION", "CONSISTENCY_UNKNOWN_OR_INVALID"},
        VerdictCase{"a version of another form", Bios("F18"), "USABILITY_INCOMPATIBLE_VERSION",
                    "CONSISTENCY_UNKNOWN_OR_INVALID"},
        VerdictCase{"skip the comparison", Bios("F18", "<image>b.cap</image><Parameter><SkipBiosCompare>true</SkipBiosCompare></Parameter>"),
                    "USABILITY_NEWER_VERSION", "CONSISTENCY_COMPLETE_VALID"},
        VerdictCase{"no capsule member", Bios("1.18.0", ""), "USABILITY_NEWER_VERSION",
                    "CONSISTENCY_INCOMPLETE_INVALID"},
        VerdictCase{"declared incomplete", Bios("1.18.0", "<image>b.cap</image><consistency>incomplete</consistency>"),
                    "USABILITY_NEWER_VERSION", "CONSISTENCY_INCOMPLETE_VALID"},
        VerdictCase{"damaged", Bios("1.18.0", "<image>b.cap</image><image>c.cap</image>"),
                    "USABILITY_INCOMPATIBLE_VERSION", "CONSISTENCY_DEMAGED"},
        VerdictCase{"only setup settings",
                    "<bupinfo2><packtype>CONFIG</packtype><board>NUC8</board><biosversion>1.17.0</biosversion>"
                    "<area>setup</area></bupinfo2>",
                    "USABILITY_INCOMPATIBLE_VERSION", "CONSISTENCY_UNKNOWN_OR_INVALID"},
        VerdictCase{"boot order of another BIOS version",
                    "<bupinfo2><packtype>CONFIG</packtype><board>NUC8</board><biosversion>1.16.0</biosversion>"
                    "<area>bootorder</area></bupinfo2>",
                    "USABILITY_INCOMPATIBLE_VERSION", "CONSISTENCY_UNKNOWN_OR_INVALID"},
        VerdictCase{"common archive", "<bupinfo2><packtype>QUILLMARK_COMMON_ARCHIVE</packtype></bupinfo2>",
                    "USABILITY_EQUAL_VERSION", "CONSISTENCY_INCOMPLETE_INVALID"},
        VerdictCase{"other type", "<bupinfo2><packtype>ME</packtype><board>NUC8</board><biosversion>1</biosversion></bupinfo2>",
                    "USABILITY_INCOMPATIBLE_VERSION", "CONSISTENCY_UNKNOWN_OR_INVALID"}));

TEST_F(ModuleTest, AVerdictNamesOnlyTheAreasThisBoardServes) {
    const json bios = Verdict(Bios("1.18.0", "<image>b.cap</image><area>bios</area><area>setup</area><area>logo</area>"));
    EXPECT_EQ(bios["fBiosUpdate"], true);
    EXPECT_EQ(bios["fRebootForBiosUpdate"], true);  // a capsule is applied across a restart
    EXPECT_EQ(bios["fSetupSettingsArea"], false);
    EXPECT_EQ(bios["fLogoArea"], false);
    EXPECT_EQ(bios["sSystemInfo"], "NUC8");
    const json config = Verdict(
        "<bupinfo2><packtype>CONFIG</packtype><board>NUC8</board><biosversion>1.0.0</biosversion>"
        "<area>bootorder</area><area>password</area><nvramcrossupdate>yes</nvramcrossupdate></bupinfo2>");
    EXPECT_EQ(config["Usability"], "USABILITY_OLDER_VERSION");
    EXPECT_EQ(config["fNvramUpdate"], true);
    EXPECT_EQ(config["fBootOrderVariablesArea"], true);
    EXPECT_EQ(config["fPasswordArea"], false);
    EXPECT_EQ(config["fBiosUpdate"], false);
    EXPECT_EQ(config["fRebootForNvramUpdate"], false);
}

TEST_F(ModuleTest, BytesThatAreNoDescriptionAreAnInvalidFileWithAWholeVerdict) {
    uint32_t status = 0;
    const json v = Verdict("<?xml version=\"1.0\"?><bupinfo2/>", &status);
    EXPECT_EQ(status, Error(QMX2_OP_CHECK_BUP_INFO, QMX2_REASON_INVALID_FILE));
    EXPECT_EQ(v.size(), 19u);
    EXPECT_EQ(v["Consistency"], "CONSISTENCY_DEMAGED");
    std::string reply;
    EXPECT_EQ(Module().check_bup_info(nullptr, 4, reply), Error(QMX2_OP_CHECK_BUP_INFO, QMX2_REASON_INVALID_PARAMETERS));
}

TEST_F(ModuleTest, ActionStatusWithoutAnyActionAndTheCombinedPackage) {
    json r = {{"sParameters", "/ACTIONSTATUS"}, {"ulCheckParametersOnly", 1}, {"fExtendedStatus", false}};
    ASSERT_EQ(Call(Module().get_generic_module_info, r), 0u);
    EXPECT_TRUE(r["MapItems"].empty());
    r["ulCheckParametersOnly"] = 0;
    ASSERT_EQ(Call(Module().get_generic_module_info, r), 0u);
    EXPECT_EQ(r["MapItems"]["StatusString"], "No BIOS action on record");
    r["sParameters"] = "/DETAILS";
    EXPECT_EQ(Call(Module().get_generic_module_info, r), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_PARAMETERS));
    json combined = {{"sSourceBiosInput", "a"}, {"sSourceConfigurationDataInput", "b"}, {"sDestPath", "c"}};
    EXPECT_EQ(Call(Module().do_make_combined_archive, combined), Error(QMX2_OP_GENERIC, QMX2_REASON_NOT_IMPLEMENTED));
}

}  // namespace
}  // namespace qmxefi_test
