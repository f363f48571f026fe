#include "check_bup_info.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "bup_document.h"
#include "bup_package.h"
#include "quillmark/qmx2.h"

namespace qmxsim {
namespace {

using nlohmann::json;

enum class Usability { kSecurePlatformRequired = -5, kIncompatible = -3, kObsolete = -2, kOlder = -1, kEqual = 0, kNewer = 1, kMajor = 2 };

const char* Name(Usability u) {
    switch (u) {
    case Usability::kSecurePlatformRequired: return "E_BUPINFO_USABILITY_SECURE_PLATFORM_UPDATE_REQUIRED";
    case Usability::kIncompatible: return "USABILITY_INCOMPATIBLE_VERSION";
    case Usability::kObsolete: return "USABILITY_OBSOLETE_VERSION";
    case Usability::kOlder: return "USABILITY_OLDER_VERSION";
    case Usability::kEqual: return "USABILITY_EQUAL_VERSION";
    case Usability::kNewer: return "USABILITY_NEWER_VERSION";
    case Usability::kMajor: return "USABILITY_MAJOR_VERSION";
    }
    return "";
}

// The kernel's names, its spelling of "damaged" included.
const char* Name(Consistency c) {
    switch (c) {
    case Consistency::kUnknownOrInvalid: return "CONSISTENCY_UNKNOWN_OR_INVALID";
    case Consistency::kDamaged: return "CONSISTENCY_DEMAGED";
    case Consistency::kIncompleteInvalid: return "CONSISTENCY_INCOMPLETE_INVALID";
    case Consistency::kIncompleteValidByUser: return "CONSISTENCY_INCOMPLETE_VALID_BY_USER";
    case Consistency::kIncompleteValid: return "CONSISTENCY_INCOMPLETE_VALID";
    case Consistency::kCompleteValid: return "CONSISTENCY_COMPLETE_VALID";
    }
    return "";
}

const char* Name(PowerState p) {
    switch (p) {
    case PowerState::kInvalid: return "BUPINFO_POWER_INVALID";
    case PowerState::kS0: return "BUPINFO_POWER_S0";
    case PowerState::kS1: return "BUPINFO_POWER_S1";
    case PowerState::kS2: return "BUPINFO_POWER_S2";
    case PowerState::kS3: return "BUPINFO_POWER_S3";
    case PowerState::kS4: return "BUPINFO_POWER_S4";
    case PowerState::kS5: return "BUPINFO_POWER_S5";
    case PowerState::kAll: return "BUPINFO_POWER_ALL";
    }
    return "";
}

// The defaults refuse the package.
struct Verdict {
    bool bios_update = false;
    bool nvram_update = false;
    bool reboot_for_bios = false;
    bool reboot_for_nvram = false;
    bool nvram_cross_update = false;
    unsigned areas = 0;  // Area bits; kAreaBios is reported as "fBiosUpdate"
    bool skip_bios_compare = false;
    std::string bios_info;
    std::string system_info;
    PowerState lowest = PowerState::kInvalid;
    PowerState after_bios = PowerState::kInvalid;
    PowerState after_nvram = PowerState::kInvalid;
    Usability usability = Usability::kIncompatible;
    Consistency consistency = Consistency::kUnknownOrInvalid;
};

std::string ToText(const Verdict& v) {
    json j = json::object();
    j[qmx2key::fBiosUpdate] = v.bios_update;
    j[qmx2key::fNvramUpdate] = v.nvram_update;
    j[qmx2key::fRebootForBiosUpdate] = v.reboot_for_bios;
    j[qmx2key::fRebootForNvramUpdate] = v.reboot_for_nvram;
    j[qmx2key::fNvramCrossUpdateSupported] = v.nvram_cross_update;
    j[qmx2key::fDebugCodeArea] = (v.areas & kAreaDebugCode) != 0;
    j[qmx2key::fLogoArea] = (v.areas & kAreaLogo) != 0;
    j[qmx2key::fSystemDataArea] = (v.areas & kAreaSystemData) != 0;
    j[qmx2key::fPasswordArea] = (v.areas & kAreaPassword) != 0;
    j[qmx2key::fSetupSettingsArea] = (v.areas & kAreaSetup) != 0;
    j[qmx2key::fBootOrderVariablesArea] = (v.areas & kAreaBootOrder) != 0;
    j[qmx2key::fSkipBiosCompare] = v.skip_bios_compare;
    j[qmx2key::sBiosInfo] = v.bios_info;
    j[qmx2key::sSystemInfo] = v.system_info;
    j[qmx2key::LowestPowerState] = Name(v.lowest);
    j[qmx2key::PowerStatesAfterBiosUpdate] = Name(v.after_bios);
    j[qmx2key::PowerStatesAfterNvramUpdate] = Name(v.after_nvram);
    j[qmx2key::Usability] = Name(v.usability);
    j[qmx2key::Consistency] = Name(v.consistency);
    return j.dump(4);
}

std::string DamagedVerdictText() {
    Verdict v;
    v.consistency = Consistency::kDamaged;
    return ToText(v);
}

bool IsFor(const PackageDescription& p, const std::string& board) {
    return std::find(p.boards.begin(), p.boards.end(), board) != p.boards.end();
}

// What the package carries, whether or not this board can use it.
void Describe(const PackageDescription& p, const std::string& board, Verdict& v) {
    v.bios_info = p.bios_version_text;
    if (IsFor(p, board)) {
        v.system_info = board;
    } else {
        for (const std::string& name : p.boards) v.system_info += (v.system_info.empty() ? "" : ", ") + name;
    }
    v.areas = p.areas;
    v.bios_update = (p.areas & kAreaBios) != 0;
    v.nvram_update = (p.areas & kConfigurationAreas) != 0;
    v.nvram_cross_update = p.nvram_cross_update;
    v.reboot_for_bios = v.bios_update && p.reboot_before;
    v.reboot_for_nvram = v.nvram_update && p.reboot_before;
    v.lowest = p.lowest_power_state;
    v.after_bios = p.power_after_bios;
    v.after_nvram = p.power_after_nvram;
    v.skip_bios_compare = p.skip_bios_compare;
}

Usability CompareWithBoard(const PackageDescription& p, const BiosVersion& package, const BiosVersion& board) {
    int order = package.Compare(board);
    if (order > 0) return package.CompareMajor(board) > 0 ? Usability::kMajor : Usability::kNewer;
    if (order == 0) return Usability::kEqual;
    if (p.obsolete_from && board.Compare(*p.obsolete_from) >= 0) return Usability::kObsolete;
    return Usability::kOlder;
}

Verdict Judge(const BoardState& board, const PackageDescription& p) {
    Verdict v;
    if (p.pack_type == PackType::kCommonArchive) {
        // Further files for an update, never an update of its own.
        v.bios_info = p.bios_version_text;
        v.usability = Usability::kEqual;
        v.consistency = Consistency::kIncompleteInvalid;
        return v;
    }
    Describe(p, board.board, v);
    if (p.pack_type == PackType::kOther || !IsFor(p, board.board)) return v;
    if (p.secure_platform && !board.secure_platform) {
        v.usability = Usability::kSecurePlatformRequired;
        return v;
    }

    std::optional<BiosVersion> installed = BiosVersion::Parse(board.bios_version);
    if (p.skip_bios_compare) {
        // Usable, yet no overwrite confirmation: the user asked for no comparison.
        v.usability = Usability::kNewer;
    } else if (!installed) {
        return v;  // nothing to compare with
    } else {
        int order = p.bios_version->Compare(*installed);
        if (p.pack_type == PackType::kConfig && order != 0 && !p.nvram_cross_update) return v;
        v.usability = CompareWithBoard(p, *p.bios_version, *installed);
        if (v.usability == Usability::kObsolete) return v;
    }
    // A BIOS area without its image cannot be written.
    Consistency derived = v.bios_update && p.image.empty() ? Consistency::kIncompleteInvalid
                                                           : Consistency::kCompleteValid;
    v.consistency = std::min(p.consistency, derived);
    return v;
}

}  // namespace

std::string RefusedVerdictText() {
    return ToText(Verdict());
}

uint32_t CheckPackage(const BoardState& board, const uint8_t* data, uint32_t size, std::string& reply) {
    XmlElement root;
    if (!ParseXml(data, size, root) || root.name != "bupinfo2") {
        reply = DamagedVerdictText();
        return Qmx2Status(QMX2_SEV_ERROR, QMX2_OP_CHECK_BUP_INFO, QMX2_REASON_INVALID_FILE);
    }
    PackageDescription package;
    if (!ReadPackage(root, package) || package.consistency == Consistency::kDamaged) {
        reply = DamagedVerdictText();
        return 0;
    }
    reply = ToText(Judge(board, package));
    return 0;
}

}  // namespace qmxsim
