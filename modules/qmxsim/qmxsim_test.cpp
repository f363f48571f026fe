// The simulated board module, loaded with dlopen the way the kernel loads it.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "atomic_file.h"
#include "test_support.h"

using namespace qmxsim_test;

namespace {

// Runs a program with its error output discarded; its exit code, or -1.
int RunProgram(std::vector<std::string> args) {
    pid_t pid = ::fork();
    if (pid == 0) {
        int null_fd = ::open("/dev/null", O_WRONLY);
        if (null_fd >= 0) ::dup2(null_fd, STDERR_FILENO);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class QmxsimTest : public ModuleTest {};

TEST_F(QmxsimTest, InstallJudgesTheStateDirectory) {
    const uint32_t bad_file = Error(QMX2_OP_INSTALL, QMX2_REASON_INVALID_FILE);
    struct Case {  // board_json null: no board.json
        const char* name; const char* board_json; uint32_t expected; const char* request = "{}"; bool no_dir = false;
    } cases[] = {
        {"no state directory", nullptr, Error(QMX2_OP_INSTALL, QMX2_REASON_BOARD_NOT_SUPPORTED), "{}", true},
        {"empty directory", nullptr, 0},
        {"not JSON", "{board", bad_file},
        {"string of wrong type", R"({"board":5})", bad_file},
        {"reason out of range", R"({"faults":{"install_refuse_reason":256}})", bad_file},
        {"refusal by number", R"({"faults":{"install_refuse_reason":129}})", Error(QMX2_OP_INSTALL, 0x81)},
        {"refusal by text", R"({"faults":{"install_refuse_reason":"0x83"}})", Error(QMX2_OP_INSTALL, 0x83)},
        {"null is the default", R"({"board":null,"faults":{"install_refuse_reason":null}})", 0},
        {"request not a record", nullptr, Error(QMX2_OP_INSTALL, QMX2_REASON_INVALID_PARAMETERS), "[1]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(dir_.path / "board.json");
        if (c.board_json) WriteBoard(c.board_json);
        std::string state = c.no_dir ? (dir_.path / "missing").string() : dir_.path.string();
        ::setenv("QMXSIM_STATE", state.c_str(), 1);
        EXPECT_EQ(Install(c.request), c.expected);
        // Only an accepted install makes the module usable.
        std::string reply;
        EXPECT_EQ(api_.get_module_info(reply), Qmx2Failed(c.expected) ? Error(QMX2_OP_GET_MODULE_INFO, QMX2_REASON_MODULE_NOT_INSTALLED) : 0u);
    }
}

TEST_F(QmxsimTest, RootOnlyBoardRefusesUnprivilegedInstall) {
    for (bool require_root : {true, false}) {
        SCOPED_TRACE(require_root ? "root only" : "anyone");
        WriteBoard(json{{"require_root", require_root}}.dump());
        ::chmod((dir_.path / "board.json").c_str(), 0644);
        std::optional<uint32_t> status = InstallUnprivileged();
        if (!status) GTEST_SKIP() << "cannot run without root rights here";
        EXPECT_EQ(*status, require_root ? Error(QMX2_OP_INSTALL, QMX2_REASON_INSUFFICIENT_PRIVILEGES) : 0u);
    }
}

TEST_F(QmxsimTest, ModuleInfoHasEveryKeyFromTheState) {
    const json defaults = {
        {"fBiosUpdate", true}, {"fBiosShutdownForUpdate", false}, {"fConfigurationBackup", true},
        {"fConfigurationRestore", true}, {"fProgressInfo", true}, {"fDetailInfo", false},
        {"fListBupInfo", false}, {"fGetGenericModuleInfo", true}, {"fUpdateLogo", true},
        {"sBiosInfo", "1.00"}, {"sBiosID", ""}, {"sSystemInfo", "QMXSIM"}, {"sMeFirmwareVersion", ""},
        {"sSignOnInfo", ""}, {"sBiosInterfaceVersion", ""}, {"sCodeName", ""}, {"sBuildDate", ""}};
    json full = defaults, caps = json::object();
    for (auto& [key, value] : full.items())
        if (value.is_boolean()) caps[key] = !value.get<bool>();
    full.update(caps);
    full.update({{"sBiosInfo", "R1.12.0"}, {"sBiosID", "X9.112"}, {"sSystemInfo", "Board X9"},
                 {"sMeFirmwareVersion", "16.1.2"}, {"sSignOnInfo", "Hello"}, {"sBiosInterfaceVersion", "3"},
                 {"sCodeName", "Kite"}, {"sBuildDate", "2023-11-30"}});
    const json full_board = {{"board", "Board X9"}, {"bios_version", "R1.12.0"}, {"bios_id", "X9.112"},
                             {"me_firmware_version", "16.1.2"}, {"sign_on", "Hello"}, {"bios_interface_version", "3"},
                             {"code_name", "Kite"}, {"bios_build_date", "2023-11-30"}, {"capabilities", caps}};
    EXPECT_EQ(Install(), 0u);
    EXPECT_EQ(ModuleInfo(), defaults);
    // Read afresh on every call: the board may change while installed.
    WriteBoard(full_board.dump());
    EXPECT_EQ(ModuleInfo(), full);
}

TEST_F(QmxsimTest, UninstallNeedsAnInstall) {
    EXPECT_EQ(api_.uninstall(), Error(QMX2_OP_UNINSTALL, QMX2_REASON_MODULE_NOT_INSTALLED));
    ASSERT_EQ(Install(), 0u);
    EXPECT_EQ(api_.uninstall(), 0u);
    EXPECT_EQ(api_.uninstall(), Error(QMX2_OP_UNINSTALL, QMX2_REASON_MODULE_NOT_INSTALLED));
}

TEST_F(QmxsimTest, MessageTextNamesTheStatus) {
    const std::pair<uint32_t, std::string> cases[] = {
        {Error(QMX2_OP_INSTALL, QMX2_REASON_BOARD_NOT_SUPPORTED), "Error, Install, board not supported"},
        {Qmx2Status(QMX2_SEV_WARNING, 0x20, 0x40, 7), "Warning, operation 0x20, reason 0x40 (detail 0x0007)"}};
    for (const auto& [status, text] : cases) {
        std::string buf(api_.get_message_text(status, nullptr), 'x');  // its terminator slot takes the null
        EXPECT_EQ(api_.get_message_text(status, buf.data()), text.size());
        EXPECT_EQ(buf, text);
    }
}

TEST_F(QmxsimTest, MakeStateWritesABoardTheModuleReads) {
    fs::path dir = dir_.path / "made";
    ::setenv("QMXSIM_STATE", dir.c_str(), 1);
    ASSERT_EQ(RunProgram({QMXSIM_MAKE_STATE, dir.string(), "--board", R"(Lab "7" \ A)"}), 0);
    ASSERT_EQ(Install(), 0u);
    EXPECT_EQ(ModuleInfo()["sSystemInfo"], R"(Lab "7" \ A)");

    EXPECT_EQ(RunProgram({QMXSIM_MAKE_STATE, dir.string(), "--bogus"}), 2);
}

TEST_F(QmxsimTest, MakePackageWritesAPackageTheModuleAccepts) {
    if (std::string(QMXSIM_UNZIP).empty() || std::string(QMXSIM_ZIP).empty())
        GTEST_SKIP() << "zip or unzip missing";
    WriteBoard(R"({"board":"Lab \"7\" & >X","bios_version":"1.00"})");
    ASSERT_EQ(Install(), 0u);
    const std::string bup = (dir_.path / "new.bup").string(), out = (dir_.path / "out").string();
    ASSERT_EQ(RunProgram({QMXSIM_MAKE_PACKAGE, bup, "--board", "Other", "--board", R"(Lab "7" & >X)", "--bios",
                          "2.00", "--areas", "bios,logo", "--reboot", "both", "--date", "02-29-2024"}),
              0);
    ASSERT_EQ(RunProgram({QMXSIM_UNZIP, "-q", bup, "-d", out}), 0);
    EXPECT_TRUE(fs::exists(fs::path(out) / "bios.bin"));  // the image it names
    const std::string doc = Slurp(fs::path(out) / "BupInfo2.xml");
    EXPECT_NE(doc.find("<builddate>02-29-2024</builddate>"), std::string::npos);

    json v = Verdict(doc);
    EXPECT_EQ(v["Usability"], "USABILITY_MAJOR_VERSION");
    EXPECT_EQ(v["Consistency"], "CONSISTENCY_COMPLETE_VALID");
    EXPECT_EQ(v["sSystemInfo"], R"(Lab "7" & >X)");
    EXPECT_TRUE(v["fBiosUpdate"].get<bool>() && v["fLogoArea"].get<bool>() && v["fRebootForBiosUpdate"].get<bool>());
    EXPECT_EQ(v["PowerStatesAfterBiosUpdate"], "BUPINFO_POWER_S5");

    EXPECT_EQ(RunProgram({QMXSIM_MAKE_PACKAGE, bup, "--areas", "bios,flash"}), 2);
    EXPECT_EQ(RunProgram({QMXSIM_MAKE_PACKAGE, bup, "--image", "../x"}), 2);
    EXPECT_EQ(RunProgram({QMXSIM_MAKE_PACKAGE, bup, "--board", "a<b"}), 2) << "'<' cannot be carried";
}

TEST(QmxsimStateFiles, AtomicWriteReplacesWholeFileAndKeepsItsMode) {
    ScratchDir dir;
    const std::string file = (dir.path / "board.json").string();
    ASSERT_EQ(qmxsim::WriteFileAtomic(file, "old content"), 0);
    ::chmod(file.c_str(), 0600);
    ASSERT_EQ(qmxsim::WriteFileAtomic(file, "new"), 0);
    std::string text;
    ASSERT_EQ(qmxsim::ReadWholeFile(file, text), 0);
    EXPECT_EQ(text, "new");
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(qmxsim::WriteFileAtomic((dir.path / "no" / "f").string(), "x"), ENOENT);
    // No temporary file is left behind, after success or failure.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path), fs::directory_iterator()), 1);
}

}  // namespace
