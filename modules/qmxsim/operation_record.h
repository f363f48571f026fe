// What the long operations (update, restore, backup, combined package) share:
// reading the record, answering a step, the end step, the password rule and
// the reasons for file errors.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "state.h"

namespace qmxsim {

// The record as JSON and its "iSeq" (0 when missing). False for a record that
// is no JSON object or whose "iSeq" is no integer.
bool ReadRecord(const std::string& record, nlohmann::json& j, int64_t& step);

// A key that is there and true.
bool Flag(const nlohmann::json& j, const char* key);

// The keys every answer sets.
void Answer(nlohmann::json& j, int32_t step, uint32_t progress, const std::string& part, const std::string& status);

// 10000, or the first cold-boot or pending step, as the end_with fault says.
int32_t EndStep(EndWith end);

// The kernel hands the BIOS password over from the second call on, so the
// first call (step 0) is never refused for it.
bool PasswordAccepted(const BoardState& board, const nlohmann::json& j, int64_t step);

bool IsDirectory(const std::string& path);

// errno of a failed write: disk full 0x83, no right 0x09, anything else 0x02.
uint32_t WriteFailure(int err);

// The moment, as last_action keeps it: UTC "YYYY-MM-DDTHH:MM:SSZ".
std::string UtcNow();

}  // namespace qmxsim
