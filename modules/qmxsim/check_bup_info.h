// The board's verdict on an update package (QMX2_CheckBupInfo).
#pragma once

#include <cstdint>
#include <string>

#include "state.h"

namespace qmxsim {

// A complete verdict that allows nothing, as JSON text. Every key is there:
// the kernel reads them all, and an older verdict must not survive in one.
std::string RefusedVerdictText();

// Judges the BupInfo2.xml bytes for this board; the verdict goes to reply.
// Returns 0, or an "invalid file" error when the bytes are no description
// (not a document of the subset, or its root is not bupinfo2).
uint32_t CheckPackage(const BoardState& board, const uint8_t* data, uint32_t size, std::string& reply);

}  // namespace qmxsim
