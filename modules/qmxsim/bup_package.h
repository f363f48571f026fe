// The package description qmxsim understands (the BupInfo2.xml elements are
// listed in README.md), read from a parsed document and written as one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bup_document.h"

namespace qmxsim {

// A BIOS version: decimal numbers joined by dots, after an optional prefix
// of ASCII letters that takes no part in comparisons ("R1.12.0" is 1.12.0).
class BiosVersion {
public:
    static std::optional<BiosVersion> Parse(std::string_view text);

    // Component by component as numbers of any length; a missing component
    // counts as 0, so 1.0 equals 1.00 and 1.0.0. Negative, 0 or positive.
    int Compare(const BiosVersion& other) const;
    // The first component, as a number; it tells a major version.
    int CompareMajor(const BiosVersion& other) const;

private:
    std::vector<std::string> parts_;  // digits without leading zeros; "" is 0
};

enum class PackType { kBios, kConfig, kCommonArchive, kOther };

// The areas a package carries, as bits.
enum Area : unsigned {
    kAreaBios = 1u << 0,
    kAreaSetup = 1u << 1,
    kAreaLogo = 1u << 2,
    kAreaPassword = 1u << 3,
    kAreaBootOrder = 1u << 4,
    kAreaSystemData = 1u << 5,
    kAreaDebugCode = 1u << 6,
};
// The areas that belong to the configuration data (NVRAM).
constexpr unsigned kConfigurationAreas = kAreaSetup | kAreaLogo | kAreaPassword | kAreaBootOrder | kAreaSystemData;

// The member holding each area in a package, as the backup writes them; the
// bios area travels as the image instead.
struct AreaMember {
    Area area;
    const char* file;
};
constexpr AreaMember kAreaMembers[] = {
    {kAreaSetup, "setup_settings.bin"}, {kAreaPassword, "password.bin"},       {kAreaLogo, "logo.bin"},
    {kAreaBootOrder, "boot_order.bin"}, {kAreaSystemData, "system_data.bin"}, {kAreaDebugCode, "debug_code.bin"},
};

// Values of the verdict's power-state keys; only these have a name there.
enum class PowerState { kInvalid = 0, kS0 = 1, kS1 = 2, kS2 = 4, kS3 = 8, kS4 = 16, kS5 = 32, kAll = 63 };

// Values of the verdict's consistency, worst first, so the lower one wins.
enum class Consistency {
    kUnknownOrInvalid = -3,
    kDamaged = -2,
    kIncompleteInvalid = -1,
    kIncompleteValidByUser = 0,
    kIncompleteValid = 1,
    kCompleteValid = 2,
};

struct PackageDescription {
    PackType pack_type = PackType::kOther;
    std::vector<std::string> boards;
    std::string bios_version_text;            // as written, for "sBiosInfo"
    std::optional<BiosVersion> bios_version;  // set whenever the text is
    std::string build_date;                   // as written, for the kernel; empty: none
    std::string obsolete_from_text;           // as written; empty: none
    std::optional<BiosVersion> obsolete_from;  // set whenever the text is
    unsigned areas = 0;
    std::string image;               // member holding the BIOS image; empty: none
    std::vector<std::string> parts;  // further members, for the update
    bool nvram_cross_update = false;
    bool secure_platform = false;  // only for boards running a secure platform
    bool reboot_before = false;
    bool reboot_after = false;
    PowerState lowest_power_state = PowerState::kAll;
    PowerState power_after_bios = PowerState::kAll;
    PowerState power_after_nvram = PowerState::kAll;
    Consistency consistency = Consistency::kCompleteValid;  // as declared
    bool skip_bios_compare = false;  // the kernel's Parameter\SkipBiosCompare
};

// Reads the description below the root element "bupinfo2". Returns false
// when it is damaged: a required element missing, a single element given
// twice, or a value not of its form (why, when given, names the element).
bool ReadPackage(const XmlElement& root, PackageDescription& out, std::string* why = nullptr);

// The description as a BupInfo2.xml document that ReadPackage and the
// kernel's reader both take: no XML declaration, one element per line,
// values as they are (no escapes). Elements at their default are left out,
// so are empty texts other than biosversion of BIOS and CONFIG packages, and
// the kernel's Parameter. A package without areas reads back with its type's
// default; a type other than BIOS, CONFIG or a common archive cannot be written.
std::string WritePackage(const PackageDescription& package);

}  // namespace qmxsim
