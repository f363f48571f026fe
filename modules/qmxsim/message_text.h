// Readable texts for the module's status codes.
#pragma once

#include <cstdint>
#include <string>

namespace qmxsim {

// "Success", or severity, operation and reason, e.g.
// "Error, Install, board not supported"; a detail adds " (detail 0x0001)".
std::string MessageText(uint32_t status);

}  // namespace qmxsim
