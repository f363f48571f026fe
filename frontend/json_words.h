// The stable names of the --json event stream: lower-case words a fleet tool
// may match on, independent of the kernel's enumerators and of our prose.
#pragma once

#include <string>
#include <vector>

#include "ipc/dedure_msg.h"
#include "assessment/bup_assessment.h"

// The schema of the stream; bumped when a name or a field's meaning changes.
constexpr int kJsonSchema = 1;

// "action", "file", "error", "candidate" ...; "message_<code>" for a type without a name.
std::string MessageKindName(E_DEDURE_MSG eType);
// "newer", "same", "older", "incompatible" ...
std::string VerdictName(CBupUsability::e_usability eUsability);
// "complete", "damaged", "incomplete_valid" ...
std::string ConsistencyName(CBupConsistency::e_consistency eConsistency);
// One name per set confirmation: "bios_overwrite", "reboot_for_update" ...
std::vector<std::string> ConfirmNames(const CConfirmFlags& flags);
// One name per area a candidate carries: "bios", "setup_settings", "logo" ...
std::vector<std::string> AreaNames(const CUsageFlags& flags);
// "package", "single_file" or "none".
const char* FileTypeName(CArcType::E_ARC_TYPE eType);
