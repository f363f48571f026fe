// QMX2_CheckBupInfo through the loaded module: the verdict on package descriptions.
#include <random>
#include <string>
#include <vector>

#include "test_support.h"

using namespace qmxsim_test;

namespace {

const uint32_t kInvalidFile = Error(QMX2_OP_CHECK_BUP_INFO, QMX2_REASON_INVALID_FILE);

std::string Doc(const std::string& body) {
    return "<bupinfo2>" + body + "</bupinfo2>";
}

// A complete BIOS package for board X1; extra elements follow.
std::string Bios(const std::string& version, const std::string& extra = "") {
    return Doc("<packtype>BIOS</packtype><builddate>01-15-2024</builddate><board>X1</board>"
               "<biosversion>" + version + "</biosversion><image>bios.bin</image>" + extra);
}

std::string Config(const std::string& version, const std::string& extra = "") {
    return Doc("<packtype>CONFIG</packtype><board>X1</board><biosversion>" + version + "</biosversion>" + extra);
}

class CheckBupInfoTest : public ModuleTest {
protected:
    void SetUp() override {
        ModuleTest::SetUp();
        WriteBoard(R"({"board":"X1","bios_version":"2.05"})");
        ASSERT_EQ(Install(), 0u);
    }

    // The verdict, with every key the kernel reads.
    json Judged(const std::string& doc, uint32_t expected_status = 0) {
        json v = Verdict(doc, expected_status);
        EXPECT_EQ(v.size(), 19u) << v.dump();
        return v;
    }
};

TEST_F(CheckBupInfoTest, UsabilityComparesWithTheBoardsBios) {
    struct Case { const char* name; std::string doc; const char* usability; const char* consistency; };
    const char* complete = "CONSISTENCY_COMPLETE_VALID";
    const char* unknown = "CONSISTENCY_UNKNOWN_OR_INVALID";
    const std::string other_board =
        Doc("<packtype>BIOS</packtype><board>Y1</board><board>x1</board><biosversion>9</biosversion>");
    const Case cases[] = {
        {"newer", Bios("2.06"), "USABILITY_NEWER_VERSION", complete},
        {"major", Bios("3.00"), "USABILITY_MAJOR_VERSION", complete},
        {"equal", Bios("R2.5"), "USABILITY_EQUAL_VERSION", complete},
        {"older", Bios("2.04"), "USABILITY_OLDER_VERSION", complete},
        {"older, board below the boundary", Bios("1.00", "<obsoletefrom>2.06</obsoletefrom>"),
         "USABILITY_OLDER_VERSION", complete},
        {"obsolete", Bios("1.00", "<obsoletefrom>2.05</obsoletefrom>"), "USABILITY_OBSOLETE_VERSION", unknown},
        {"one of several boards", Bios("2.06", "<board>Y1</board>"), "USABILITY_NEWER_VERSION", complete},
        {"other board", other_board, "USABILITY_INCOMPATIBLE_VERSION", unknown},
        {"unknown package type", Doc("<packtype>ME</packtype>"), "USABILITY_INCOMPATIBLE_VERSION", unknown},
        {"settings of this BIOS", Config("2.05"), "USABILITY_EQUAL_VERSION", complete},
        {"settings of another BIOS", Config("2.04"), "USABILITY_INCOMPATIBLE_VERSION", unknown},
        {"settings that fit any BIOS", Config("2.04", "<nvramcrossupdate>yes</nvramcrossupdate>"),
         "USABILITY_OLDER_VERSION", complete},
        {"common archive", Doc("<packtype>QUILLMARK_COMMON_ARCHIVE</packtype>"), "USABILITY_EQUAL_VERSION",
         "CONSISTENCY_INCOMPLETE_INVALID"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        json v = Judged(c.doc);
        EXPECT_EQ(v["Usability"], c.usability);
        EXPECT_EQ(v["Consistency"], c.consistency);
        EXPECT_FALSE(v["fSkipBiosCompare"].get<bool>());
    }
    json v = Judged(Bios("R2.06"));
    EXPECT_EQ(v["sBiosInfo"], "R2.06");
    EXPECT_EQ(v["sSystemInfo"], "X1");
    EXPECT_EQ(Judged(other_board)["sSystemInfo"], "Y1, x1");

    // A secure-platform package: fine on such a board, refused on one without;
    // the board is read afresh on every call.
    EXPECT_EQ(Judged(Bios("2.06", "<secureplatform>true</secureplatform>"))["Usability"], "USABILITY_NEWER_VERSION");
    WriteBoard(R"({"board":"X1","bios_version":"2.05","secure_platform":false})");
    v = Judged(Bios("2.06", "<secureplatform>true</secureplatform>"));
    EXPECT_EQ(v["Usability"], "E_BUPINFO_USABILITY_SECURE_PLATFORM_UPDATE_REQUIRED");
    EXPECT_EQ(v["Consistency"], "CONSISTENCY_UNKNOWN_OR_INVALID");
    EXPECT_EQ(Judged(Bios("2.06"))["Usability"], "USABILITY_NEWER_VERSION") << "packages that ask for nothing";
}

// The document as the kernel sends it with the option: rewritten in its own
// layout with the parameter as the root's last child.
std::string WithSkip(const std::string& doc) {
    std::string out = doc.substr(0, doc.size() - 11);
    return out + "\r\n   <Parameter>\r\n      <SkipBiosCompare>true</SkipBiosCompare>\r\n   </Parameter>\r\n</bupinfo2>\r\n";
}

TEST_F(CheckBupInfoTest, SkipBiosCompareMakesAnyVersionUsableWithoutOverwrite) {
    for (const std::string& doc : {Bios("1.00", "<obsoletefrom>2.00</obsoletefrom>"), Bios("2.05"), Bios("3.0"),
                                   Config("1.00")}) {
        SCOPED_TRACE(doc);
        json v = Judged(WithSkip(doc));
        EXPECT_EQ(v["Usability"], "USABILITY_NEWER_VERSION");
        EXPECT_EQ(v["Consistency"], "CONSISTENCY_COMPLETE_VALID");
        EXPECT_TRUE(v["fSkipBiosCompare"].get<bool>());
    }
    // The board must still match, and a false parameter changes nothing.
    EXPECT_EQ(Judged(WithSkip(Doc("<packtype>BIOS</packtype><board>Y1</board><biosversion>1</biosversion>")))["Usability"],
              "USABILITY_INCOMPATIBLE_VERSION");
    EXPECT_EQ(Judged(Bios("1.00", "<Parameter><SkipBiosCompare>false</SkipBiosCompare></Parameter>"))["Usability"],
              "USABILITY_OLDER_VERSION");

    // A board version that is no version can only be passed over.
    WriteBoard(R"({"board":"X1","bios_version":"custom build"})");
    EXPECT_EQ(Judged(Bios("2.06"))["Usability"], "USABILITY_INCOMPATIBLE_VERSION");
    EXPECT_EQ(Judged(WithSkip(Bios("2.06")))["Usability"], "USABILITY_NEWER_VERSION");
}

TEST_F(CheckBupInfoTest, ConsistencyFromTheDeclarationAndTheParts) {
    const std::pair<std::string, const char*> cases[] = {
        {Bios("2.06", "<consistency>incomplete</consistency>"), "CONSISTENCY_INCOMPLETE_VALID"},
        {Bios("2.06", "<consistency>Incomplete_By_User</consistency>"), "CONSISTENCY_INCOMPLETE_VALID_BY_USER"},
        {Bios("2.06", "<consistency>incomplete_invalid</consistency>"), "CONSISTENCY_INCOMPLETE_INVALID"},
        {Bios("2.06", "<consistency>damaged</consistency>"), "CONSISTENCY_DEMAGED"},
        // The BIOS area needs its image; a worse state wins over the declared one.
        {Config("2.05", "<area>bios</area>"), "CONSISTENCY_INCOMPLETE_INVALID"},
        {Config("2.05", "<area>bios</area><consistency>incomplete</consistency>"), "CONSISTENCY_INCOMPLETE_INVALID"},
        // Damaged descriptions: whatever else they say.
        {Doc("<board>X1</board><biosversion>2.06</biosversion>"), "CONSISTENCY_DEMAGED"},
        {Doc("<packtype>BIOS</packtype><biosversion>2.06</biosversion>"), "CONSISTENCY_DEMAGED"},
        {Doc("<packtype>BIOS</packtype><board>X1</board>"), "CONSISTENCY_DEMAGED"},
        {Bios("2.x"), "CONSISTENCY_DEMAGED"},
        {Bios("2.06", "<biosversion>2.07</biosversion>"), "CONSISTENCY_DEMAGED"},
        {Bios("2.06", "<area>flash</area>"), "CONSISTENCY_DEMAGED"},
        {Bios("2.06", "<rebootafter>maybe</rebootafter>"), "CONSISTENCY_DEMAGED"},
        {Bios("2.06", "<powerafterbios>S7</powerafterbios>"), "CONSISTENCY_DEMAGED"},
        {Bios("2.06", "<part>../../etc/passwd</part>"), "CONSISTENCY_DEMAGED"},
        // Cut short: taken with what was read, as the kernel takes it.
        {Bios("2.06").substr(0, Bios("2.06").find("<biosversion>")), "CONSISTENCY_DEMAGED"},
        {Bios("2.06", "<Parameter><SkipBiosCompare>please</SkipBiosCompare></Parameter>"), "CONSISTENCY_DEMAGED"},
        {Doc("<packtype>BIOS</packtype><board>Y1</board><biosversion>2.06</biosversion><area>x</area>"),
         "CONSISTENCY_DEMAGED"},
    };
    for (const auto& [doc, consistency] : cases) {
        SCOPED_TRACE(doc);
        json v = Judged(doc);
        EXPECT_EQ(v["Consistency"], consistency);
        if (v["Consistency"] == "CONSISTENCY_DEMAGED") {
            // Nothing of a damaged description is trusted.
            EXPECT_FALSE(v["fBiosUpdate"].get<bool>());
            EXPECT_EQ(v["sBiosInfo"], "");
        } else {
            EXPECT_NE(v["Usability"], "USABILITY_INCOMPATIBLE_VERSION");
        }
    }
}

TEST_F(CheckBupInfoTest, UnreadableDocumentsAreInvalidFiles) {
    std::mt19937 rng(7);
    std::string noise(300, '\0');
    for (char& c : noise) c = static_cast<char>(rng() % 256);
    const std::string good = Bios("2.06");
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"not XML", "BIOS 2.06 for X1"},
        {"other root", "<bupinfo><packtype>BIOS</packtype></bupinfo>"},
        {"random bytes", noise},
        {"declaration", "<?xml version=\"1.0\"?>" + good},
        {"end tag in another case", Doc("<packtype>BIOS</PackType>")},
    };
    for (const auto& [name, doc] : cases) {
        SCOPED_TRACE(name);
        json v = Judged(doc, kInvalidFile);
        EXPECT_EQ(v["Consistency"], "CONSISTENCY_DEMAGED");
        EXPECT_FALSE(v["fBiosUpdate"].get<bool>());
    }
    std::string reply;
    EXPECT_EQ(api_.check_bup_info(nullptr, 0, reply), kInvalidFile);
    EXPECT_EQ(api_.check_bup_info(nullptr, 5, reply), Error(QMX2_OP_CHECK_BUP_INFO, QMX2_REASON_INVALID_PARAMETERS));
    EXPECT_EQ(json::parse(reply).size(), 19u);
}

