#include "frontend/message_words.h"

#include <algorithm>

std::string ShutdownWords(int nValue) {
    switch (nValue) {
    case 0: return "no reboot needed";
    case 1: return "reboot needed to activate the changes";
    case 2: return "an operation is pending until the next reboot";
    case 3: return "an operation is pending; quillmark continues after the reboot";
    case 4: return "power off and on (cold boot) needed to activate the changes";
    default: return "unknown request (" + std::to_string(nValue) + ")";
    }
}

std::string UsabilityWords(CBupUsability::e_usability eUsability) {
    switch (eUsability) {
    case CBupUsability::E_BUPINFO_USABILITY_INVALID_FILE_FOR_FULL_UPDATE: return "not valid for a full update";
    case CBupUsability::E_BUPINFO_USABILITY_SECURE_PLATFORM_UPDATE_REQUIRED: return "needs a secure platform update";
    case CBupUsability::E_BUPINFO_USABILITY_INCOMPATIBLE_QUILMARK: return "needs another quillmark version";
    case CBupUsability::USABILITY_INCOMPATIBLE_VERSION: return "incompatible version";
    case CBupUsability::USABILITY_OBSOLETE_VERSION: return "obsolete version";
    case CBupUsability::USABILITY_OLDER_VERSION: return "older than installed";
    case CBupUsability::USABILITY_EQUAL_VERSION: return "same as installed";
    case CBupUsability::USABILITY_NEWER_VERSION: return "newer than installed";
    case CBupUsability::USABILITY_MAJOR_VERSION: return "newer major version than installed";
    }
    return "usability " + std::to_string(static_cast<int>(eUsability));
}

std::string ConsistencyWords(CBupConsistency::e_consistency eConsistency) {
    switch (eConsistency) {
    case CBupConsistency::CONSISTENCY_UNKNOWN_OR_INVALID: return "consistency unknown";
    case CBupConsistency::CONSISTENCY_DEMAGED: return "damaged";
    case CBupConsistency::CONSISTENCY_INCOMPLETE_INVALID: return "incomplete, not usable";
    case CBupConsistency::CONSISTENCY_INCOMPLETE_VALID_BY_USER: return "incomplete, accepted by the user";
    case CBupConsistency::CONSISTENCY_INCOMPLETE_VALID: return "incomplete but usable";
    case CBupConsistency::CONSISTENCY_COMPLETE_VALID: return "complete";
    }
    return "consistency " + std::to_string(static_cast<int>(eConsistency));
}

std::vector<std::string> ConfirmWords(const CConfirmFlags& flags) {
    static const struct {
        uint32_t dwBit;
        const char* pszWords;
    } words[] = {
        {CConfirmFlags::BiosOverwrite, "BIOS overwrite"},
        {CConfirmFlags::BootForUpdate, "reboot for the update"},
        {CConfirmFlags::BootAfterUpdate, "reboot after the update"},
        {CConfirmFlags::BupInconsistency, "incomplete package"},
        {CConfirmFlags::FileOverwrite, "file overwrite"},
        {CConfirmFlags::FullUpdate, "full update"},
        {CConfirmFlags::IgnoreAc, "no AC power"},
        {CConfirmFlags::WarnDialog, "warning"},
    };
    std::vector<std::string> result;
    for (const auto& w : words)
        if (flags.Test(w.dwBit))
            result.emplace_back(w.pszWords);
    return result;
}

const char* InfoCaption(E_DEDURE_MSG eType) {
    switch (eType) {
    case CDEdureMsg::eDetailInfo: return "detail info";
    case CDEdureMsg::eMicroCodeInfo: return "microcode info";
    case CDEdureMsg::eListBupInfo: return "package info";
    default: return "module info";
    }
}

std::string Joined(const std::vector<std::string>& items, const char* pszSeparator) {
    std::string cs;
    for (const std::string& csItem : items)
        cs += (cs.empty() ? "" : pszSeparator) + csItem;
    return cs;
}

int ProgressPercent(int nValue) { return std::clamp(nValue, 0, 10000) / 100; }
