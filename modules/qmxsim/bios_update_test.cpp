// QMX2_DoBiosUpdate through the loaded module, with the kernel's part
// (fetching the named files from the places allowed) played by the test.
#include "test_support.h"

#include <algorithm>

using namespace qmxsim_test;

namespace {

class UpdateTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        for (const fs::path& d : {package_, working_, common_, source_}) fs::create_directories(d);
        WriteBoard(R"({"board":"X1","bios_version":"1.00","unknown":{"kept":1}})");
    }

    // A BIOS 1.02 package for board X1 with its image and further elements.
    void Package(const std::string& elements) {
        Put(package_ / "BupInfo2.xml", "<bupinfo2><packtype>BIOS</packtype><board>X1</board><biosversion>1.02"
                                       "</biosversion><image>bios.bin</image>" + elements + "</bupinfo2>");
        Put(package_ / "bios.bin", image_);
    }

    static uint32_t Call(json& record) {
        return Invoke<PFN_QMX2_DO_BIOS_UPDATE>("QMX2_DoBiosUpdate", record, nullptr, 0);
    }

    // With a next file left over from an earlier job, as the kernel may send it.
    json Request(const json& more = json::object()) const {
        json r = Record({{"sSourcePath", source_.string()}, {"sNextFile", "old.bin"}, {"sPassword", ""},
                         {"NextFileLoc", "UPD_NEXT_FILE_CUR_DIR"}, {"BiosCodeArea", false}, {"LogoArea", false},
                         {"PasswordArea", false}, {"ExplicitAreaMode", false}});
        r.update(more);
        return r;
    }

    // The kernel: fetches the file asked for from the first place named that
    // holds it, and sends the password from the second call on.
    uint32_t Run(json record, std::vector<json>& answers, const std::string& password = "") {
        return Series(Call, record, answers, [&](json& r) {
            const std::string name = r["sNextFile"], where = r["NextFileLoc"];
            for (const auto& [place, dir] :
                 {std::pair{"_CUR_BUP", package_}, {"_CUR_DIR", working_}, {"_COMMON_BUP", common_}}) {
                if (name.empty() || where.find(place) == std::string::npos || !fs::exists(dir / name)) continue;
                fs::copy_file(dir / name, source_ / name, fs::copy_options::overwrite_existing);
                break;
            }
            r["sPassword"] = password;
        });
    }

    // Every file of the board: flash, board.json, config/, parts/, staging.
    std::vector<std::string> Snapshot() {
        std::vector<std::string> files;
        for (const auto& e : fs::recursive_directory_iterator(dir_.path))
            if (e.is_regular_file() && e.path().parent_path() != source_ && e.path().parent_path() != package_)
                files.push_back(e.path().string() + "=" + Slurp(e.path()));
        std::sort(files.begin(), files.end());
        return files;
    }

    const fs::path package_ = dir_.path / "pkg", working_ = dir_.path / "cwd", common_ = dir_.path / "common",
                   source_ = dir_.path / "fetched";
    const std::string image_ = std::string("\0\1\xff\r\n", 5) + std::string(70001, '\x5a');
};

}  // namespace

