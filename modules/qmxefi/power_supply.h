// Whether the machine runs on battery: a firmware update must not lose power.
#pragma once

#include <string>

#include "root_path.h"

namespace qmxefi {

enum class PowerSource {
    kMains,       // an external supply is online
    kBattery,     // a battery, external supplies known and none online
    kNoSupplies,  // no battery or no external supply listed (desktops): taken as mains
};

// Looks at sys/class/power_supply/*: supplies of type Mains or USB are
// external; their "online" says whether they feed the machine.
PowerSource ReadPowerSource(const RootPath& root);

}  // namespace qmxefi
