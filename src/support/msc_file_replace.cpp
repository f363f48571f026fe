// Replacing a file so that at every moment either the whole old or the whole
// new content stands under its name: the new text goes to a fresh file beside
// it, is flushed, and is renamed over the old one.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/msc.h"
#include "support/opus_trace.h"

int MscReplaceModeGet(const char* pszPath, unsigned& uMode) {
    struct stat st {};
    if (lstat(MscOrEmpty(pszPath), &st) != 0) {
        uMode = 0644;
        return errno == ENOENT;
    }
    // Only a regular file of our own is replaced, never a link or another user's object.
    if (!S_ISREG(st.st_mode) || st.st_uid != geteuid())
        return 0;
    uMode = st.st_mode & 07777;
    return 1;
}

int MscFileReplace(const char* pszPath, const std::string& data) {
    const std::string path = MscOrEmpty(pszPath);
    QM_TRACE_ENTER(3, "path='%s', size=%zu", path.c_str(), data.size());
    unsigned mode = 0;
    if (!MscReplaceModeGet(path.c_str(), mode)) {
        QM_TRACE_INTERNAL(1, "refused", "'%s' is no regular file of ours", path.c_str());
        QM_TRACE_LEAVE(3, "ret=0");
        return 0;
    }
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        QM_TRACE_INTERNAL(1, "mkstemp failed", "template='%s': %s", temp.c_str(), strerror(errno));
        QM_TRACE_LEAVE(3, "ret=0");
        return 0;
    }
    bool fOk = fchmod(fd, mode) == 0 && MscWriteAll(fd, data.data(), data.size()) && fsync(fd) == 0;
    const int nErr = errno;
    fOk = close(fd) == 0 && fOk;
    if (fOk && rename(temp.c_str(), path.c_str()) == 0) {
        QM_TRACE_LEAVE(3, "ret=1");
        return 1;
    }
    QM_TRACE_INTERNAL(1, "write failed", "path='%s': %s", path.c_str(), strerror(fOk ? errno : nErr));
    unlink(temp.c_str());
    QM_TRACE_LEAVE(3, "ret=0");
    return 0;
}