TEST_F(UpdateTest, FullRunWritesImagePartsAndAreasAtTheEnd) {
    WriteBoard(R"({"board":"X1","unknown":{"kept":1},
                   "part_location":"UPD_NEXT_FILE_CUR_DIR|UPD_NEXT_FILE_COMMON_BUP"})");
    ASSERT_EQ(Install(), 0u);
    Package("<area>bios</area><area>logo</area><part>me.bin</part><part>ec.bin</part>");
    Put(package_ / "me.bin", "not in the places asked");
    Put(working_ / "me.bin", "me, from the working directory");
    Put(common_ / "ec.bin", "ec, from a common package");
    Put(package_ / "logo.bin", "logo");
    std::vector<json> answers;
    ASSERT_EQ(Run(Request(), answers), 0u);

    std::vector<std::pair<int, std::string>> steps;
    for (const json& a : answers) steps.emplace_back(a["iSeq"], a["sNextFile"]);
    const std::vector<std::pair<int, std::string>> expected = {
        {1, "BupInfo2.xml"}, {2, "bios.bin"}, {3, ""}, {4, ""}, {5, ""}, {1000, "me.bin"}, {1001, "ec.bin"},
        {2000, "logo.bin"}, {3000, ""}, {10000, ""}};
    EXPECT_EQ(steps, expected);
    EXPECT_EQ(answers[5]["NextFileLoc"], "UPD_NEXT_FILE_COMMON_BUP | UPD_NEXT_FILE_CUR_DIR");
    EXPECT_EQ(answers[7]["NextFileLoc"], "UPD_NEXT_FILE_CUR_BUP");
    EXPECT_EQ(answers[3]["sStatusInfo"], "block 2 of 4");
    for (size_t i = 1; i < answers.size(); ++i) EXPECT_GT(answers[i]["ulProgress"], answers[i - 1]["ulProgress"]);
    EXPECT_EQ(answers.back()["ulProgress"], 10000);
    EXPECT_EQ(answers.back()["sStatusInfo"], "BIOS updated to 1.02");
    EXPECT_EQ(answers.back()["sFeedback"], "fb") << "keys it does not own come back as they came";

    EXPECT_EQ(Slurp(dir_.path / "flash.bin"), image_);
    EXPECT_FALSE(fs::exists(dir_.path / "flash.staging"));
    EXPECT_EQ(Slurp(dir_.path / "parts" / "me.bin"), "me, from the working directory");
    EXPECT_EQ(Slurp(dir_.path / "parts" / "ec.bin"), "ec, from a common package");
    EXPECT_EQ(Slurp(dir_.path / "config" / "logo.bin"), "logo");
    const json board = Board();
    EXPECT_EQ(board["unknown"]["kept"], 1);
    EXPECT_NE(board["last_action"]["accepted"], "");
    EXPECT_EQ(board["last_action"]["executed"], board["last_action"]["accepted"]);
    EXPECT_EQ(ModuleInfo()["sBiosInfo"], "1.02");
}

TEST_F(UpdateTest, HowTheSeriesEnds) {
    Package("");
    for (const auto& [faults, seq] : {std::pair{R"({"end_with":"cold_boot"})", 10001},
                                      {R"({"end_with":"pending"})", 10006}, {R"({"cancel":true})", -10000}}) {
        SCOPED_TRACE(faults);
        fs::remove(dir_.path / "flash.bin");
        WriteBoard(std::string(R"({"board":"X1","faults":)") + faults + "}");
        ASSERT_EQ(Install(), 0u);
        std::vector<json> answers;
        ASSERT_EQ(Run(Request(), answers), 0u);
        EXPECT_EQ(answers.back()["iSeq"], seq);
        EXPECT_EQ(answers.back()["sNextFile"], "") << "no stale file asked for";
        const bool cancelled = seq == -10000;
        EXPECT_EQ(answers.back()["ulProgress"], cancelled ? 0 : 10000);
        EXPECT_EQ(fs::exists(dir_.path / "flash.bin"), !cancelled);
        EXPECT_EQ(Board().value("last_action", json::object()).value("executed", "none"), cancelled ? "none" : "")
            << "a cancel writes nothing; a cold boot or pending operation is not yet in effect";
    }
}

