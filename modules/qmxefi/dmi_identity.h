// The machine's identity as the firmware reports it through DMI, and the
// ME firmware version where the kernel exposes one.
#pragma once

#include <string>

#include "root_path.h"

namespace qmxefi {

struct Identity {
    std::string bios_version;
    std::string bios_date;  // as DMI gives it, MM/DD/YYYY
    std::string board_vendor;
    std::string board_name;
    std::string product_name;
    std::string me_firmware_version;  // empty without an ME interface
};

// Missing or unreadable files leave their field empty; texts are trimmed.
Identity ReadIdentity(const RootPath& root);

// The board's name for the module information and default archive names:
// the DMI board name, else the product name, with "/" made "-" so that it
// can stand in a file name.
std::string SystemName(const Identity& id);

// Whether a package naming this board fits the machine (board or product name).
bool NamesThisMachine(const Identity& id, const std::string& board);

}  // namespace qmxefi
