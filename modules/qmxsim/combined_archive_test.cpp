// QMX2_DoMakeCombinedArchive through the loaded module: an unpacked BIOS
// package and a real backup merged into a folder the module itself accepts.
#include <functional>
#include <set>

#include "bup_document.h"
#include "bup_package.h"
#include "test_support.h"

using namespace qmxsim_test;

namespace {

const std::string kImage("\0\x7f BIOS image", 12);

const char kBiosDescription[] = R"(<bupinfo2>
  <packtype>BIOS</packtype>
  <builddate>01-15-2024</builddate>
  <board>QMXSIM-X2</board>
  <board>QMXSIM-X1</board>
  <biosversion>1.01</biosversion>
  <obsoletefrom>0.90</obsoletefrom>
  <image>bios.rom</image>
  <part>me.fw</part>
  <rebootafter>yes</rebootafter>
  <powerafterbios>S3</powerafterbios>
  <secureplatform>true</secureplatform>
</bupinfo2>)";

class CombinedTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        Prepare();
    }

    // Board areas and an unpacked BIOS package A; B and C empty.
    void Prepare() {
        for (const fs::path& p : {a_, b_, c_}) fs::remove_all(p);
        for (const char* sub : {"config", "a", "b", "c"}) fs::create_directories(dir_.path / sub);
        Put(dir_.path / "config" / "setup_settings.bin", std::string("\0\1setup", 7));
        Put(dir_.path / "config" / "debug_code.bin", "dbg");
        Put(a_ / "BupInfo2.xml", kBiosDescription);
        Put(a_ / "bios.rom", kImage);
        Put(a_ / "me.fw", "management engine");
        Put(a_ / "readme.txt", "notes");
    }

    // A configuration archive as the kernel unpacks it: a real backup, taken
    // while the board runs bios_version; afterwards the board runs 1.00.
    void Backup(const std::string& bios_version = "1.01") {
        WriteBoard(R"({"board":"QMXSIM-X1","bios_version":")" + bios_version + "\"}");
        ASSERT_EQ(Install(), 0u);
        for (int seq = 0; seq < 3; ++seq) {
            json record = {{"iSeq", seq}, {"sDestPath", b_.string()}, {"DebugCodeArea", true}};
            ASSERT_EQ(Invoke<PFN_QMX2_DO_CONFIGURATION_BACKUP>("QMX2_DoConfigurationBackup", record), 0u);
        }
        WriteBoard(R"({"board":"QMXSIM-X1","bios_version":"1.00"})");
    }

    json Request() const {
        return Record({{"ulDuration", 0}, {"sSourcePath", ""}, {"sNextFile", "x"}, {"sPassword", ""},
                       {"NextFileLoc", ""}, {"fExtendedStatus", true}, {"sSourceBiosInput", a_.string()},
                       {"sSourceConfigurationDataInput", b_.string()}, {"sDestPath", c_.string()},
                       {"sDestName", ""}});
    }

    static uint32_t Call(json& record) {
        return Invoke<PFN_QMX2_DO_MAKE_COMBINED_ARCHIVE>("QMX2_DoMakeCombinedArchive", record);
    }

    std::set<std::string> Made() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(c_)) names.insert(entry.path().filename().string());
        return names;
    }

    // The folder's description with the first such text replaced.
    static void Edit(const fs::path& folder, const std::string& from, const std::string& to) {
        std::string doc = Slurp(folder / "BupInfo2.xml");
        ASSERT_NE(doc.find(from), std::string::npos);
        Put(folder / "BupInfo2.xml", doc.replace(doc.find(from), from.size(), to));
    }

    fs::path a_ = dir_.path / "a", b_ = dir_.path / "b", c_ = dir_.path / "c";
};

}  // namespace

TEST_F(CombinedTest, MergedPackageUpdatesTheBiosAndRestoresTheBackup) {
    Backup();
    api_.uninstall();  // the kernel asks without installing the module
    json record = Request();
    ASSERT_EQ(Call(record), 0u) << record["sStatusInfo"];
    ASSERT_EQ(Install(), 0u);  // for the verdict below
    EXPECT_EQ(record["iSeq"], 10000);
    EXPECT_EQ(record["ulProgress"], 10000);
    EXPECT_EQ(record["sStatusInfo"], "10 files");
    EXPECT_EQ(record["sNextFile"], "");
    EXPECT_EQ(record["sFeedback"], "fb");

    std::set<std::string> expected = {"BupInfo2.xml", "bios.rom", "me.fw", "readme.txt", "debug_code.bin"};
    expected.insert(kAreaFiles.begin(), kAreaFiles.end());
    EXPECT_EQ(Made(), expected) << "no temporary file may stay behind";
    expected.erase("BupInfo2.xml");
    for (const std::string& name : expected)
        EXPECT_EQ(Slurp(c_ / name), Slurp((fs::exists(a_ / name) ? a_ : b_) / name)) << name;

    const std::string doc = Slurp(c_ / "BupInfo2.xml");
    EXPECT_EQ(doc.find("<?xml"), std::string::npos) << "the kernel's reader takes no declaration";
    EXPECT_NE(doc.find("<builddate>01-15-2024</builddate>"), std::string::npos) << doc;
    const json v = Verdict(doc);
    EXPECT_EQ(v["Usability"], "USABILITY_NEWER_VERSION");
    EXPECT_EQ(v["Consistency"], "CONSISTENCY_COMPLETE_VALID");
    EXPECT_EQ(v["sBiosInfo"], "1.01");
    for (const char* flag : {"fBiosUpdate", "fNvramUpdate", "fSetupSettingsArea", "fPasswordArea", "fLogoArea",
                             "fBootOrderVariablesArea", "fSystemDataArea", "fDebugCodeArea"})
        EXPECT_TRUE(v[flag]) << flag;
    EXPECT_FALSE(v["fNvramCrossUpdateSupported"]);
    EXPECT_EQ(v["PowerStatesAfterBiosUpdate"], "BUPINFO_POWER_S3");
    EXPECT_EQ(v["PowerStatesAfterNvramUpdate"], "BUPINFO_POWER_S5") << "derived from rebootafter, as in A";

    // What the verdict does not show, read back as the update will read it.
    qmxsim::XmlElement root;
    qmxsim::PackageDescription p;
    ASSERT_TRUE(qmxsim::ParseXml(reinterpret_cast<const uint8_t*>(doc.data()), doc.size(), root));
    ASSERT_TRUE(qmxsim::ReadPackage(root, p));
    EXPECT_EQ(p.boards, (std::vector<std::string>{"QMXSIM-X2", "QMXSIM-X1"}));
    EXPECT_EQ(p.image, "bios.rom");
    EXPECT_EQ(p.parts, std::vector<std::string>{"me.fw"});
    EXPECT_EQ(p.obsolete_from_text, "0.90");
    EXPECT_TRUE(p.secure_platform && p.reboot_after && !p.reboot_before);
}

