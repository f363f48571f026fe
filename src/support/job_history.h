// CJobHistory: one JSON line per job in a root-owned file that anyone may read,
// kept under a size cap with one older generation beside it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <utility>

#include "support/history_file.h"

struct SHistoryRecord {
    time_t tTime = 0;
    uid_t uid = 0;
    std::string strJob;          // "update", "restore", "backup", "last_action", "combine"
    std::string strCommandLine;  // as shown to people: no passwords
    std::string strPackage;      // the package or archive used or written; "" when none
    bool fDone = false;
    std::string strText;         // the first error the job reported, or boot-check's outcome; "" when none
    std::string strReboot;       // "none", "scheduled" or "needed"
};

class CJobHistory {
public:
    static constexpr uint64_t kDefaultMaxBytes = 1024 * 1024;

    explicit CJobHistory(std::string strDir = kHistoryDir, uint64_t ullMaxBytes = kDefaultMaxBytes)
        : m_strDir(std::move(strDir)), m_ullMaxBytes(ullMaxBytes) {}

    // False, traced, when the folder or the file is not ours alone or cannot be written.
    bool Append(const SHistoryRecord& record) const;
    // The record as one line of JSON, without the line end.
    static std::string Line(const SHistoryRecord& record);

private:
    // The folder, made when missing; -1 unless it is a folder that only we may write.
    int DirOpen() const;
    // The file for appending; -1 unless it is a plain file of ours with one name.
    static int FileOpen(int fdDir, int nExtraFlags);

    std::string m_strDir;
    uint64_t m_ullMaxBytes;
};
