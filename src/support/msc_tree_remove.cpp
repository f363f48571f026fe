// Removing a directory tree by descriptor: every step is taken relative to a
// directory already opened, and no link is ever followed, so neither a link
// planted in the tree nor a rename meanwhile can lead the removal outside it.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "support/msc.h"
#include "support/opus_trace.h"

namespace {

constexpr int kOpenDir = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Closes a descriptor when it goes out of scope.
class CFd {
public:
    explicit CFd(int fd) : m_fd(fd) {}
    ~CFd() {
        if (m_fd >= 0)
            close(m_fd);
    }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// The entry names of an open directory; false when it cannot be read.
bool EntryNames(int dirfd, std::vector<std::string>& names) {
    const int fd = dup(dirfd);
    DIR* pDir = fd >= 0 ? fdopendir(fd) : nullptr;
    if (!pDir) {
        if (fd >= 0)
            close(fd);
        return false;
    }
    while (const dirent* pEntry = readdir(pDir)) {
        const std::string name = pEntry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(pDir);
    return true;
}

// Removes what the open directory holds; the directory itself is the caller's.
// An entry left behind also makes the caller's removal of the directory fail.
bool ContentRemove(int dirfd, const std::string& shown) {
    std::vector<std::string> names;
    if (!EntryNames(dirfd, names)) {
        QM_TRACE_INTERNAL(1, "cannot read directory", "path='%s': %s", shown.c_str(), strerror(errno));
        return false;
    }
    for (const std::string& name : names) {
        const std::string path = shown + "/" + name;
        struct stat st {};
        if (fstatat(dirfd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            QM_TRACE_INTERNAL(1, "lstat failed", "path='%s': %s", path.c_str(), strerror(errno));
            return false;
        }
        if (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) {
            if (unlinkat(dirfd, name.c_str(), 0) != 0) {
                QM_TRACE_INTERNAL(1, "unlink failed", "path='%s': %s", path.c_str(), strerror(errno));
                return false;
            }
        } else if (S_ISDIR(st.st_mode)) {
            // Opened without following: a directory swapped for a link meanwhile is refused.
            const CFd sub(openat(dirfd, name.c_str(), kOpenDir));
            if (sub.get() < 0) {
                QM_TRACE_INTERNAL(1, "cannot open directory", "path='%s': %s", path.c_str(), strerror(errno));
                return false;
            }
            if (!ContentRemove(sub.get(), path))
                return false;
            if (unlinkat(dirfd, name.c_str(), AT_REMOVEDIR) != 0) {
                QM_TRACE_INTERNAL(1, "rmdir failed", "path='%s': %s", path.c_str(), strerror(errno));
                return false;
            }
        } else {
            // Devices, FIFOs and sockets are not ours to delete.
            QM_TRACE_INTERNAL(1, "entry type not removable", "path='%s', mode=0%o", path.c_str(),
                              static_cast<unsigned int>(st.st_mode));
            return false;
        }
    }
    return true;
}

}  // namespace

int MscTreeRemove(const char* pszDir) {
    QM_TRACE_ENTER(3, "dir='%s'", MscOrEmpty(pszDir));
    std::string dir = MscOrEmpty(pszDir);
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    const size_t slash = dir.find_last_of('/');
    const std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : dir.substr(0, slash);
    const std::string name = slash == std::string::npos ? dir : dir.substr(slash + 1);
    const CFd parentFd(name.empty() ? -1 : open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // The tree itself must be a directory, not a link to one somewhere else.
    const CFd treeFd(parentFd.get() < 0 ? -1 : openat(parentFd.get(), name.c_str(), kOpenDir));
    if (treeFd.get() < 0) {
        QM_TRACE_INTERNAL(1, "cannot open directory", "dir='%s': %s", dir.c_str(), strerror(errno));
        QM_TRACE_LEAVE(3, "ret=0");
        return 0;
    }
    if (!ContentRemove(treeFd.get(), dir)) {
        QM_TRACE_LEAVE(3, "ret=0");
        return 0;
    }
    if (unlinkat(parentFd.get(), name.c_str(), AT_REMOVEDIR) != 0) {
        QM_TRACE_INTERNAL(1, "rmdir failed", "dir='%s': %s", dir.c_str(), strerror(errno));
        QM_TRACE_LEAVE(3, "ret=0");
        return 0;
    }
    QM_TRACE_LEAVE(3, "ret=1");
    return 1;
}
