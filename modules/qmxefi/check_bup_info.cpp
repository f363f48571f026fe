#include "check_bup_info.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "bup_description.h"
#include "json_text.h"
#include "quillmark/qmx2.h"

namespace qmxefi {

namespace {

using nlohmann::json;

enum class Usability { kIncompatible = -3, kOlder = -1, kEqual = 0, kNewer = 1, kMajor = 2 };

const char* Name(Usability u) {
    switch (u) {
    case Usability::kIncompatible: return "USABILITY_INCOMPATIBLE_VERSION";
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

struct Verdict {
    bool bios = false;       // the capsule is carried
    bool boot_order = false;  // boot variables are carried
    bool reboot_for_nvram = false;
    bool cross = false;
    bool skip = false;
    std::string bios_info, system_info;
    const char* lowest = "BUPINFO_POWER_INVALID";
    const char* after_bios = "BUPINFO_POWER_INVALID";
    const char* after_nvram = "BUPINFO_POWER_INVALID";
    Usability usability = Usability::kIncompatible;
    Consistency consistency = Consistency::kUnknownOrInvalid;
};

std::string ToText(const Verdict& v) {
    json j = json::object();
    j[qmx2key::fBiosUpdate] = v.bios;
    j[qmx2key::fNvramUpdate] = v.boot_order;
    // A capsule is always applied by the firmware across a restart.
    j[qmx2key::fRebootForBiosUpdate] = v.bios;
    j[qmx2key::fRebootForNvramUpdate] = v.reboot_for_nvram;
    j[qmx2key::fNvramCrossUpdateSupported] = v.cross;
    // Setup settings, passwords, logo, system data and debug code are not
    // served on this board, whatever a package carries.
    j[qmx2key::fDebugCodeArea] = false;
    j[qmx2key::fLogoArea] = false;
    j[qmx2key::fSystemDataArea] = false;
    j[qmx2key::fPasswordArea] = false;
    j[qmx2key::fSetupSettingsArea] = false;
    j[qmx2key::fBootOrderVariablesArea] = v.boot_order;
    j[qmx2key::fSkipBiosCompare] = v.skip;
    j[qmx2key::sBiosInfo] = v.bios_info;
    j[qmx2key::sSystemInfo] = v.system_info;
    j[qmx2key::LowestPowerState] = v.lowest;
    j[qmx2key::PowerStatesAfterBiosUpdate] = v.after_bios;
    j[qmx2key::PowerStatesAfterNvramUpdate] = v.after_nvram;
    j[qmx2key::Usability] = Name(v.usability);
    j[qmx2key::Consistency] = Name(v.consistency);
    return JsonText(j);
}

Verdict Judge(const Identity& machine, const Description& d) {
    Verdict v;
    if (d.pack_type == PackType::kCommonArchive) {
        // Further files for an update, never an update of its own.
        v.bios_info = d.bios_version_text;
        v.usability = Usability::kEqual;
        v.consistency = Consistency::kIncompleteInvalid;
        return v;
    }
    const bool fits = std::any_of(d.boards.begin(), d.boards.end(),
                                  [&](const std::string& b) { return NamesThisMachine(machine, b); });
    v.bios_info = d.bios_version_text;
    if (fits) {
        v.system_info = SystemName(machine);
    } else {
        for (const std::string& b : d.boards) v.system_info += (v.system_info.empty() ? "" : ", ") + b;
    }
    if (d.pack_type == PackType::kOther || !fits) return v;
    v.lowest = "BUPINFO_POWER_ALL";
    v.after_bios = d.reboot_after ? "BUPINFO_POWER_S5" : "BUPINFO_POWER_ALL";
    v.after_nvram = v.after_bios;
    v.cross = d.nvram_cross_update;
    v.skip = d.skip_bios_compare;
    const bool config = d.pack_type == PackType::kConfig;
    if (config) {
        v.boot_order = (d.areas & kAreaBootOrder) != 0;
        v.reboot_for_nvram = v.boot_order && d.reboot_before;
        if (!v.boot_order) return v;  // nothing this board can restore
    } else {
        v.bios = (d.areas & kAreaBios) != 0;
        if (!v.bios) return v;
    }

    const std::optional<BiosVersion> installed = BiosVersion::Parse(machine.bios_version);
    const bool comparable = installed && d.bios_version && installed->ComparableWith(*d.bios_version);
    if (d.skip_bios_compare) {
        v.usability = Usability::kNewer;
    } else if (config && d.nvram_cross_update && !comparable) {
        // Boot variables do not depend on the BIOS version they were saved under.
        v.usability = Usability::kEqual;
    } else if (!comparable) {
        return v;
    } else {
        const int order = d.bios_version->Compare(*installed);
        if (config && order != 0 && !d.nvram_cross_update) return v;
        v.usability = order < 0                                        ? Usability::kOlder
                      : order == 0                                     ? Usability::kEqual
                      : d.bios_version->CompareMajor(*installed) > 0 ? Usability::kMajor
                                                                       : Usability::kNewer;
    }
    // A BIOS package without its capsule member cannot be applied.
    const Consistency derived =
        v.bios && d.image.empty() ? Consistency::kIncompleteInvalid : Consistency::kCompleteValid;
    v.consistency = std::min(d.consistency, derived);
    return v;
}

}  // namespace

std::string RefusedVerdictText() { return ToText(Verdict()); }

uint32_t CheckPackage(const Identity& machine, const uint8_t* data, uint32_t size, std::string& reply) {
    Description d;
    const ReadOutcome outcome = ReadDescription(data, size, d);
    if (outcome != ReadOutcome::kOk) {
        Verdict damaged;
        damaged.consistency = Consistency::kDamaged;
        reply = ToText(damaged);
        return outcome == ReadOutcome::kNoDescription
                   ? Qmx2Status(QMX2_SEV_ERROR, QMX2_OP_CHECK_BUP_INFO, QMX2_REASON_INVALID_FILE)
                   : 0;
    }
    reply = ToText(Judge(machine, d));
    return 0;
}

}  // namespace qmxefi
