// JSON as text. Texts from the firmware (DMI) or from file names need not be
// UTF-8; their invalid bytes are replaced rather than failing the answer.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace qmxefi {

inline std::string JsonText(const nlohmann::json& j, int indent = 4) {
    return j.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace qmxefi
