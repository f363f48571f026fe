#include "capsule_header.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace qmxefi {

namespace {

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}

std::string GuidText(const uint8_t* p) {
    char text[40];
    std::snprintf(text, sizeof text, "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x", Le32(p),
                  static_cast<unsigned>(p[4] | p[5] << 8), static_cast<unsigned>(p[6] | p[7] << 8), p[8], p[9],
                  p[10], p[11], p[12], p[13], p[14], p[15]);
    return text;
}

std::string Hex(uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", v);
    return text;
}

}  // namespace

std::string CheckCapsule(const uint8_t* head, size_t size, uint64_t file_size, CapsuleHeader& out) {
    if (file_size < kCapsuleHeaderBytes || size < kCapsuleHeaderBytes)
        return "is shorter than a capsule header (" + std::to_string(file_size) + " bytes)";
    out.guid = GuidText(head);
    out.header_size = Le32(head + 16);
    out.flags = Le32(head + 20);
    out.image_size = Le32(head + 24);
    if (out.header_size < kCapsuleHeaderBytes)
        return "has a header size of " + std::to_string(out.header_size) + ", less than the header itself";
    if (out.image_size != file_size)
        return "says it holds " + std::to_string(out.image_size) + " bytes but has " + std::to_string(file_size);
    if (out.header_size > out.image_size)
        return "has a header size of " + std::to_string(out.header_size) + ", more than the whole capsule";
    // The upper half holds the flags UEFI defines; the lower half belongs to the capsule's GUID.
    const uint32_t known = kCapsulePersistAcrossReset | kCapsulePopulateSystemTable | kCapsuleInitiateReset;
    if ((out.flags & 0xFFFF0000u) & ~known) return "has undefined flags " + Hex(out.flags);
    if ((out.flags & (kCapsulePopulateSystemTable | kCapsuleInitiateReset)) && !(out.flags & kCapsulePersistAcrossReset))
        return "has flags " + Hex(out.flags) + " that need the persist-across-reset flag";
    return {};
}

std::string CheckCapsuleFile(const std::string& path, CapsuleHeader& out) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::string("cannot be read: ") + std::strerror(errno);
    struct stat st {};
    uint8_t head[kCapsuleHeaderBytes] = {};
    size_t got = 0;
    std::string problem;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        problem = "is no regular file";
    } else {
        while (got < sizeof head) {
            const ssize_t n = ::read(fd, head + got, sizeof head - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        problem = CheckCapsule(head, got, static_cast<uint64_t>(st.st_size), out);
    }
    ::close(fd);
    return problem;
}

}  // namespace qmxefi
