// Generic module information: the "/ACTIONSTATUS" request and its items.
#pragma once

#include <cstdint>
#include <string>

#include "state.h"

namespace qmxsim {

// Answers a generic information request in place: the record comes back with
// its "MapItems" filled. 0, or the reason of a refusal (unknown parameters).
uint32_t GenericInfoAnswer(const BoardState& board, std::string& record);

}  // namespace qmxsim
