// BIOS update: the package's description, image and parts fetched by the
// kernel between calls, the image written into the board's flash step by step.
#pragma once

#include <cstdint>
#include <string>

#include "state.h"

namespace qmxsim {

// Answers one update call in place: the record comes back with its step,
// progress, texts and next file advanced, every other key as it came.
// 0, or the reason of a refusal.
uint32_t BiosUpdateStep(const BoardState& board, const std::string& state_dir, std::string& record);

}  // namespace qmxsim
