// The one commit point of the board's state. The files a job changes are
// staged beside their targets (NAME.commit), then a journal naming them all
// is renamed into the state directory: that rename is the commit. The staged
// files then replace their targets and the journal goes. A crash before the
// journal's rename leaves the old state and staged leftovers; a crash after
// it leaves a journal that StateRecover finishes. Either way a reader that
// recovers first sees the complete old or the complete new state.
#pragma once

#include <string>
#include <vector>

namespace qmxsim {

constexpr const char kJournalFile[] = "commit.json";
constexpr const char kStagedSuffix[] = ".commit";

class StateCommit {
public:
    explicit StateCommit(std::string state_dir) : dir_(std::move(state_dir)) {}
    StateCommit(const StateCommit&) = delete;
    StateCommit& operator=(const StateCommit&) = delete;
    // Staged files of a commit that never happened are removed.
    ~StateCommit();

    // Stages bytes to replace rel, a path below the state directory such as
    // "config/logo.bin"; the target's mode is kept. 0 or the errno.
    int Add(const std::string& rel, const std::string& bytes);
    // Stages a file already written in the state directory by moving it.
    int AddFile(const std::string& rel, const std::string& path);
    // The commit point, then the replacement. 0 or the errno; after a failure
    // past the commit point, StateRecover finishes the job.
    int Commit();

private:
    std::string dir_;
    std::vector<std::string> staged_;
    bool committed_ = false;
};

// Finishes a commit a crash interrupted, then removes staged and temporary
// files no commit names. The module calls it at install. 0 or the errno.
int StateRecover(const std::string& state_dir);

// Whether rel is a plain relative path below the state directory.
bool IsStatePath(const std::string& rel);

}  // namespace qmxsim
