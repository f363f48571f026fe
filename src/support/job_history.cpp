#include "support/job_history.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "support/opus_trace.h"

namespace {

std::string UserName(uid_t uid) {
    std::vector<char> buffer(4096);
    struct passwd pw {};
    struct passwd* pResult = nullptr;
    if (getpwuid_r(uid, &pw, buffer.data(), buffer.size(), &pResult) == 0 && pResult && pResult->pw_name)
        return pResult->pw_name;
    return "uid " + std::to_string(uid);
}

std::string UtcText(time_t t) {
    struct tm tmUtc {};
    char sz[32] = "";
    if (gmtime_r(&t, &tmUtc))
        strftime(sz, sizeof sz, "%Y-%m-%dT%H:%M:%SZ", &tmUtc);
    return sz;
}

// Closes on every path out.
struct SFd {
    int fd;
    ~SFd() {
        if (fd >= 0)
            close(fd);
    }
};

}  // namespace

std::string CJobHistory::Line(const SHistoryRecord& record) {
    nlohmann::ordered_json line = {
        {"time", UtcText(record.tTime)},
        {"user", UserName(record.uid)},
        {"uid", record.uid},
        {"job", record.strJob},
        {"command_line", record.strCommandLine},
    };
    if (!record.strPackage.empty())
        line["package"] = record.strPackage;
    line["result"] = record.fDone ? "done" : "failed";
    // A job that went through has no error, but boot-check tells what it put back.
    if (!record.strText.empty())
        line["text"] = record.strText;
    line["reboot"] = record.strReboot;
    // Texts from modules and packages may hold any bytes.
    return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

int CJobHistory::DirOpen() const {
    if (mkdir(m_strDir.c_str(), 0755) != 0 && errno != EEXIST) {
        QM_TRACE_INTERNAL(1, "", "mkdir '%s': %s", m_strDir.c_str(), strerror(errno));
        return -1;
    }
    const int fd = open(m_strDir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0 || st.st_uid != geteuid() || (st.st_mode & 022) != 0) {
        QM_TRACE_INTERNAL(1, "", "'%s' is no folder that only this user may write: history not kept",
                          m_strDir.c_str());
        if (fd >= 0)
            close(fd);
        return -1;
    }
    return fd;
}

int CJobHistory::FileOpen(int fdDir, int nExtraFlags) {
    const int fd = openat(fdDir, kHistoryFileName, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | nExtraFlags, 0644);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid() || st.st_nlink != 1) {
        QM_TRACE_INTERNAL(1, "", "%s is no plain file of ours: history not kept", kHistoryFileName);
        if (fd >= 0)
            close(fd);
        return -1;
    }
    // Whatever umask the kernel was started with, anyone may read the history.
    fchmod(fd, 0644);
    return fd;
}

bool CJobHistory::Append(const SHistoryRecord& record) const {
    const std::string strLine = Line(record) + '\n';
    const SFd dir{DirOpen()};
    if (dir.fd < 0)
        return false;
    SFd file{FileOpen(dir.fd, 0)};
    if (file.fd < 0)
        return false;
    // Kernels of both kinds may end a job at the same time.
    flock(file.fd, LOCK_EX);
    struct stat st {};
    if (fstat(file.fd, &st) == 0 && static_cast<uint64_t>(st.st_size) + strLine.size() > m_ullMaxBytes &&
        st.st_size > 0) {
        if (renameat(dir.fd, kHistoryFileName, dir.fd, kHistoryOlderName) != 0) {
            QM_TRACE_INTERNAL(1, "", "rotating the history: %s", strerror(errno));
            return false;
        }
        SFd fresh{FileOpen(dir.fd, O_EXCL)};
        if (fresh.fd < 0)
            return false;
        std::swap(file.fd, fresh.fd);
    }
    if (write(file.fd, strLine.data(), strLine.size()) != static_cast<ssize_t>(strLine.size())) {
        QM_TRACE_INTERNAL(1, "", "writing the history: %s", strerror(errno));
        return false;
    }
    return true;
}
