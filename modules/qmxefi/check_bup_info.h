// The verdict on a package for this machine (QMX2_CheckBupInfo).
#pragma once

#include <cstdint>
#include <string>

#include "dmi_identity.h"

namespace qmxefi {

// A whole verdict that allows nothing: every key, so no older one survives.
std::string RefusedVerdictText();

// Judges the BupInfo2.xml bytes; the verdict goes to reply. Returns 0, or
// an "invalid file" error of CheckBupInfo for bytes that are no description.
uint32_t CheckPackage(const Identity& machine, const uint8_t* data, uint32_t size, std::string& reply);

}  // namespace qmxefi
