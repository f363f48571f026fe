// The boot configuration saved before a capsule is handed over, so that it
// can be put back after the firmware update (format: README.md).
#pragma once

#include <string>
#include <vector>

#include "efivars.h"
#include "root_path.h"

namespace qmxefi {

constexpr const char kStateDir[] = "var/lib/quillmark";
constexpr const char kPendingFile[] = "var/lib/quillmark/boot-pending.json";
constexpr const char kPendingFormat[] = "quillmark-boot-pending/1";

struct PendingBoot {
    std::string created;                // UTC "YYYY-MM-DDTHH:MM:SSZ"
    std::string board;                  // the machine's board name
    std::string bios_version_before;    // DMI bios_version when saved
    std::string bios_version_expected;  // the package's BIOS version
    std::vector<EfiVariable> variables;
};

std::string PendingToJson(const PendingBoot& pending);

// False (why says what) for text that is no pending file of this format.
bool PendingFromJson(const std::string& text, PendingBoot& out, std::string* why = nullptr);

// Writes the file atomically, creating var/lib/quillmark when needed. 0 or the errno.
int WritePending(const RootPath& root, const PendingBoot& pending);

}  // namespace qmxefi