TEST_F(UpdateTest, PasswordIsCheckedFromTheSecondCall) {
    WriteBoard(R"({"board":"X1","bios_password":"s3cret"})");
    ASSERT_EQ(Install(), 0u);
    Package("");
    for (const char* wrong : {"", "S3CRET"}) {
        std::vector<json> answers;
        EXPECT_EQ(Run(Request(), answers, wrong), Error(QMX2_OP_DO_BIOS_UPDATE, QMX2_REASON_INVALID_PASSWORD));
        EXPECT_EQ(answers.size(), 2u) << "the start passes without it";
        EXPECT_EQ(answers.back()["iSeq"], 1) << "the refused call comes back as it came";
    }
    std::vector<json> answers;
    ASSERT_EQ(Run(Request(), answers, "s3cret"), 0u);
    EXPECT_EQ(Slurp(dir_.path / "flash.bin"), image_);
}

TEST_F(UpdateTest, FailuresChangeNothing) {
    ASSERT_EQ(Install(), 0u);
    Put(dir_.path / "flash.bin", "old flash");
    fs::create_directories(dir_.path / "config");
    Put(dir_.path / "config" / "setup_settings.bin", "old setup");
    const std::string fault = R"({"board":"X1","faults":{"fail_reason":"0x83","fail_at_step":)";
    const uint32_t lost = Error(QMX2_OP_DO_BIOS_UPDATE, QMX2_REASON_INVALID_FILE);
    struct Case { std::string board; const char* missing; uint32_t status; const char* why; } cases[] = {
        {fault + "3}}", "", Error(QMX2_OP_DO_BIOS_UPDATE, 0x83), "BIOS update failed at step 3"},
        {fault + "3000}}", "", Error(QMX2_OP_DO_BIOS_UPDATE, 0x83), "BIOS update failed at step 3000"},
        // A part or the image the kernel could not find.
        {R"({"board":"X1"})", "me.bin", lost, "part 'me.bin' is missing"},
        {R"({"board":"X1"})", "bios.bin", lost, "image 'bios.bin' is missing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        WriteBoard(c.board);
        fs::remove_all(source_);
        fs::create_directories(source_);
        Package("<area>bios</area><area>setup</area><part>me.bin</part>");
        Put(package_ / "setup_settings.bin", "new setup");
        Put(package_ / "me.bin", "me");
        if (*c.missing) fs::remove(package_ / c.missing);
        const std::vector<std::string> before = Snapshot();
        std::vector<json> answers;
        EXPECT_EQ(Run(Request(), answers), c.status);
        EXPECT_EQ(answers.back()["sStatusInfo"], c.why);
        EXPECT_EQ(Snapshot(), before) << "no staging file left, nothing committed";
    }
}

TEST_F(UpdateTest, AreaFlagsSelectWhatIsWritten) {
    ASSERT_EQ(Install(), 0u);
    Package("<area>bios</area><area>setup</area><area>logo</area><part>me.bin</part>");
    for (const char* name : {"setup_settings.bin", "logo.bin", "me.bin"}) Put(package_ / name, name);
    std::vector<json> answers;
    ASSERT_EQ(Run(Request({{"LogoArea", true}}), answers), 0u);
    EXPECT_EQ(answers.size(), 4u) << "description, logo, commit, end";
    EXPECT_EQ(answers.back()["sStatusInfo"], "1 configuration area updated");
    EXPECT_EQ(Slurp(dir_.path / "config" / "logo.bin"), "logo.bin");
    EXPECT_FALSE(fs::exists(dir_.path / "config" / "setup_settings.bin"));
    EXPECT_FALSE(fs::exists(dir_.path / "flash.bin") || fs::exists(dir_.path / "parts"));
    EXPECT_EQ(ModuleInfo()["sBiosInfo"], "1.00") << "the BIOS code was not written";

    // The package carries no password area.
    EXPECT_EQ(Run(Request({{"PasswordArea", true}}), answers), Error(QMX2_OP_DO_BIOS_UPDATE, QMX2_REASON_INVALID_PARAMETERS));
}

TEST_F(UpdateTest, Refusals) {
    ASSERT_EQ(Install(), 0u);
    const std::pair<const char*, const char*> packages[] = {
        {"<board>X2</board><image>b.bin</image>", "not for board X1"},
        {"<board>X1</board>", "no BIOS image"},
        {"<board>X1</board><image>b.bin</image><part>B.BIN</part>", "named twice"}};
    json record = Request({{"iSeq", 1}});
    for (const auto& [doc, why] : packages) {
        Put(source_ / "BupInfo2.xml",
            std::string("<bupinfo2><packtype>BIOS</packtype><biosversion>1.02</biosversion>") + doc + "</bupinfo2>");
        EXPECT_EQ(Call(record), Error(QMX2_OP_DO_BIOS_UPDATE, QMX2_REASON_INVALID_FILE)) << why;
        EXPECT_NE(record["sStatusInfo"].get<std::string>().find(why), std::string::npos) << record["sStatusInfo"];
    }

    Package("");
    fs::copy(package_, source_, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    for (int seq : {7, 3}) {  // a step it never gives; block 2 before block 1
        record["iSeq"] = seq;
        EXPECT_EQ(Call(record), Error(QMX2_OP_DO_BIOS_UPDATE, QMX2_REASON_INVALID_PARAMETERS)) << seq;
    }
    record["iSeq"] = 1;
    record["sSourcePath"] = (dir_.path / "nowhere").string();
    EXPECT_EQ(Call(record), Error(QMX2_OP_DO_BIOS_UPDATE, QMX2_REASON_INVALID_DIRECTORY));
    WriteBoard(R"({"part_location":"UPD_NEXT_FILE_CUR_BUP | UPD_NEXT_FILE_ELSEWHERE"})");
    EXPECT_EQ(Install(), Error(QMX2_OP_INSTALL, QMX2_REASON_INVALID_FILE));
}

// The image goes to the staging file block by block through a fixed buffer;
// a block out of turn, or an image that changes between calls, is refused and
// leaves nothing behind.
TEST_F(UpdateTest, ImageStreamsInOrderAndMayNotChange) {
    ASSERT_EQ(Install(), 0u);
    Put(dir_.path / "flash.bin", "old flash");
    std::string big(3 * 1024 * 1024 + 7, '\0');
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 131) ^ (i >> 9));
    Package("");
    Put(package_ / "bios.bin", big);
    std::vector<json> answers;
    ASSERT_EQ(Run(Request(), answers), 0u);
    EXPECT_TRUE(Slurp(dir_.path / "flash.bin") == big) << "blocks larger than the buffer, a size not divisible by 4";

    const std::vector<std::string> before = Snapshot();
    json out_of_turn = Request({{"iSeq", 3}});
    fs::copy_file(package_ / "BupInfo2.xml", source_ / "BupInfo2.xml", fs::copy_options::overwrite_existing);
    fs::copy_file(package_ / "bios.bin", source_ / "bios.bin", fs::copy_options::overwrite_existing);
    EXPECT_EQ(Call(out_of_turn), Error(QMX2_OP_DO_BIOS_UPDATE, QMX2_REASON_INVALID_PARAMETERS));
    EXPECT_EQ(out_of_turn["sStatusInfo"], "block 2 does not follow the blocks written");
    EXPECT_EQ(Snapshot(), before);

    std::string changed = big;
    changed[10] ^= 1;  // in block 1, already written when it changes; the size stays
    answers.clear();
    const uint32_t status = Series(Call, Request(), answers, [&](json& r) {
        const std::string name = r["sNextFile"];
        if (!name.empty()) fs::copy_file(package_ / name, source_ / name, fs::copy_options::overwrite_existing);
        if (r["iSeq"] == 4) Put(source_ / "bios.bin", changed);
    });
    EXPECT_EQ(status, Error(QMX2_OP_DO_BIOS_UPDATE, QMX2_REASON_INVALID_FILE));
    EXPECT_EQ(answers.back()["sStatusInfo"], "image 'bios.bin' changed during the update");
    EXPECT_EQ(Snapshot(), before) << "no staging file left, the flash as it was";
}
