// Configuration backup: the board's configuration areas copied out, with a
// package description, over a series of calls.
#pragma once

#include <cstdint>
#include <string>

#include "state.h"

namespace qmxsim {

// Area files below the state directory's config/ folder; the backup writes
// them under the same names. Debug code is only copied when asked for.
constexpr const char kDebugCodeFile[] = "debug_code.bin";

// Answers one backup call in place: the record comes back with its step,
// progress and texts advanced, every other key as it came. The board's
// files are read from state_dir. 0, or the reason of a refusal.
uint32_t ConfigurationBackupStep(const BoardState& board, const std::string& state_dir, std::string& record);

}  // namespace qmxsim
