#include "file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace qmxefi {

int ReadWholeFile(const std::string& path, std::string& out) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    std::string text;
    char buf[8192];
    int err = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            break;
        }
        text.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    if (err == 0) out.swap(text);
    return err;
}

int WriteAll(int fd, const char* p, size_t count) {
    while (count > 0) {
        const ssize_t n = ::write(fd, p, count);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return EIO;
        p += n;
        count -= static_cast<size_t>(n);
    }
    return 0;
}

int WriteFileAtomic(const std::string& path, const std::string& data, unsigned mode) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) mode = st.st_mode & 07777;
    std::string name = path + ".tmp.XXXXXX";
    std::vector<char> tmp(name.begin(), name.end());
    tmp.push_back('\0');
    const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) return errno;
    int err = WriteAll(fd, data.data(), data.size());
    if (err == 0 && ::fchmod(fd, mode) != 0) err = errno;
    // Without the sync a crash after the rename could leave an empty file.
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err == 0 && ::rename(tmp.data(), path.c_str()) != 0) err = errno;
    if (err != 0) ::unlink(tmp.data());
    return err;
}

int MakeDirectories(const std::string& path) {
    if (path.empty() || IsDirectory(path)) return 0;
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0) {
        if (const int err = MakeDirectories(path.substr(0, slash))) return err;
    }
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return errno;
    return IsDirectory(path) ? 0 : ENOTDIR;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace qmxefi
