#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "crash_point.h"
#include "file_stream.h"

namespace qmxsim {

int ReadWholeFile(const std::string& path, std::string& out) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    std::string text;
    char buf[8192];
    int err = 0;
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
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

int WriteFileAtomic(const std::string& path, const std::string& data, const std::string& mode_from) {
    mode_t mode = 0644;
    struct stat st {};
    if (::stat((mode_from.empty() ? path : mode_from).c_str(), &st) == 0) mode = st.st_mode & 07777;

    // Same directory as the target, so the rename cannot cross file systems.
    std::string tmp_name = path + ".tmp.XXXXXX";
    std::vector<char> tmp(tmp_name.begin(), tmp_name.end());
    tmp.push_back('\0');
    CrashPoint();
    int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
    if (fd < 0) return errno;

    CrashPoint();
    int err = WriteAll(fd, data.data(), data.size());
    if (err == 0 && ::fchmod(fd, mode) != 0) err = errno;
    // Without the sync a crash after the rename could leave an empty file.
    CrashPoint();
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    CrashPoint();
    if (err == 0 && ::rename(tmp.data(), path.c_str()) != 0) err = errno;
    if (err != 0) ::unlink(tmp.data());
    return err;
}

}  // namespace qmxsim
