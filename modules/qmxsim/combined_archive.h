// Combined package: an unpacked BIOS package and an unpacked configuration
// archive merged into one folder the kernel packs as a BIOS update package.
#pragma once

#include <cstdint>
#include <string>

#include "state.h"

namespace qmxsim {

// Answers the combined-archive record in place, in one call: the files of
// the folders "sSourceBiosInput" and "sSourceConfigurationDataInput" merged
// into "sDestPath" with a new BupInfo2.xml, or nothing written at all.
// 0, or the reason of a refusal ("sStatusInfo" says why).
uint32_t MakeCombinedArchive(const BoardState& board, std::string& record);

}  // namespace qmxsim
