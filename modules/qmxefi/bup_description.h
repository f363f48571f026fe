// The package description (BupInfo2.xml) as this module reads it, and the
// BIOS versions it compares (elements and forms: README.md).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "xml_reader.h"

namespace qmxefi {

// A BIOS version as the machine reports it: its numbers compare as numbers,
// in order; the text around them must have the same form on both sides
// ("1.17.0" and "1.9.2", "F12" and "F9", "N2HET73W (1.56 )" and
// "N2HET74W (1.57 )"), since numbers of unlike forms mean nothing together.
class BiosVersion {
public:
    // Null for text without a digit.
    static std::optional<BiosVersion> Parse(const std::string& text);
    bool ComparableWith(const BiosVersion& other) const { return shape_ == other.shape_; }
    // Negative, 0 or positive; only for comparable versions.
    int Compare(const BiosVersion& other) const;
    int CompareMajor(const BiosVersion& other) const;

private:
    std::string shape_;                 // the text, each number as "#", lower case, without blanks
    std::vector<std::string> numbers_;  // digits without leading zeros
};

enum class PackType { kBios, kConfig, kCommonArchive, kOther };

enum Area : unsigned {
    kAreaBios = 1u << 0,
    kAreaSetup = 1u << 1,
    kAreaLogo = 1u << 2,
    kAreaPassword = 1u << 3,
    kAreaBootOrder = 1u << 4,
    kAreaSystemData = 1u << 5,
    kAreaDebugCode = 1u << 6,
};

// The kernel's consistency values, worst first.
enum class Consistency {
    kUnknownOrInvalid = -3,
    kDamaged = -2,
    kIncompleteInvalid = -1,
    kIncompleteValidByUser = 0,
    kIncompleteValid = 1,
    kCompleteValid = 2,
};

struct Description {
    PackType pack_type = PackType::kOther;
    std::vector<std::string> boards;
    std::string bios_version_text;
    std::optional<BiosVersion> bios_version;
    std::string build_date;
    unsigned areas = 0;
    std::string image;  // member holding the capsule; empty: none
    bool nvram_cross_update = false;
    bool reboot_before = false;
    bool reboot_after = false;
    Consistency consistency = Consistency::kCompleteValid;  // as declared
    bool skip_bios_compare = false;                         // the kernel's Parameter\SkipBiosCompare
};

enum class ReadOutcome { kOk, kNoDescription, kDamaged };

// kNoDescription: not a document of the dialect or its root is not bupinfo2;
// kDamaged: a required element missing or empty, a single element twice, a
// value not of its form, or consistency "damaged". why says what.
ReadOutcome ReadDescription(const uint8_t* data, size_t size, Description& out, std::string* why = nullptr);

// A configuration archive's description, as the backup writes it.
std::string ConfigDescription(const std::string& board, const std::string& bios_version, const std::string& build_date);

// A plain member name: not empty, not "." or "..", no "/" or "\", not
// starting with "-", no "*" or "?" (the kernel's wildcards), no control characters.
bool IsPlainMemberName(const std::string& name);

}  // namespace qmxefi
