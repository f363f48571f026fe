// QMX2_DoConfigurationBackup through the loaded module: the series of calls,
// the files it leaves and the package description the module itself accepts.
#include "test_support.h"

using namespace qmxsim_test;

namespace {

class BackupTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        fs::create_directories(dir_.path / "config");
        dest_ = dir_.path / "out";
        fs::create_directories(dest_);
    }

    void WriteArea(const char* name, const std::string& bytes) {
        std::ofstream(dir_.path / "config" / name, std::ios::binary) << bytes;
    }

    static uint32_t Call(json& record) {
        static const auto backup = Sym<PFN_QMX2_DO_CONFIGURATION_BACKUP>("QMX2_DoConfigurationBackup");
        std::string text = record.dump();
        const uint32_t status = backup(text);
        record = json::parse(text);
        return status;
    }

    // The record as the kernel sends it: the destination only after the first call.
    json Request(bool debug_code = false) const {
        return json{{"iSeq", 0},         {"ulProgress", 0},  {"ulDuration", 7},   {"sPartInfo", ""},
                    {"sStatusInfo", ""}, {"sFeedback", "fb"}, {"sPassword", "pw"}, {"fExtendedStatus", true},
                    {"sDestPath", ""},   {"sDestName", "backup_000.nvux"},    {"DebugCodeArea", debug_code}};
    }

    // Calls until the series ends or fails; every answer is kept.
    uint32_t Run(json record, std::vector<json>& answers) {
        for (int call = 0; call < 10; ++call) {
            const uint32_t status = Call(record);
            answers.push_back(record);
            const int32_t seq = record["iSeq"];
            if (status != 0 || seq >= 10000 || seq <= -10000) return status;
            record["sDestPath"] = dest_.string();
        }
        ADD_FAILURE() << "the series did not end";
        return 0;
    }

    json VerdictOnBackup() { return Verdict(Slurp(dest_ / "BupInfo2.xml")); }

    fs::path dest_;
};

const char* const kAreaFiles[] = {"setup_settings.bin", "password.bin", "logo.bin", "boot_order.bin",
                                  "system_data.bin"};

}  // namespace

TEST_F(BackupTest, FullRunCopiesAreasAndDescribesAPackageTheModuleAccepts) {
    WriteBoard(R"({"board":"X1 <&>","bios_version":"R2.06"})");
    const std::string setup("\0\1\2\xff setup", 10);
    WriteArea("setup_settings.bin", setup);
    WriteArea("password.bin", "secret");
    WriteArea("boot_order.bin", std::string(70000, '\x5a'));
    WriteArea("system_data.bin", "sys");
    WriteArea("debug_code.bin", "dbg");  // not asked for: stays behind
    ASSERT_EQ(Install(), 0u);

    std::vector<json> answers;
    ASSERT_EQ(Run(Request(), answers), 0u);
    ASSERT_GE(answers.size(), 2u);
    EXPECT_EQ(answers.back()["iSeq"], 10000);
    EXPECT_EQ(answers.back()["ulProgress"], 10000);
    for (size_t i = 1; i < answers.size(); ++i) {
        EXPECT_GT(answers[i]["ulProgress"], answers[i - 1]["ulProgress"]) << "call " << i;
        EXPECT_GT(answers[i]["iSeq"], answers[i - 1]["iSeq"]) << "call " << i;
    }
    for (const json& a : answers) EXPECT_FALSE(a["sPartInfo"].get<std::string>().empty());
    const json& last = answers.back();
    EXPECT_EQ(last["sFeedback"], "fb");
    EXPECT_EQ(last["sPassword"], "pw");
    EXPECT_EQ(last["ulDuration"], 7);
    EXPECT_EQ(last["fExtendedStatus"], true);
    EXPECT_EQ(last["sDestName"], "backup_000.nvux");

    EXPECT_EQ(Slurp(dest_ / "setup_settings.bin"), setup);
    EXPECT_EQ(Slurp(dest_ / "password.bin"), "secret");
    EXPECT_EQ(Slurp(dest_ / "boot_order.bin"), std::string(70000, '\x5a'));
    EXPECT_EQ(Slurp(dest_ / "system_data.bin"), "sys");
    ASSERT_TRUE(fs::exists(dest_ / "logo.bin")) << "a missing area is an empty one";
    EXPECT_EQ(fs::file_size(dest_ / "logo.bin"), 0u);
    EXPECT_FALSE(fs::exists(dest_ / "debug_code.bin"));

    const std::string doc = Slurp(dest_ / "BupInfo2.xml");
    EXPECT_EQ(doc.find("<?xml"), std::string::npos) << "the kernel's reader takes no declaration";
    EXPECT_NE(doc.find("<builddate>"), std::string::npos);
    const json v = VerdictOnBackup();
    EXPECT_EQ(v["Usability"], "USABILITY_EQUAL_VERSION");
    EXPECT_EQ(v["Consistency"], "CONSISTENCY_COMPLETE_VALID");
    EXPECT_EQ(v["sSystemInfo"], "X1 <&>");
    EXPECT_EQ(v["sBiosInfo"], "R2.06");
    EXPECT_FALSE(v["fBiosUpdate"]);
    EXPECT_TRUE(v["fNvramUpdate"]);
    for (const char* flag : {"fSetupSettingsArea", "fPasswordArea", "fLogoArea", "fBootOrderVariablesArea",
                             "fSystemDataArea"})
        EXPECT_TRUE(v[flag]) << flag;
    EXPECT_FALSE(v["fDebugCodeArea"]);
}

