// UEFI variables through efivarfs: each file is named NAME-GUID and holds
// the 4-byte attributes (little endian) followed by the data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "root_path.h"

namespace qmxefi {

constexpr const char kEfivarsDir[] = "sys/firmware/efi/efivars";
constexpr const char kGlobalGuid[] = "8be4df61-93ca-11d2-aa0d-00e098032b8c";

struct EfiVariable {
    std::string name;  // "BootOrder"
    std::string guid;  // lower case, as efivarfs names it
    uint32_t attributes = 0;
    std::string data;

    std::string FileName() const { return name + "-" + guid; }
    // The bytes of the efivarfs file: attributes, then data.
    std::string Bytes() const;
};

// Splits "NAME-GUID"; false when the name holds no well-formed GUID.
bool SplitFileName(const std::string& file, std::string& name, std::string& guid);

// Takes efivarfs file bytes; false when shorter than the attributes.
bool FromBytes(const std::string& bytes, EfiVariable& out);

// Reads efivars/FILE. 0, the errno, or EBADMSG for a file shorter than 4 bytes.
int ReadVariable(const RootPath& root, const std::string& file, EfiVariable& out);

// The file names in efivars/, sorted. 0 or the errno.
int ListVariableFiles(const RootPath& root, std::vector<std::string>& out);

// The inode flags calls, replaceable for tests: each returns 0 or the errno.
struct FlagOps {
    int (*get)(int fd, int& flags);
    int (*set)(int fd, int flags);
};
const FlagOps& InodeFlagOps();

struct WriteResult {
    int err = 0;           // 0: written
    const char* step = "";  // what failed, for the status text
};

// Writes the variable in one write of attributes plus data. An immutable flag
// is cleared first and set again afterwards; a file system without such
// flags (ENOTTY, as tmpfs answers) needs none cleared.
WriteResult WriteVariable(const RootPath& root, const EfiVariable& var, const FlagOps& ops = InodeFlagOps());

}  // namespace qmxefi