TEST_F(CheckBupInfoTest, AreasRebootAndPowerStatesReachTheVerdict) {
    // Flags in the order of the expected bit strings below.
    const char* flags[] = {"fBiosUpdate", "fNvramUpdate", "fSetupSettingsArea", "fLogoArea", "fPasswordArea",
                           "fBootOrderVariablesArea", "fSystemDataArea", "fDebugCodeArea"};
    const std::pair<std::string, std::string> cases[] = {
        {Bios("2.06"), "10000000"},
        {Config("2.05"), "01100000"},  // the default areas of each type
        {Bios("2.06", "<area>BIOS</area><area>setup</area><area>logo</area><area>password</area>"
                      "<area>bootorder</area><area>systemdata</area><area>debugcode</area>"),
         "11111111"},
        {Bios("2.06", "<area>password</area><area>password</area>"), "01001000"},
        {Bios("2.06", "<area>debugcode</area>"), "00000001"},  // not configuration data
    };
    for (const auto& [doc, expected] : cases) {
        json v = Judged(doc);
        std::string got;
        for (const char* flag : flags) got += v[flag].get<bool>() ? '1' : '0';
        EXPECT_EQ(got, expected) << doc;
    }

    json v = Judged(Bios("2.06"));
    for (const char* key : {"fRebootForBiosUpdate", "fRebootForNvramUpdate", "fNvramCrossUpdateSupported"})
        EXPECT_FALSE(v[key].get<bool>()) << key;
    for (const char* key : {"LowestPowerState", "PowerStatesAfterBiosUpdate", "PowerStatesAfterNvramUpdate"})
        EXPECT_EQ(v[key], "BUPINFO_POWER_ALL") << key;

    // A reboot before the update concerns only the kinds of update it carries.
    v = Judged(Bios("2.06", "<rebootbefore>true</rebootbefore><nvramcrossupdate>1</nvramcrossupdate>"));
    EXPECT_TRUE(v["fRebootForBiosUpdate"].get<bool>());
    EXPECT_FALSE(v["fRebootForNvramUpdate"].get<bool>());
    EXPECT_TRUE(v["fNvramCrossUpdateSupported"].get<bool>());
    v = Judged(Bios("2.06", "<rebootbefore>YES</rebootbefore><area>bios</area><area>setup</area>"));
    EXPECT_TRUE(v["fRebootForBiosUpdate"].get<bool>() && v["fRebootForNvramUpdate"].get<bool>());

    // A restart afterwards leaves only S5; explicit states win.
    v = Judged(Bios("2.06", "<rebootafter>true</rebootafter><powerafternvram>s3</powerafternvram>"
                            "<lowestpowerstate>S4</lowestpowerstate>"));
    EXPECT_EQ(v["PowerStatesAfterBiosUpdate"], "BUPINFO_POWER_S5");
    EXPECT_EQ(v["PowerStatesAfterNvramUpdate"], "BUPINFO_POWER_S3");
    EXPECT_EQ(v["LowestPowerState"], "BUPINFO_POWER_S4");
}

TEST_F(CheckBupInfoTest, RefusalsStillCarryAWholeVerdict) {
    WriteBoard(R"({"board":"X1","bios_version":"2.05","faults":{"check_refuse_reason":"0x81"}})");
    EXPECT_EQ(Judged(Bios("2.06"), Error(QMX2_OP_CHECK_BUP_INFO, 0x81))["Usability"],
              "USABILITY_INCOMPATIBLE_VERSION");
    WriteBoard(R"({"board":"X1","faults":{"check_refuse_reason":256}})");
    Judged(Bios("2.06"), Error(QMX2_OP_CHECK_BUP_INFO, QMX2_REASON_INVALID_FILE));

    ASSERT_EQ(api_.uninstall(), 0u);
    Judged(Bios("2.06"), Error(QMX2_OP_CHECK_BUP_INFO, QMX2_REASON_MODULE_NOT_INSTALLED));
}

}  // namespace
