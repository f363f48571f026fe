#include "frontend/json_words.h"

#include <cstdint>

namespace {

struct SFlagName {
    uint32_t dwBit;
    const char* pszName;
};

template <typename Flags, size_t N>
std::vector<std::string> FlagNames(const Flags& flags, const SFlagName (&names)[N]) {
    std::vector<std::string> result;
    for (const SFlagName& name : names)
        if (flags.Test(name.dwBit))
            result.emplace_back(name.pszName);
    return result;
}

}  // namespace

std::string MessageKindName(E_DEDURE_MSG eType) {
    switch (eType) {
    case CDEdureMsg::eEmpty: return "empty";
    case CDEdureMsg::eError: return "error";
    case CDEdureMsg::eWarning: return "warning";
    case CDEdureMsg::eInfo: return "info";
    case CDEdureMsg::eProgress: return "progress";
    case CDEdureMsg::eFileName: return "file";
    case CDEdureMsg::ePasswordRequ: return "password_request";
    case CDEdureMsg::ePasswordData: return "password_data";
    case CDEdureMsg::eAction: return "action";
    case CDEdureMsg::eActionPart: return "part";
    case CDEdureMsg::eBiosCurrentVersion: return "current_bios";
    case CDEdureMsg::eBiosFlashedVersion: return "flashed_bios";
    case CDEdureMsg::eBiosFileVersion: return "package_bios";
    case CDEdureMsg::eSystem: return "system";
    case CDEdureMsg::eJobDone: return "job_done";
    case CDEdureMsg::eShutDown: return "shutdown";
    case CDEdureMsg::eCheckFileResult:
    case CDEdureMsg::eCheckFileResultEx: return "candidate";
    case CDEdureMsg::eModuleInfo: return "module_info";
    case CDEdureMsg::eDetailInfo: return "detail_info";
    case CDEdureMsg::eMicroCodeInfo: return "microcode_info";
    case CDEdureMsg::eListBupInfo: return "package_info";
    case CDEdureMsg::eGetGenericModuleInfo: return "generic_info";
    case CDEdureMsg::eUpdateArea: return "update_area";
    default: break;
    }
    return "message_" + std::to_string(static_cast<int>(eType));
}

std::string VerdictName(CBupUsability::e_usability eUsability) {
    switch (eUsability) {
    case CBupUsability::E_BUPINFO_USABILITY_INVALID_FILE_FOR_FULL_UPDATE: return "not_for_full_update";
    case CBupUsability::E_BUPINFO_USABILITY_SECURE_PLATFORM_UPDATE_REQUIRED: return "needs_secure_platform";
    case CBupUsability::E_BUPINFO_USABILITY_INCOMPATIBLE_QUILMARK: return "needs_other_quillmark";
    case CBupUsability::USABILITY_INCOMPATIBLE_VERSION: return "incompatible";
    case CBupUsability::USABILITY_OBSOLETE_VERSION: return "obsolete";
    case CBupUsability::USABILITY_OLDER_VERSION: return "older";
    case CBupUsability::USABILITY_EQUAL_VERSION: return "same";
    case CBupUsability::USABILITY_NEWER_VERSION: return "newer";
    case CBupUsability::USABILITY_MAJOR_VERSION: return "newer_major";
    }
    return "verdict_" + std::to_string(static_cast<int>(eUsability));
}

std::string ConsistencyName(CBupConsistency::e_consistency eConsistency) {
    switch (eConsistency) {
    case CBupConsistency::CONSISTENCY_UNKNOWN_OR_INVALID: return "unknown";
    case CBupConsistency::CONSISTENCY_DEMAGED: return "damaged";
    case CBupConsistency::CONSISTENCY_INCOMPLETE_INVALID: return "incomplete_invalid";
    case CBupConsistency::CONSISTENCY_INCOMPLETE_VALID_BY_USER: return "incomplete_by_user";
    case CBupConsistency::CONSISTENCY_INCOMPLETE_VALID: return "incomplete_valid";
    case CBupConsistency::CONSISTENCY_COMPLETE_VALID: return "complete";
    }
    return "consistency_" + std::to_string(static_cast<int>(eConsistency));
}

std::vector<std::string> ConfirmNames(const CConfirmFlags& flags) {
    static const SFlagName names[] = {
        {CConfirmFlags::BiosOverwrite, "bios_overwrite"},
        {CConfirmFlags::BootForUpdate, "reboot_for_update"},
        {CConfirmFlags::BootAfterUpdate, "reboot_after_update"},
        {CConfirmFlags::BupInconsistency, "incomplete_package"},
        {CConfirmFlags::FileOverwrite, "file_overwrite"},
        {CConfirmFlags::FullUpdate, "full_update"},
        {CConfirmFlags::IgnoreAc, "no_ac_power"},
        {CConfirmFlags::WarnDialog, "warning"},
    };
    return FlagNames(flags, names);
}

std::vector<std::string> AreaNames(const CUsageFlags& flags) {
    static const SFlagName names[] = {
        {CUsageFlags::BiosUpdate, "bios"},
        {CUsageFlags::NvramUpdate, "nvram"},
        {CUsageFlags::SetupSettingsArea, "setup_settings"},
        {CUsageFlags::LogoArea, "logo"},
        {CUsageFlags::SystemDataArea, "system_data"},
        {CUsageFlags::PasswordArea, "passwords"},
        {CUsageFlags::BootOrderVariablesArea, "boot_order"},
        {CUsageFlags::DebugCodeArea, "debug_code"},
        {CUsageFlags::NvramCrossUpdateSupported, "nvram_cross_update"},
    };
    return FlagNames(flags, names);
}

const char* FileTypeName(CArcType::E_ARC_TYPE eType) {
    switch (eType) {
    case CArcType::eArcTypeArchive: return "package";
    case CArcType::eArcTypeSingleFile: return "single_file";
    case CArcType::eArcTypeNone: break;
    }
    return "none";
}
