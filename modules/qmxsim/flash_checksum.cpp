#include "flash_checksum.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "file_stream.h"

namespace qmxsim {

// FNV-1a: damage and mix-ups are what it must find, not forgeries; the
// module has no hash library of its own.
int FlashChecksum(const std::string& path, std::string& out) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno;
    uint64_t h = 0xcbf29ce484222325ULL;
    std::vector<unsigned char> buf(kStreamChunk);
    int err = 0;
    for (;;) {
        const ssize_t n = ::read(fd, buf.data(), buf.size());
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            break;
        }
        for (ssize_t i = 0; i < n; ++i) h = (h ^ buf[static_cast<size_t>(i)]) * 0x100000001b3ULL;
    }
    ::close(fd);
    if (err != 0) return err;
    char text[32];
    std::snprintf(text, sizeof text, "fnv1a64:%016" PRIx64, h);
    out = text;
    return 0;
}

std::string FlashIdentity(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return "";
    return std::to_string(st.st_size) + ":" + std::to_string(st.st_ino) + ":" + std::to_string(st.st_mtim.tv_sec) +
           "." + std::to_string(st.st_mtim.tv_nsec);
}

}  // namespace qmxsim
