// Generic module information: the action status ("/ACTIONSTATUS") of the
// last BIOS update or restore.
#pragma once

#include <cstdint>
#include <string>

#include "dmi_identity.h"
#include "root_path.h"

namespace qmxefi {

// Answers the record in place. 0 or a reason (invalid parameters for a
// record that is no object or asks for anything but "/ACTIONSTATUS").
uint32_t GenericInfoAnswer(const RootPath& root, const Identity& machine, std::string& record);

}  // namespace qmxefi
