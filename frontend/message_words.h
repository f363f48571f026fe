// Readable words for the values kernel messages carry, shared by both printers.
#pragma once

#include <string>
#include <vector>

#include "ipc/dedure_msg.h"
#include "assessment/bup_assessment.h"

// "reboot needed to activate the changes" for SD_ACTIVATE_CHANGES ...
std::string ShutdownWords(int nValue);
// How a candidate's BIOS relates to the installed one: "newer than installed" ...
std::string UsabilityWords(CBupUsability::e_usability eUsability);
// Whether a candidate is complete and intact: "complete", "damaged" ...
std::string ConsistencyWords(CBupConsistency::e_consistency eConsistency);
// The confirmations a candidate needs, one short phrase per set flag.
std::vector<std::string> ConfirmWords(const CConfirmFlags& flags);
// Caption of the generic-information messages: "module info", "package info" ...
const char* InfoCaption(E_DEDURE_MSG eType);
// The items in one line, separated by pszSeparator.
std::string Joined(const std::vector<std::string>& items, const char* pszSeparator = ", ");
// Whole percent of a progress value (0..10000), clamped to 0..100.
int ProgressPercent(int nValue);
