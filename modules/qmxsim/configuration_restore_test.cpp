// QMX2_DoConfigurationRestore through the loaded module: the series of calls,
// with the kernel's part (fetching the named files) played by the test.
#include <gmock/gmock.h>

#include "test_support.h"

using namespace qmxsim_test;

namespace {

class RestoreTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        fs::create_directories(source_);
    }

    static uint32_t Call(json& record) {
        return Invoke<PFN_QMX2_DO_CONFIGURATION_RESTORE>("QMX2_DoConfigurationRestore", record, nullptr, 0);
    }

    json Request(const json& more = json::object()) const {
        json r = Record({{"ulDuration", 3}, {"sSourcePath", source_.string()}, {"sNextFile", ""},
                         {"sPassword", ""}, {"NextFileLoc", ""}, {"fExtendedStatus", true}, {"BiosCodeArea", false},
                         {"LogoArea", false}, {"SystemDataArea", false}, {"PasswordArea", false},
                         {"ExplicitAreaMode", false}});
        r.update(more);
        return r;
    }

    uint32_t Run(json record, std::vector<json>& answers) { return Series(Call, record, answers); }

    // Stands for the archive: what the kernel extracts into "sSourcePath".
    const fs::path source_ = dir_.path / "fetched";
    const fs::path config_ = dir_.path / "config";
};

}  // namespace

TEST_F(RestoreTest, FullRunAsksForTheAreasAndWritesThemByteForByte) {
    WriteBoard(R"({"board":"X1","unknown":{"kept":1}})");
    ASSERT_EQ(Install(), 0u);
    const std::string setup("\0\1\2\xff\r\n setup", 12);
    Put(source_ / "setup_settings.bin", setup);
    Put(source_ / "boot_order.bin", std::string(70000, '\x5a'));
    Put(source_ / "password.bin", "");
    Put(source_ / "debug_code.bin", "dbg");  // no configuration data
    fs::create_directories(config_);
    Put(config_ / "logo.bin", "old logo");

    std::vector<json> answers;
    ASSERT_EQ(Run(Request(), answers), 0u);
    ASSERT_EQ(answers.size(), 2u);
    const json& start = answers.front();
    EXPECT_EQ(start["iSeq"], 1);
    EXPECT_EQ(start["ulProgress"], 1000);
    EXPECT_EQ(start["sNextFile"], "*.bin");
    EXPECT_EQ(start["NextFileLoc"], "UPD_NEXT_FILE_CUR_BUP");
    EXPECT_NE(start["sPartInfo"], "");

    json last = answers.back(), sent = Request();
    EXPECT_EQ(last["iSeq"], 10000);
    EXPECT_EQ(last["ulProgress"], 10000);
    EXPECT_EQ(last["sNextFile"], "");
    EXPECT_EQ(last["sFeedback"], "");
    EXPECT_EQ(last["sStatusInfo"], "3 areas restored");
    for (const char* owned : {"iSeq", "ulProgress", "sPartInfo", "sStatusInfo", "sFeedback", "sNextFile",
                              "NextFileLoc"}) {
        sent.erase(owned);
        last.erase(owned);
    }
    EXPECT_EQ(last, sent) << "keys it does not own come back as they came";

    EXPECT_EQ(Slurp(config_ / "setup_settings.bin"), setup);
    EXPECT_EQ(Slurp(config_ / "boot_order.bin"), std::string(70000, '\x5a'));
    ASSERT_TRUE(fs::exists(config_ / "password.bin"));
    EXPECT_EQ(fs::file_size(config_ / "password.bin"), 0u);
    EXPECT_EQ(Slurp(config_ / "logo.bin"), "old logo") << "an area not handed over stays";
    EXPECT_FALSE(fs::exists(config_ / "debug_code.bin"));

    const json board = Board();
    EXPECT_EQ(board["unknown"]["kept"], 1);
    const json& action = board["last_action"];
    EXPECT_EQ(action["status"], 0);
    const std::string accepted = action["accepted"];
    EXPECT_THAT(accepted, testing::MatchesRegex("[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9]{2}:[0-9]{2}:[0-9]{2}Z"));
    EXPECT_EQ(action["executed"], accepted);
    EXPECT_EQ(ModuleInfo()["sSystemInfo"], "X1") << "board.json still loads";
}

