#include "file_stream.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace qmxsim {
namespace {

// Reads up to count bytes at offset; fewer only at the end of the file.
ssize_t ReadAt(int fd, char* p, size_t count, off_t offset) {
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd, p + done, count - done, offset + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return static_cast<ssize_t>(done);
}

}  // namespace

int WriteAll(int fd, const char* p, size_t count) {
    while (count > 0) {
        const ssize_t n = ::write(fd, p, count);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        p += n;
        count -= static_cast<size_t>(n);
    }
    return 0;
}

int AppendRange(int from, off_t begin, off_t end, int to) {
    std::vector<char> buffer(kStreamChunk);
    for (off_t at = begin; at < end;) {
        const size_t want = static_cast<size_t>(std::min<off_t>(end - at, static_cast<off_t>(buffer.size())));
        const ssize_t got = ReadAt(from, buffer.data(), want, at);
        if (got < 0) return errno;
        if (static_cast<size_t>(got) != want) return ENODATA;
        if (const int err = WriteAll(to, buffer.data(), want)) return err;
        at += got;
    }
    return 0;
}

int SameBytes(int a, int b, bool& same) {
    std::vector<char> bufA(kStreamChunk), bufB(kStreamChunk);
    same = false;
    for (off_t at = 0;; at += static_cast<off_t>(kStreamChunk)) {
        const ssize_t gotA = ReadAt(a, bufA.data(), kStreamChunk, at);
        const ssize_t gotB = ReadAt(b, bufB.data(), kStreamChunk, at);
        if (gotA < 0 || gotB < 0) return errno;
        if (gotA != gotB || std::memcmp(bufA.data(), bufB.data(), static_cast<size_t>(gotA)) != 0) return 0;
        if (static_cast<size_t>(gotA) < kStreamChunk) break;
    }
    same = true;
    return 0;
}

}  // namespace qmxsim
