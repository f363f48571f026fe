// What one job has read of its packages, so that re-checking the chosen file,
// fetching its description and the searches of each further-file request read
// every package once: the judged member list and the description's bytes, keyed
// by the file's identity. A file changed or replaced since is read afresh.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "bupinfo/archive_judge.h"

struct SArchiveListing {
    bool fZip = false;        // false: no readable zip archive
    std::string strRefusal;   // the judge's verdict; empty when accepted
    std::string strError;     // why it could not be read, when fZip is false
    std::vector<SArchiveMember> members;
    std::map<size_t, std::string> descriptions;  // member index to bytes, once read
    std::map<std::string, std::optional<std::string>> tokens;  // of the description, once parsed
};

class CArchiveCache {
public:
    // The kernel empties it when a job begins and ends.
    static CArchiveCache& ForJob();

    void Clear();
    std::shared_ptr<SArchiveListing> Find(const struct stat& st) const;
    // Past kMaxEntries the oldest listings are not kept: the cache starts afresh.
    void Put(const struct stat& st, std::shared_ptr<SArchiveListing> listing);
    // Whether bytes more of descriptions may still be kept.
    bool RoomFor(size_t bytes) const { return m_bytes + bytes <= kMaxBytes; }
    void Counted(size_t bytes) { m_bytes += bytes; }

private:
    static constexpr size_t kMaxEntries = 4096;
    static constexpr size_t kMaxBytes = 32u << 20;
    using Key = std::tuple<dev_t, ino_t, off_t, long, long, long, long>;
    static Key KeyOf(const struct stat& st);

    std::map<Key, std::shared_ptr<SArchiveListing>> m_entries;
    size_t m_bytes = 0;
};
