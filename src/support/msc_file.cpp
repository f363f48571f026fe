#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "support/msc.h"
#include "support/opus_trace.h"

namespace {

bool lstatOk(const char* pszPath, struct stat& st) { return pszPath && lstat(pszPath, &st) == 0; }

}  // namespace

bool MscFileExists(const char* pszPath) {
    struct stat st {};
    const bool fRet = lstatOk(pszPath, st) &&
                      (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode) || S_ISFIFO(st.st_mode));
    QM_TRACE_LEAVE(4, "path='%s', ret=%s", MscOrEmpty(pszPath), QmBool2Str(fRet));
    return fRet;
}

bool MscDirectoryExists(const char* pszPath, bool fCheckWritable) {
    QM_TRACE_ENTER(3, "path='%s', fCheckWritable=%s", MscOrEmpty(pszPath), QmBool2Str(fCheckWritable));
    DIR* pDir = pszPath ? opendir(pszPath) : nullptr;
    if (!pDir) {
        QM_TRACE_LEAVE(3, "ret=false, %s", strerror(errno));
        return false;
    }
    closedir(pDir);
    if (fCheckWritable) {
        std::string probe = std::string(pszPath) + "/XXXXXXXX";
        const int fd = mkstemp(probe.data());
        if (fd < 0) {
            QM_TRACE_LEAVE(3, "ret=false, not writable: %s", strerror(errno));
            return false;
        }
        close(fd);
        unlink(probe.c_str());
    }
    QM_TRACE_LEAVE(3, "ret=true");
    return true;
}

uint32_t MscFileSize(const char* pszPath) {
    struct stat st {};
    uint32_t ulSize = 0;
    if (!lstatOk(pszPath, st))
        QM_TRACE_INTERNAL(2, "lstat failed", "path='%s': %s", MscOrEmpty(pszPath), strerror(errno));
    else if (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode) || S_ISLNK(st.st_mode))
        ulSize = static_cast<uint32_t>(st.st_size);
    QM_TRACE_LEAVE(4, "path='%s', ret=%u", MscOrEmpty(pszPath), ulSize);
    return ulSize;
}

int MscFileInfoGet(const char* pszPath, uint32_t& ulSize, CTime& time) {
    struct stat st {};
    if (!lstatOk(pszPath, st)) {
        QM_TRACE_INTERNAL(2, "lstat failed", "path='%s': %s", MscOrEmpty(pszPath), strerror(errno));
        return 0;
    }
    ulSize = static_cast<uint32_t>(st.st_size);
    // The status-change time, so a copy keeps counting as new.
    time = CTime(st.st_ctime);
    QM_TRACE_LEAVE(4, "path='%s', size=%u, ctime=%lld", pszPath, ulSize,
                   static_cast<long long>(st.st_ctime));
    return 1;
}

bool MscWriteAll(int fd, const void* pData, size_t nSize) {
    const char* p = static_cast<const char*>(pData);
    while (nSize > 0) {
        const ssize_t n = write(fd, p, nSize);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        nSize -= static_cast<size_t>(n);
    }
    return true;
}

int MscFileCopy(const char* pszSrc, const char* pszDst, bool fFailIfExists) {
    QM_TRACE_ENTER(3, "src='%s', dst='%s', fFailIfExists=%s", MscOrEmpty(pszSrc), MscOrEmpty(pszDst),
                   QmBool2Str(fFailIfExists));
    // Neither end is a link: a name planted where the copy reads or writes cannot
    // redirect it to another file.
    const int in = open(MscOrEmpty(pszSrc), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    struct stat st {};
    if (in < 0 || fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
        QM_TRACE_LEAVE(3, "ret=0, cannot open source: %s", in < 0 ? strerror(errno) : "not a regular file");
        if (in >= 0)
            close(in);
        return 0;
    }
    const int out = open(MscOrEmpty(pszDst),
                         O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | (fFailIfExists ? O_EXCL : O_TRUNC), 0644);
    if (out < 0) {
        QM_TRACE_LEAVE(3, "ret=0, cannot open destination: %s", strerror(errno));
        close(in);
        return 0;
    }
    char block[64 * 1024];
    ssize_t n = 0;
    bool fOk = true;
    while (fOk && (n = read(in, block, sizeof(block))) != 0) {
        if (n < 0)
            fOk = errno == EINTR;
        else
            fOk = MscWriteAll(out, block, static_cast<size_t>(n));
    }
    const int nErr = errno;
    close(in);
    fOk = close(out) == 0 && fOk;
    QM_TRACE_LEAVE(3, "ret=%d%s%s", fOk ? 1 : 0, fOk ? "" : ", ", fOk ? "" : strerror(nErr));
    return fOk ? 1 : 0;
}

int MscFileRemoveWild(const char* pszPattern, bool fIgnoreCase) {
    QM_TRACE_ENTER(3, "pattern='%s', fIgnoreCase=%s", MscOrEmpty(pszPattern), QmBool2Str(fIgnoreCase));
    int nRemoved = 0;
    bool fFailed = false;
    const bool fOpened = MscMatchingEntriesVisit(pszPattern, fIgnoreCase, [&](const std::string& path, const std::string&, unsigned int) {
        if (std::remove(path.c_str()) != 0) {
            QM_TRACE_INTERNAL(1, "remove failed", "path='%s': %s", path.c_str(), strerror(errno));
            fFailed = true;
            return false;
        }
        ++nRemoved;
        return true;
    });
    const int nRet = fOpened && !fFailed ? 1 : 0;
    QM_TRACE_LEAVE(3, "ret=%d, removed=%d", nRet, nRemoved);
    return nRet;
}
