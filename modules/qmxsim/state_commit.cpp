#include "state_commit.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>

#include <nlohmann/json.hpp>

#include "atomic_file.h"
#include "crash_point.h"

namespace qmxsim {

namespace {

using json = nlohmann::json;

// The folders that hold state files, below the state directory.
const char* const kStateFolders[] = {"", "config", "parts"};

std::string ParentOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

// Makes a rename in the folder durable.
int SyncFolder(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno;
    CrashPoint();
    const int err = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return err;
}

// Moves every staged file over its target; those already moved are skipped,
// so a second run after a crash finishes the first.
int Apply(const std::string& dir, const std::vector<std::string>& rels) {
    std::set<std::string> folders;
    for (const std::string& rel : rels) {
        const std::string target = dir + "/" + rel;
        CrashPoint();
        if (::rename((target + kStagedSuffix).c_str(), target.c_str()) != 0 && errno != ENOENT) return errno;
        folders.insert(ParentOf(target));
    }
    for (const std::string& folder : folders)
        if (const int err = SyncFolder(folder)) return err;
    CrashPoint();
    if (::unlink((dir + "/" + kJournalFile).c_str()) != 0 && errno != ENOENT) return errno;
    return SyncFolder(dir);
}

bool EndsWith(const std::string& s, const char* suffix) {
    const std::string t = suffix;
    return s.size() >= t.size() && s.compare(s.size() - t.size(), t.size(), t) == 0;
}

// A leftover of an interrupted job: never state.
bool IsLeftover(const std::string& name) {
    return EndsWith(name, kStagedSuffix) || name.find(".tmp.") != std::string::npos || name == "flash.staging";
}

int RemoveLeftovers(const std::string& dir) {
    for (const char* folder : kStateFolders) {
        const std::string path = *folder ? dir + "/" + folder : dir;
        DIR* d = ::opendir(path.c_str());
        if (!d) continue;
        std::vector<std::string> names;
        while (const dirent* e = ::readdir(d))
            if (IsLeftover(e->d_name)) names.emplace_back(e->d_name);
        ::closedir(d);
        for (const std::string& name : names) {
            CrashPoint();
            if (::unlink((path + "/" + name).c_str()) != 0 && errno != ENOENT) return errno;
        }
    }
    return 0;
}

}  // namespace

bool IsStatePath(const std::string& rel) {
    if (rel.empty() || rel.front() == '/' || rel.back() == '/') return false;
    size_t start = 0;
    while (start <= rel.size()) {
        size_t end = rel.find('/', start);
        if (end == std::string::npos) end = rel.size();
        const std::string part = rel.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return false;
        start = end + 1;
    }
    return true;
}

StateCommit::~StateCommit() {
    if (committed_) return;
    for (const std::string& rel : staged_) ::unlink((dir_ + "/" + rel + kStagedSuffix).c_str());
}

int StateCommit::Add(const std::string& rel, const std::string& bytes) {
    if (!IsStatePath(rel)) return EINVAL;
    const std::string target = dir_ + "/" + rel;
    const std::string parent = ParentOf(target);
    CrashPoint();
    if (::mkdir(parent.c_str(), 0755) != 0 && errno != EEXIST) return errno;
    if (const int err = WriteFileAtomic(target + kStagedSuffix, bytes, target)) return err;
    staged_.push_back(rel);
    return 0;
}

int StateCommit::AddFile(const std::string& rel, const std::string& path) {
    if (!IsStatePath(rel)) return EINVAL;
    const std::string target = dir_ + "/" + rel;
    struct stat st {};
    CrashPoint();
    if (::stat(target.c_str(), &st) == 0 && ::chmod(path.c_str(), st.st_mode & 07777) != 0) return errno;
    CrashPoint();
    if (::rename(path.c_str(), (target + kStagedSuffix).c_str()) != 0) return errno;
    staged_.push_back(rel);
    return 0;
}

int StateCommit::Commit() {
    if (staged_.empty()) return 0;
    // Staged files must be on disk before the journal that names them.
    std::set<std::string> folders;
    for (const std::string& rel : staged_) folders.insert(ParentOf(dir_ + "/" + rel));
    for (const std::string& folder : folders)
        if (const int err = SyncFolder(folder)) return err;
    if (const int err = WriteFileAtomic(dir_ + "/" + kJournalFile, json({{"files", staged_}}).dump() + "\n"))
        return err;
    committed_ = true;
    if (const int err = SyncFolder(dir_)) return err;
    return Apply(dir_, staged_);
}

int StateRecover(const std::string& dir) {
    std::string text;
    const int err = ReadWholeFile(dir + "/" + kJournalFile, text);
    if (err == 0) {
        // Written whole by one rename: anything unreadable is no journal of ours.
        const json journal = json::parse(text, nullptr, false);
        std::vector<std::string> rels;
        bool valid = journal.is_object() && journal.contains("files") && journal["files"].is_array();
        if (valid)
            for (const json& rel : journal["files"]) {
                valid = valid && rel.is_string() && IsStatePath(rel.get<std::string>());
                if (valid) rels.push_back(rel.get<std::string>());
            }
        if (valid) {
            if (const int aerr = Apply(dir, rels)) return aerr;
        } else {
            CrashPoint();
            ::unlink((dir + "/" + kJournalFile).c_str());
        }
    } else if (err != ENOENT) {
        return err;
    }
    return RemoveLeftovers(dir);
}

}  // namespace qmxsim