TEST_F(CombinedTest, SettingsOfAnotherBiosOnlyWhenTheyFitAcross) {
    Backup("1.00");
    json record = Request();
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_FILE));
    EXPECT_TRUE(Made().empty());

    Edit(b_, "</bupinfo2>", "<nvramcrossupdate>true</nvramcrossupdate></bupinfo2>");
    record = Request();
    ASSERT_EQ(Call(record), 0u) << record["sStatusInfo"];
    EXPECT_TRUE(Verdict(Slurp(c_ / "BupInfo2.xml"))["fNvramCrossUpdateSupported"]);
}

TEST_F(CombinedTest, RefusalsWriteNothing) {
    struct Case { const char* what; std::function<void(json&)> spoil; uint32_t reason; } cases[] = {
        {"not a JSON object", [](json& r) { r = json::array(); }, QMX2_REASON_INVALID_PARAMETERS},
        {"no destination", [](json& r) { r.erase("sDestPath"); }, QMX2_REASON_INVALID_PARAMETERS},
        {"configuration folder missing", [this](json&) { fs::remove_all(b_); }, QMX2_REASON_INVALID_DIRECTORY},
        {"destination a file", [this](json& r) { r["sDestPath"] = (a_ / "me.fw").string(); },
         QMX2_REASON_INVALID_DIRECTORY},
        {"image missing", [this](json&) { fs::remove(a_ / "bios.rom"); }, QMX2_REASON_INVALID_FILE},
        {"BIOS package for another board",
         [this](json&) { Edit(a_, "<board>QMXSIM-X1</board>", "<board>Z</board>"); },
         QMX2_REASON_INVALID_FILE},
        {"configuration for another board", [this](json&) { Edit(b_, "QMXSIM-X1", "QMXSIM-X2"); },
         QMX2_REASON_INVALID_FILE},
        {"configuration as the BIOS package",
         [this](json&) { fs::copy_file(b_ / "BupInfo2.xml", a_ / "BupInfo2.xml",
                                                    fs::copy_options::overwrite_existing); },
         QMX2_REASON_INVALID_FILE},
        {"name clash", [this](json&) { Put(a_ / "logo.bin", "logo of A"); }, QMX2_REASON_INVALID_FILE},
        {"area file of B missing", [this](json&) { fs::remove(b_ / "password.bin"); }, QMX2_REASON_INVALID_FILE},
        // Written last and in name order: bios.rom is written, then removed again.
        {"a write fails", [this](json&) { fs::create_directory(c_ / "me.fw"); }, QMX2_REASON_INTERNAL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Prepare();
        Backup();
        json record = Request();
        c.spoil(record);
        const json before = record;
        EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, c.reason));
        if (before.is_object()) EXPECT_NE(record["sStatusInfo"], "") << "says why";
        else EXPECT_EQ(record, before);
        std::set<std::string> left = Made();
        left.erase("me.fw");
        EXPECT_TRUE(left.empty()) << *left.begin();
    }
}

TEST_F(CombinedTest, CancelFailAtStepAndNoBoardWriteNothing) {
    Backup();
    const std::string board = R"({"board":"QMXSIM-X1","bios_version":"1.00","faults":)";
    struct Case { std::string faults; uint32_t status; int32_t seq; } cases[] = {
        {board + R"({"cancel":true}})", 0u, -10000},
        {board + R"({"fail_at_step":0,"fail_reason":"0x83"}})", Error(QMX2_OP_GENERIC, 0x83), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.faults);
        WriteBoard(c.faults);
        json record = Request();
        EXPECT_EQ(Call(record), c.status);
        EXPECT_EQ(record["iSeq"], c.seq);
        EXPECT_TRUE(Made().empty());
    }

    // Without a state directory the kernel's module search must go on to the next module.
    api_.uninstall();
    ::setenv("QMXSIM_STATE", (dir_.path / "missing").c_str(), 1);
    json record = Request();
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_BOARD_NOT_SUPPORTED));
    EXPECT_TRUE(Made().empty());
}
