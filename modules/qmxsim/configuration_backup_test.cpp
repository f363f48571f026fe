// QMX2_DoConfigurationBackup through the loaded module: the series of calls,
// the files it leaves and the package description the module itself accepts.
#include "test_support.h"

using namespace qmxsim_test;

namespace {

class BackupTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        fs::create_directories(config_);
        fs::create_directories(dest_);
    }

    static uint32_t Call(json& record) {
        return Invoke<PFN_QMX2_DO_CONFIGURATION_BACKUP>("QMX2_DoConfigurationBackup", record);
    }

    // The record as the kernel sends it: the destination only after the first call.
    static json Request(bool debug_code = false) {
        return Record({{"ulDuration", 7}, {"sPassword", "pw"}, {"fExtendedStatus", true}, {"sDestPath", ""},
                       {"sDestName", "backup_000.nvux"}, {"DebugCodeArea", debug_code}});
    }

    uint32_t Run(json record, std::vector<json>& answers) {
        return Series(Call, record, answers, [this](json& r) { r["sDestPath"] = dest_.string(); });
    }

    json VerdictOnBackup() { return Verdict(Slurp(dest_ / "BupInfo2.xml")); }

    const fs::path config_ = dir_.path / "config", dest_ = dir_.path / "out";
};

}  // namespace

TEST_F(BackupTest, FullRunCopiesAreasAndDescribesAPackageTheModuleAccepts) {
    WriteBoard(R"({"board":"X1 &amp; >","bios_version":"R2.06"})");  // written and read back as it is
    // The logo area is missing on the board: it is backed up as an empty one.
    const std::pair<std::string, std::string> areas[] = {
        {"setup_settings.bin", std::string("\0\1\2\xff setup", 10)}, {"password.bin", "secret"},
        {"boot_order.bin", std::string(70000, '\x5a')}, {"system_data.bin", "sys"}, {"logo.bin", ""}};
    for (const auto& [name, bytes] : areas)
        if (!bytes.empty()) Put(config_ / name, bytes);
    Put(config_ / "debug_code.bin", "dbg");  // not asked for: stays behind
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
    for (const json& a : answers) EXPECT_NE(a["sPartInfo"], "");
    EXPECT_EQ(answers.back()["sFeedback"], "fb");
    EXPECT_EQ(answers.back()["sDestName"], "backup_000.nvux");

    for (const auto& [name, bytes] : areas) {
        ASSERT_TRUE(fs::exists(dest_ / name)) << name;
        EXPECT_EQ(Slurp(dest_ / name), bytes) << name;
    }
    EXPECT_FALSE(fs::exists(dest_ / "debug_code.bin"));

    const std::string doc = Slurp(dest_ / "BupInfo2.xml");
    EXPECT_EQ(doc.find("<?xml"), std::string::npos) << "the kernel's reader takes no declaration";
    EXPECT_NE(doc.find("<builddate>"), std::string::npos);
    const json v = VerdictOnBackup();
    EXPECT_EQ(v["Usability"], "USABILITY_EQUAL_VERSION");
    EXPECT_EQ(v["Consistency"], "CONSISTENCY_COMPLETE_VALID");
    EXPECT_EQ(v["sSystemInfo"], "X1 &amp; >");
    EXPECT_EQ(v["sBiosInfo"], "R2.06");
    EXPECT_FALSE(v["fBiosUpdate"] || v["fDebugCodeArea"]);
    for (const char* flag : {"fNvramUpdate", "fSetupSettingsArea", "fPasswordArea", "fLogoArea",
                             "fBootOrderVariablesArea", "fSystemDataArea"})
        EXPECT_TRUE(v[flag]) << flag;
}

TEST_F(BackupTest, DebugCodeOnlyWhenAsked) {
    Put(config_ / "debug_code.bin", std::string("\0dbg", 4));
    ASSERT_EQ(Install(), 0u);
    std::vector<json> answers;
    ASSERT_EQ(Run(Request(true), answers), 0u);
    EXPECT_EQ(Slurp(dest_ / "debug_code.bin"), std::string("\0dbg", 4));
    EXPECT_TRUE(VerdictOnBackup()["fDebugCodeArea"]);
}

TEST_F(BackupTest, HowTheSeriesEnds) {
    struct Case { const char* faults; int32_t last_seq; bool description; } cases[] = {
        {R"({"end_with":"cold_boot"})", 10001, true},
        {R"({"end_with":"pending"})", 10006, true},
        {R"({"cancel":true})", -10000, false},
        {R"({"backup_without_bupinfo":true})", 10000, false},
        {R"({"backup_rename":"renamed.nvux"})", 10000, true},
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
        const bool renamed = std::string(c.faults).find("rename") != std::string::npos;
        EXPECT_EQ(answers.back()["sDestName"], renamed ? "renamed.nvux" : "backup_000.nvux");
    }

    fs::remove_all(dest_);
    fs::create_directories(dest_);
    WriteBoard(R"({"faults":{"fail_at_step":2,"fail_reason":"0x83"}})");
    std::vector<json> answers;
    EXPECT_EQ(Run(Request(), answers), Error(QMX2_OP_GENERIC, 0x83));
    EXPECT_EQ(answers.back()["iSeq"], 2) << "the failing call keeps its step";
    EXPECT_FALSE(fs::exists(dest_ / "BupInfo2.xml"));
}

TEST_F(BackupTest, Refusals) {
    json record = Request();
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_MODULE_NOT_INSTALLED));
    WriteBoard(R"({"capabilities":{"fConfigurationBackup":false}})");
    ASSERT_EQ(Install(), 0u);
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_NOT_IMPLEMENTED));
    WriteBoard("{}");

    json not_a_record = {1, 2};
    EXPECT_EQ(Call(not_a_record), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_PARAMETERS));
    EXPECT_EQ(not_a_record, json({1, 2}));

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

// A failure the module meets while writing tells its cause, which the kernel
// passes on as the job's error: no backup ends without a word.
TEST_F(BackupTest, WriteFailuresSayWhy) {
    WriteBoard("{}");
    ASSERT_EQ(Install(), 0u);
    std::ofstream(config_ / "setup_settings.bin") << "settings";
    // A folder where the area's file must go: the write fails.
    fs::create_directories(dest_ / "setup_settings.bin" / "in-the-way");
    json record = Request();
    record["iSeq"] = 1;
    record["sDestPath"] = dest_.string();
    EXPECT_NE(Call(record), 0u);
    const std::string why = record.value("sStatusInfo", "");
    EXPECT_EQ(why.rfind("Writing setup_settings.bin failed: ", 0), 0u) << why;
}