TEST_F(BackupTest, DebugCodeOnlyWhenAsked) {
    WriteArea("debug_code.bin", std::string("\0dbg", 4));
    ASSERT_EQ(Install(), 0u);
    std::vector<json> answers;
    ASSERT_EQ(Run(Request(true), answers), 0u);
    EXPECT_EQ(Slurp(dest_ / "debug_code.bin"), std::string("\0dbg", 4));
    EXPECT_TRUE(VerdictOnBackup()["fDebugCodeArea"]);
}

TEST_F(BackupTest, HowTheSeriesEnds) {
    struct Case {
        const char* faults;
        int32_t last_seq;
        bool description;
    };
    const Case cases[] = {
        {R"({"end_with":"cold_boot"})", 10001, true},
        {R"({"end_with":"pending"})", 10006, true},
        {R"({"cancel":true})", -10000, false},
        {R"({"backup_without_bupinfo":true})", 10000, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.faults);
        fs::remove_all(dest_);
        fs::create_directories(dest_);
        WriteBoard(std::string(R"({"faults":)") + c.faults + "}");
        ASSERT_EQ(Install(), 0u);
        std::vector<json> answers;
        ASSERT_EQ(Run(Request(), answers), 0u);
        EXPECT_EQ(answers.back()["iSeq"], c.last_seq);
        EXPECT_EQ(fs::exists(dest_ / "BupInfo2.xml"), c.description);
        EXPECT_EQ(fs::exists(dest_ / "setup_settings.bin"), c.last_seq != -10000) << "a cancel writes nothing";
    }
}

TEST_F(BackupTest, FailAtStepAndRename) {
    WriteBoard(R"({"faults":{"fail_at_step":2,"fail_reason":"0x83"}})");
    ASSERT_EQ(Install(), 0u);
    std::vector<json> answers;
    EXPECT_EQ(Run(Request(), answers), Error(QMX2_OP_GENERIC, 0x83));
    EXPECT_EQ(answers.back()["iSeq"], 2) << "the failing call keeps its step";
    EXPECT_FALSE(fs::exists(dest_ / "BupInfo2.xml"));

    WriteBoard(R"({"faults":{"backup_rename":"renamed.nvux"}})");
    answers.clear();
    ASSERT_EQ(Run(Request(), answers), 0u);
    EXPECT_EQ(answers.back()["sDestName"], "renamed.nvux");
    EXPECT_EQ(answers.back()["iSeq"], 10000);
}

TEST_F(BackupTest, Refusals) {
    json record = Request();
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_MODULE_NOT_INSTALLED));

    WriteBoard(R"({"capabilities":{"fConfigurationBackup":false}})");
    ASSERT_EQ(Install(), 0u);
    record = Request();
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_NOT_IMPLEMENTED));
    WriteBoard("{}");

    static const auto backup = Sym<PFN_QMX2_DO_CONFIGURATION_BACKUP>("QMX2_DoConfigurationBackup");
    std::string text = "[1,2]";
    EXPECT_EQ(backup(text), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_PARAMETERS));
    EXPECT_EQ(text, "[1,2]");

    record = Request();
    record["iSeq"] = 1;
    record.erase("sDestPath");
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_PARAMETERS));
    record["sDestPath"] = "";
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_PARAMETERS));
    record["sDestPath"] = (dir_.path / "nowhere").string();
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_DIRECTORY));
    record["sDestPath"] = dest_.string();
    record["iSeq"] = 7;
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_PARAMETERS)) << "a step it never gave";

    fs::remove(dir_.path / "board.json");
    fs::create_directory(dir_.path / "board.json");
    record = Request();
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_FILE));
}
