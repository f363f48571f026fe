// The UEFI capsule header at the start of a BIOS image: GUID (16 bytes),
// header size, flags and image size (32 bits each, little endian).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qmxefi {

constexpr size_t kCapsuleHeaderBytes = 28;

constexpr uint32_t kCapsulePersistAcrossReset = 0x00010000;
constexpr uint32_t kCapsulePopulateSystemTable = 0x00020000;
constexpr uint32_t kCapsuleInitiateReset = 0x00040000;

struct CapsuleHeader {
    std::string guid;  // "6dcbd5ed-e82d-4c44-bda1-7194199ad92a"
    uint32_t header_size = 0;
    uint32_t flags = 0;
    uint32_t image_size = 0;
};

// Reads the header from the first bytes of a capsule file of file_size bytes
// (size counts the bytes at head, at most the header). Returns "" when the
// header is consistent with the file, else what is wrong.
std::string CheckCapsule(const uint8_t* head, size_t size, uint64_t file_size, CapsuleHeader& out);

// The same for a capsule file on disk.
std::string CheckCapsuleFile(const std::string& path, CapsuleHeader& out);

}  // namespace qmxefi
