// Texts for the module's status codes (QMX2_GetMessageText).
#pragma once

#include <cstdint>
#include <string>

namespace qmxefi {

// "Error, DoBiosUpdate, internal: the machine runs on battery power".
std::string MessageText(uint32_t status);

}  // namespace qmxefi
