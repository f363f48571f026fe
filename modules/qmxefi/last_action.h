// The last BIOS update or restore, kept below the root so that the action
// status can be answered after a restart.
#pragma once

#include <cstdint>
#include <string>

#include "root_path.h"

namespace qmxefi {

constexpr const char kLastActionFile[] = "var/lib/quillmark/qmxefi-last-action.json";

struct LastAction {
    std::string action;    // "BIOS update" or "Boot configuration restore"
    uint32_t status = 0;   // the status code it ended with
    std::string text;      // what it said at its end
    std::string accepted;  // UTC "YYYY-MM-DDTHH:MM:SSZ"; empty: never
    std::string executed;  // empty while the firmware has yet to apply it
    std::string expected_bios_version;  // an update's target version
};

// False when there is no record or it cannot be read.
bool ReadLastAction(const RootPath& root, LastAction& out);

// 0 or the errno; creates var/lib/quillmark when needed.
int WriteLastAction(const RootPath& root, const LastAction& action);

}  // namespace qmxefi