TEST_F(RestoreTest, OnlySelectedAreas) {
    ASSERT_EQ(Install(), 0u);
    for (const std::string& name : kAreaFiles) Put(source_ / name, name);
    std::vector<json> answers;
    ASSERT_EQ(Run(Request({{"LogoArea", true}, {"SystemDataArea", true}}), answers), 0u);
    EXPECT_EQ(answers.back()["sStatusInfo"], "2 areas restored");
    for (const std::string& name : kAreaFiles)
        EXPECT_EQ(fs::exists(config_ / name), name == "logo.bin" || name == "system_data.bin") << name;
}

TEST_F(RestoreTest, PasswordIsCheckedFromTheSecondCall) {
    WriteBoard(R"({"bios_password":"s3cret"})");
    ASSERT_EQ(Install(), 0u);
    Put(source_ / "logo.bin", "logo");
    json record = Request({{"sPassword", "S3CRET"}});
    EXPECT_EQ(Call(record), 0u) << "the kernel sends the password only after the first call";
    const json sent = record;
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_PASSWORD));
    EXPECT_EQ(record, sent) << "the refused call comes back as it came";
    record.erase("sPassword");
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_PASSWORD)) << "missing counts as empty";
    EXPECT_FALSE(fs::exists(config_ / "logo.bin"));

    std::vector<json> answers;
    ASSERT_EQ(Run(Request({{"sPassword", "s3cret"}}), answers), 0u);
    EXPECT_EQ(Slurp(config_ / "logo.bin"), "logo");
}

TEST_F(RestoreTest, HowTheSeriesEnds) {
    struct Case { const char* faults; int32_t last_seq; const char* feedback; } cases[] = {
        {R"({"end_with":"pending"})", 10000, "SD_OP_PENDING"},
        {R"({"end_with":"cold_boot"})", 10000, "SD_ACTIVATE_CHANGES_COLD_BOOT"},
        {R"({"cancel":true})", -10000, "fb"},
    };
    Put(source_ / "setup_settings.bin", "s");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.faults);
        fs::remove_all(config_);
        WriteBoard(std::string(R"({"faults":)") + c.faults + "}");
        ASSERT_EQ(Install(), 0u);
        std::vector<json> answers;
        ASSERT_EQ(Run(Request(), answers), 0u);
        EXPECT_EQ(answers.back()["iSeq"], c.last_seq);
        EXPECT_EQ(answers.back()["sFeedback"], c.feedback);
        const bool cancelled = c.last_seq == -10000;
        EXPECT_EQ(answers.size(), cancelled ? 1u : 2u);
        EXPECT_EQ(fs::exists(config_ / "setup_settings.bin"), !cancelled);
        EXPECT_EQ(Board().contains("last_action"), !cancelled) << "a cancel changes nothing";
    }
}

TEST_F(RestoreTest, FailuresWriteNothing) {
    WriteBoard(R"({"faults":{"fail_at_step":1,"fail_reason":"0x83"}})");
    ASSERT_EQ(Install(), 0u);
    Put(source_ / "logo.bin", "logo");
    std::vector<json> answers;
    EXPECT_EQ(Run(Request(), answers), Error(QMX2_OP_GENERIC, 0x83));
    EXPECT_EQ(answers.back()["iSeq"], 1) << "the failing call keeps its step";
    EXPECT_NE(answers.back()["sStatusInfo"], "");

    // Nothing to restore: no area file at all, or none of the selected ones.
    WriteBoard("{}");
    fs::remove(source_ / "logo.bin");
    Put(source_ / "debug_code.bin", "dbg");
    json record = Request({{"iSeq", 1}});
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_FILE_NOT_FOUND));
    EXPECT_NE(record["sStatusInfo"].get<std::string>().find("No configuration area file"), std::string::npos);
    Put(source_ / "logo.bin", "logo");
    record = Request({{"iSeq", 1}, {"PasswordArea", true}});
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_FILE_NOT_FOUND));
    EXPECT_FALSE(fs::exists(config_ / "logo.bin"));
    EXPECT_FALSE(Board().contains("last_action"));
}

TEST_F(RestoreTest, Refusals) {
    json record = Request();
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_MODULE_NOT_INSTALLED));
    WriteBoard(R"({"capabilities":{"fConfigurationRestore":false}})");
    ASSERT_EQ(Install(), 0u);
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_NOT_IMPLEMENTED));
    WriteBoard("{}");

    record = Request({{"iSeq", 1}, {"sSourcePath", ""}});
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_PARAMETERS));
    record["sSourcePath"] = (dir_.path / "nowhere").string();
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_DIRECTORY));
    record = Request({{"iSeq", 2}});
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_PARAMETERS)) << "a step it never gave";
}
