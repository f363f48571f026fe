// The commit point of the board's state, crashed at every file operation: a
// recovery afterwards always finds the complete old or the complete new state.
#include "state_commit.h"

#include <signal.h>

#include "atomic_file.h"
#include "crash_point.h"
#include "flash_checksum.h"
#include "state.h"
#include "test_support.h"

using namespace qmxsim_test;

namespace {

const std::vector<std::pair<std::string, std::string>> kOld = {
    {"board.json", "{\"bios_version\": \"1.00\"}\n"}, {"flash.bin", "old image"}, {"config/logo.bin", "old logo"}};
const std::vector<std::pair<std::string, std::string>> kNew = {
    {"board.json", "{\"bios_version\": \"1.01\"}\n"}, {"flash.bin", "new image"}, {"config/logo.bin", "new logo"},
    {"parts/ec.bin", "new part"}};

void Lay(const fs::path& dir, const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& [rel, bytes] : files) {
        fs::create_directories((dir / rel).parent_path());
        Put(dir / rel, bytes);
    }
}

// "old", "new", or what was found instead.
std::string WhichState(const fs::path& dir) {
    auto matches = [&](const std::vector<std::pair<std::string, std::string>>& files) {
        for (const auto& [rel, bytes] : files)
            if (Slurp(dir / rel) != bytes) return false;
        return true;
    };
    if (matches(kNew)) return "new";
    if (matches(kOld) && !fs::exists(dir / "parts/ec.bin")) return "old";
    std::string found;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file()) found += e.path().lexically_relative(dir).string() + "=" + Slurp(e.path()) + " ";
    return found;
}

void CommitNew(const fs::path& dir) {
    qmxsim::StateCommit commit(dir.string());
    for (const auto& [rel, bytes] : kNew)
        if (rel != "flash.bin" && commit.Add(rel, bytes) != 0) std::_Exit(3);
    Put(dir / "flash.staging", "new image");
    if (commit.AddFile("flash.bin", (dir / "flash.staging").string()) != 0) std::_Exit(4);
    std::_Exit(commit.Commit() == 0 ? 0 : 5);
}

}  // namespace

TEST(StateCommit, ACrashAtAnyFileOperationLeavesTheOldOrTheNewState) {
    int saw_old = 0, saw_new = 0;
    for (int n = 1;; ++n) {
        ASSERT_LT(n, 200) << "the commit never ran to its end";
        ScratchDir dir;
        Lay(dir.path, kOld);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::setenv("QMXSIM_CRASH_AT_OP", std::to_string(n).c_str(), 1);
            qmxsim::CrashCountReset();
            CommitNew(dir.path);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
        ASSERT_TRUE(killed || (WIFEXITED(status) && WEXITSTATUS(status) == 0)) << "at op " << n << ": " << status;
        ASSERT_EQ(qmxsim::StateRecover(dir.path.string()), 0) << "at op " << n;
        const std::string state = WhichState(dir.path);
        ASSERT_TRUE(state == "old" || state == "new") << "at op " << n << ": " << state;
        (state == "old" ? saw_old : saw_new)++;
        for (const auto& e : fs::recursive_directory_iterator(dir.path))
            ASSERT_EQ(e.path().string().find(".commit"), std::string::npos) << "left behind at op " << n;
        ASSERT_FALSE(fs::exists(dir.path / qmxsim::kJournalFile)) << "at op " << n;
        ASSERT_FALSE(fs::exists(dir.path / "flash.staging")) << "at op " << n;
        if (!killed) break;
    }
    EXPECT_GT(saw_old, 1) << "crashes before the commit point";
    EXPECT_GT(saw_new, 1) << "crashes after it";
}

TEST(StateCommit, RecoveryDropsWhatNoCommitNames) {
    ScratchDir dir;
    Lay(dir.path, kOld);
    Put(dir.path / "config/logo.bin.commit", "staged, never committed");
    Put(dir.path / "board.json.tmp.Ab12Cd", "half written");
    Put(dir.path / qmxsim::kJournalFile, "{\"files\": [\"../../etc/passwd\"]}");
    ASSERT_EQ(qmxsim::StateRecover(dir.path.string()), 0);
    EXPECT_EQ(WhichState(dir.path), "old");
    EXPECT_FALSE(fs::exists(dir.path / "config/logo.bin.commit"));
    EXPECT_FALSE(fs::exists(dir.path / "board.json.tmp.Ab12Cd"));
    EXPECT_FALSE(fs::exists(dir.path / qmxsim::kJournalFile)) << "a journal naming paths outside is no journal";

    qmxsim::StateCommit abandoned(dir.path.string());
    EXPECT_EQ(abandoned.Add("../escape", "x"), EINVAL);
    EXPECT_EQ(abandoned.Add("config/logo.bin", "never committed"), 0);
}

TEST(StateCommit, DamageIsToldWhenTheFlashIsNotWhatTheBoardRecords) {
    ScratchDir dir;
    const std::string d = dir.path.string();
    Put(dir.path / "flash.bin", "image 1.01");
    std::string sum;
    ASSERT_EQ(qmxsim::FlashChecksum(d + "/flash.bin", sum), 0);
    std::string text;
    qmxsim::FlashRecord flash{"1.01", sum, {"ec.bin"}, ""};
    ASSERT_EQ(qmxsim::BoardFileText(d, flash, {}, text), 0);
    Put(dir.path / "board.json", text);
    EXPECT_NE(qmxsim::StateDamage(d).find("part ec.bin of BIOS 1.01 is missing"), std::string::npos);
    fs::create_directories(dir.path / "parts");
    Put(dir.path / "parts/ec.bin", "part");
    EXPECT_EQ(qmxsim::StateDamage(d), "");
    Put(dir.path / "flash.bin", "image 1.00");
    EXPECT_NE(qmxsim::StateDamage(d).find("does not hold the image recorded for BIOS 1.01"), std::string::npos);
    fs::remove(dir.path / "flash.bin");
    EXPECT_NE(qmxsim::StateDamage(d).find("flash.bin cannot be read"), std::string::npos);
    Put(dir.path / "board.json", "{\"bios_version\": \"1.00\"}");
    EXPECT_EQ(qmxsim::StateDamage(d), "") << "a board made by hand records nothing to check";
}
