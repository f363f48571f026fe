// Configuration restore: area files handed over by the kernel written into
// the board's configuration areas, over a series of calls.
#pragma once

#include <cstdint>
#include <string>

#include "state.h"

namespace qmxsim {

// Answers one restore call in place: the record comes back with its step,
// progress, texts, next file and feedback advanced, every other key as it
// came. The areas are written below state_dir's config/ folder. 0, or the
// reason of a refusal.
uint32_t ConfigurationRestoreStep(const BoardState& board, const std::string& state_dir, std::string& record);

}  // namespace qmxsim
