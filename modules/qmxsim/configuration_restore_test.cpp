// QMX2_DoConfigurationRestore through the loaded module: the series of calls,
// with the kernel's part (fetching the named files) played by the test.
#include "test_support.h"

#include <regex>

using namespace qmxsim_test;

namespace {

const char* const kAreaFiles[] = {"setup_settings.bin", "password.bin", "logo.bin", "boot_order.bin",
                                  "system_data.bin"};

class RestoreTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        source_ = dir_.path / "fetched";
        fs::create_directories(source_);
    }

    // Stands for the archive: what the kernel extracts into "sSourcePath".
    void Fetched(const char* name, const std::string& bytes) {
        std::ofstream(source_ / name, std::ios::binary) << bytes;
    }

    static uint32_t Call(json& record) {
        static const auto restore = Sym<PFN_QMX2_DO_CONFIGURATION_RESTORE>("QMX2_DoConfigurationRestore");
        std::string text = record.dump();
        const uint32_t status = restore(text, nullptr, 0);
        record = json::parse(text);
        return status;
    }

    json Request(const std::string& password = "") const {
        return json{{"iSeq", 0}, {"ulProgress", 0}, {"ulDuration", 3}, {"sPartInfo", ""}, {"sStatusInfo", ""},
                    {"sFeedback", "fb"}, {"sSourcePath", source_.string()}, {"sNextFile", ""},
                    {"sPassword", password}, {"NextFileLoc", ""}, {"fExtendedStatus", true},
                    {"BiosCodeArea", false}, {"LogoArea", false}, {"SystemDataArea", false},
                    {"PasswordArea", false}, {"ExplicitAreaMode", false}};
    }

    // Calls until the series ends or fails; every answer is kept.
    uint32_t Run(json record, std::vector<json>& answers) {
        for (int call = 0; call < 10; ++call) {
            const uint32_t status = Call(record);
            answers.push_back(record);
            const int32_t seq = record["iSeq"];
            if (status != 0 || seq >= 10000 || seq <= -10000) return status;
        }
        ADD_FAILURE() << "the series did not end";
        return 0;
    }

    json Board() { return json::parse(Slurp(dir_.path / "board.json")); }

    fs::path source_;
};

}  // namespace

TEST_F(RestoreTest, FullRunAsksForTheAreasAndWritesThemByteForByte) {
    WriteBoard(R"({"board":"X1","unknown":{"kept":1}})");
    ASSERT_EQ(Install(), 0u);
    const std::string setup("\0\1\2\xff\r\n setup", 12);
    Fetched("setup_settings.bin", setup);
    Fetched("boot_order.bin", std::string(70000, '\x5a'));
    Fetched("password.bin", "");
    Fetched("debug_code.bin", "dbg");  // no configuration data
    fs::create_directories(dir_.path / "config");
    std::ofstream(dir_.path / "config" / "logo.bin") << "old logo";

    std::vector<json> answers;
    ASSERT_EQ(Run(Request(), answers), 0u);
    ASSERT_EQ(answers.size(), 2u);
    const json& start = answers.front();
    EXPECT_EQ(start["iSeq"], 1);
    EXPECT_EQ(start["ulProgress"], 1000);
    EXPECT_EQ(start["sNextFile"], "*.bin");
    EXPECT_EQ(start["NextFileLoc"], "UPD_NEXT_FILE_CUR_BUP");
    EXPECT_FALSE(start["sPartInfo"].get<std::string>().empty());

    const json& last = answers.back();
    EXPECT_EQ(last["iSeq"], 10000);
    EXPECT_EQ(last["ulProgress"], 10000);
    EXPECT_EQ(last["sNextFile"], "");
    EXPECT_EQ(last["sFeedback"], "");
    EXPECT_EQ(last["sStatusInfo"], "3 areas restored");
    json sent = Request(), rest = last;
    for (const char* owned : {"iSeq", "ulProgress", "sPartInfo", "sStatusInfo", "sFeedback", "sNextFile",
                              "NextFileLoc"}) {
        sent.erase(owned);
        rest.erase(owned);
    }
    EXPECT_EQ(rest, sent) << "keys it does not own come back as they came";

    const fs::path config = dir_.path / "config";
    EXPECT_EQ(Slurp(config / "setup_settings.bin"), setup);
    EXPECT_EQ(Slurp(config / "boot_order.bin"), std::string(70000, '\x5a'));
    ASSERT_TRUE(fs::exists(config / "password.bin"));
    EXPECT_EQ(fs::file_size(config / "password.bin"), 0u);
    EXPECT_EQ(Slurp(config / "logo.bin"), "old logo") << "an area not handed over stays";
    EXPECT_FALSE(fs::exists(config / "debug_code.bin"));

    const json board = Board();
    EXPECT_EQ(board["unknown"]["kept"], 1);
    const json& action = board["last_action"];
    EXPECT_EQ(action["status"], 0);
    const std::string accepted = action["accepted"];
    EXPECT_TRUE(std::regex_match(accepted, std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)"))) << accepted;
    EXPECT_EQ(action["executed"], accepted);
    EXPECT_EQ(ModuleInfo()["sSystemInfo"], "X1") << "board.json still loads";
}

TEST_F(RestoreTest, OnlySelectedAreas) {
    ASSERT_EQ(Install(), 0u);
    for (const char* name : kAreaFiles) Fetched(name, name);
    json request = Request();
    request["LogoArea"] = true;
    request["SystemDataArea"] = true;
    std::vector<json> answers;
    ASSERT_EQ(Run(request, answers), 0u);
    EXPECT_EQ(answers.back()["sStatusInfo"], "2 areas restored");
    for (const char* name : kAreaFiles) {
        const bool selected = std::string(name) == "logo.bin" || std::string(name) == "system_data.bin";
        EXPECT_EQ(fs::exists(dir_.path / "config" / name), selected) << name;
    }
}

TEST_F(RestoreTest, Password) {
    WriteBoard(R"({"bios_password":"s3cret"})");
    ASSERT_EQ(Install(), 0u);
    Fetched("logo.bin", "logo");
    for (const char* wrong : {"", "S3CRET"}) {
        json record = Request(wrong);
        EXPECT_EQ(Call(record), 0u) << "the kernel sends the password only after the first call";
        EXPECT_EQ(record["iSeq"], 1);
        const json sent = record;
        EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_PASSWORD)) << wrong;
        EXPECT_EQ(record, sent);
    }
    json absent = Request();
    absent["iSeq"] = 1;
    absent.erase("sPassword");
    EXPECT_EQ(Call(absent), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_PASSWORD)) << "missing counts as empty";
    EXPECT_FALSE(fs::exists(dir_.path / "config" / "logo.bin"));

    std::vector<json> answers;
    ASSERT_EQ(Run(Request("s3cret"), answers), 0u);
    EXPECT_EQ(answers.back()["iSeq"], 10000);
    EXPECT_EQ(Slurp(dir_.path / "config" / "logo.bin"), "logo");
}

