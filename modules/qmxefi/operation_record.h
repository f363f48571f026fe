// What the long operations share: reading the record, answering a step,
// refusals with their status text, and times.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include <nlohmann/json.hpp>

#include "status_codes.h"

namespace qmxefi {

// Why an operation stops: reason (0: it does not), module detail and the
// text for "sStatusInfo" (empty: the record comes back unchanged).
struct Refusal {
    uint32_t reason = 0;
    uint32_t detail = kDetailNone;
    std::string why;
};

inline Refusal Refuse(uint32_t reason, std::string why = {}, uint32_t detail = kDetailNone) {
    return {reason, detail, std::move(why)};
}

// The record as JSON and its "iSeq" (0 when missing). False for a record
// that is no JSON object or whose "iSeq" is no integer.
bool ReadRecord(const std::string& record, nlohmann::json& j, int64_t& step);

// A key that is there and true.
bool Flag(const nlohmann::json& j, const char* key);

// A non-empty string key, or "".
std::string Text(const nlohmann::json& j, const char* key);

// The keys every answer sets; "sNextFile" and "NextFileLoc" too, since the
// record may hold values from an earlier job.
void Answer(nlohmann::json& j, int32_t step, uint32_t progress, const std::string& part, const std::string& status,
            const std::string& next_file = "", const std::string& location = "");

// The end of a call: the answer, or after a refusal the request as it came
// with the refusal's text, if any. Returns the status code of operation.
uint32_t Finish(uint32_t operation, const Refusal& r, nlohmann::json request, const nlohmann::json& answer,
                std::string& record);

// errno of a failed write: disk full 0x83, no right 0x09, anything else 0x02.
uint32_t WriteFailure(int err);

// UTC "YYYY-MM-DDTHH:MM:SSZ".
std::string UtcNow();
// Today as the kernel reads build dates: "MM-DD-YYYY".
std::string Today();

}  // namespace qmxefi