TEST_F(RestoreTest, HowTheSeriesEnds) {
    struct Case {
        const char* faults;
        int32_t last_seq;
        const char* feedback;
    };
    const Case cases[] = {
        {R"({"end_with":"pending"})", 10000, "SD_OP_PENDING"},
        {R"({"end_with":"cold_boot"})", 10000, "SD_ACTIVATE_CHANGES_COLD_BOOT"},
        {R"({"cancel":true})", -10000, "fb"},
    };
    Fetched("setup_settings.bin", "s");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.faults);
        fs::remove_all(dir_.path / "config");
        WriteBoard(std::string(R"({"faults":)") + c.faults + "}");
        ASSERT_EQ(Install(), 0u);
        std::vector<json> answers;
        ASSERT_EQ(Run(Request(), answers), 0u);
        EXPECT_EQ(answers.back()["iSeq"], c.last_seq);
        EXPECT_EQ(answers.back()["sFeedback"], c.feedback);
        const bool cancelled = c.last_seq == -10000;
        EXPECT_EQ(answers.size(), cancelled ? 1u : 2u);
        EXPECT_EQ(fs::exists(dir_.path / "config" / "setup_settings.bin"), !cancelled);
        EXPECT_EQ(Board().contains("last_action"), !cancelled) << "a cancel changes nothing";
    }
}

TEST_F(RestoreTest, Failures) {
    WriteBoard(R"({"faults":{"fail_at_step":1,"fail_reason":"0x83"}})");
    ASSERT_EQ(Install(), 0u);
    Fetched("logo.bin", "logo");
    std::vector<json> answers;
    EXPECT_EQ(Run(Request(), answers), Error(QMX2_OP_GENERIC, 0x83));
    EXPECT_EQ(answers.back()["iSeq"], 1) << "the failing call keeps its step";
    EXPECT_NE(answers.back()["sStatusInfo"], "");
    EXPECT_FALSE(fs::exists(dir_.path / "config" / "logo.bin"));

    // Nothing to restore: no area file at all, or none of the selected ones.
    WriteBoard("{}");
    fs::remove(source_ / "logo.bin");
    Fetched("debug_code.bin", "dbg");
    json record = Request();
    ASSERT_EQ(Call(record), 0u);
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_FILE_NOT_FOUND));
    EXPECT_NE(record["sStatusInfo"].get<std::string>().find("No configuration area file"), std::string::npos);
    Fetched("logo.bin", "logo");
    record = Request();
    record["iSeq"] = 1;
    record["PasswordArea"] = true;
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_FILE_NOT_FOUND));
    EXPECT_FALSE(fs::exists(dir_.path / "config" / "logo.bin"));
    EXPECT_FALSE(Board().contains("last_action"));
}

TEST_F(RestoreTest, Refusals) {
    json record = Request();
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_MODULE_NOT_INSTALLED));
    WriteBoard(R"({"capabilities":{"fConfigurationRestore":false}})");
    ASSERT_EQ(Install(), 0u);
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_NOT_IMPLEMENTED));
    WriteBoard("{}");

    record["iSeq"] = 1;
    record["sSourcePath"] = "";
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_PARAMETERS));
    record["sSourcePath"] = (dir_.path / "nowhere").string();
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_DIRECTORY));
    record["sSourcePath"] = source_.string();
    record["iSeq"] = 2;
    EXPECT_EQ(Call(record), Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_PARAMETERS)) << "a step it never gave";
}
