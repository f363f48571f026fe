#include "bup_package.h"

#include <stdexcept>
#include <utility>

namespace qmxsim {

std::optional<BiosVersion> BiosVersion::Parse(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && ((text[i] >= 'A' && text[i] <= 'Z') || (text[i] >= 'a' && text[i] <= 'z'))) ++i;
    BiosVersion v;
    for (;;) {
        size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        if (i == start) return std::nullopt;
        std::string_view digits = text.substr(start, i - start);
        size_t zeros = digits.find_first_not_of('0');
        v.parts_.emplace_back(zeros == std::string_view::npos ? std::string_view() : digits.substr(zeros));
        if (i == text.size()) return v;
        if (text[i++] != '.') return std::nullopt;
    }
}

namespace {

// Numbers as digit strings without leading zeros: the longer is larger.
int CompareNumbers(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

}  // namespace

int BiosVersion::Compare(const BiosVersion& other) const {
    static const std::string zero;
    for (size_t i = 0; i < parts_.size() || i < other.parts_.size(); ++i) {
        const std::string& a = i < parts_.size() ? parts_[i] : zero;
        const std::string& b = i < other.parts_.size() ? other.parts_[i] : zero;
        if (int c = CompareNumbers(a, b)) return c;
    }
    return 0;
}

int BiosVersion::CompareMajor(const BiosVersion& other) const {
    return CompareNumbers(parts_.front(), other.parts_.front());
}

namespace {

// A description that cannot be used; the text names the element.
struct Damaged : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Bad(std::string_view element, const char* problem) {
    throw Damaged(std::string(element) + ": " + problem);
}

std::string_view Trim(std::string_view s) {
    const char* blanks = " \t\r\n";
    size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// The keyword's value for text compared without regard to case.
template <class T, size_t N>
T Keyword(std::string_view element, std::string_view text, const std::pair<const char*, T> (&table)[N]) {
    for (const auto& [name, value] : table)
        if (EqualsIgnoreCase(text, name)) return value;
    Bad(element, "unknown value");
}

// The text of an element that may appear at most once, trimmed unless the
// kernel reads it exactly too; null when absent.
std::optional<std::string> Single(const XmlElement& root, const char* name, bool trim = true) {
    std::vector<const XmlElement*> found = root.Children(name);
    if (found.empty()) return std::nullopt;
    if (found.size() > 1) Bad(name, "given more than once");
    return std::string(trim ? Trim(found.front()->text) : std::string_view(found.front()->text));
}

std::string Required(const XmlElement& root, const char* name, bool trim = true) {
    std::optional<std::string> text = Single(root, name, trim);
    if (!text) Bad(name, "missing");
    if (text->empty()) Bad(name, "empty");
    return *text;
}

constexpr std::pair<const char*, bool> kBooleans[] = {
    {"true", true}, {"false", false}, {"yes", true}, {"no", false}, {"1", true}, {"0", false}};

bool Boolean(std::string_view element, std::string_view text) {
    return Keyword(element, text, kBooleans);
}

void ReadBoolean(const XmlElement& root, const char* name, bool& out) {
    if (std::optional<std::string> text = Single(root, name)) out = Boolean(name, *text);
}

BiosVersion Version(std::string_view element, std::string_view text) {
    std::optional<BiosVersion> v = BiosVersion::Parse(text);
    if (!v) Bad(element, "not a version");
    return *v;
}

constexpr std::pair<const char*, PowerState> kPowerStates[] = {
    {"S0", PowerState::kS0}, {"S1", PowerState::kS1}, {"S2", PowerState::kS2}, {"S3", PowerState::kS3},
    {"S4", PowerState::kS4}, {"S5", PowerState::kS5}, {"ALL", PowerState::kAll}};

void ReadPowerState(const XmlElement& root, const char* name, PowerState& out) {
    if (std::optional<std::string> text = Single(root, name)) out = Keyword(name, *text, kPowerStates);
}

// In the order the backup has always written its areas.
constexpr std::pair<const char*, Area> kAreaNames[] = {
    {"bios", kAreaBios}, {"setup", kAreaSetup}, {"password", kAreaPassword}, {"logo", kAreaLogo},
    {"bootorder", kAreaBootOrder}, {"systemdata", kAreaSystemData}, {"debugcode", kAreaDebugCode}};

constexpr std::pair<const char*, Consistency> kConsistencies[] = {
    {"complete", Consistency::kCompleteValid},
    {"incomplete", Consistency::kIncompleteValid},
    {"incomplete_by_user", Consistency::kIncompleteValidByUser},
    {"incomplete_invalid", Consistency::kIncompleteInvalid},
    {"damaged", Consistency::kDamaged}};

// The update job will extract members by these names: only plain names that
// stay inside the transfer directory and cannot pass for an option.
std::string MemberName(const char* element, std::string_view text) {
    if (text.empty() || text == "." || text == ".." || text.front() == '-' ||
        text.find_first_of("/\\") != std::string_view::npos)
        Bad(element, "not a plain member name");
    return std::string(text);
}

void Read(const XmlElement& root, PackageDescription& p) {
    std::string type = Required(root, "packtype", false);
    // Exact, as the kernel compares it when it looks for common archives.
    p.pack_type = type == "BIOS"                       ? PackType::kBios
                  : type == "CONFIG"                   ? PackType::kConfig
                  : type == "QUILLMARK_COMMON_ARCHIVE" ? PackType::kCommonArchive
                                                       : PackType::kOther;
    bool updates = p.pack_type == PackType::kBios || p.pack_type == PackType::kConfig;

    for (const XmlElement* board : root.Children("board")) {
        std::string_view name = Trim(board->text);
        if (name.empty()) Bad("board", "empty");
        p.boards.emplace_back(name);
    }
    if (updates && p.boards.empty()) Bad("board", "missing");

    if (updates) p.bios_version_text = Required(root, "biosversion");
    else p.bios_version_text = Single(root, "biosversion").value_or("");
    if (!p.bios_version_text.empty()) p.bios_version = Version("biosversion", p.bios_version_text);
    // builddate is not checked, only kept as it stands: the kernel reads it, also in packages made from this one.
    if (const XmlElement* date = root.Child("builddate")) p.build_date = date->text;
    if (std::optional<std::string> text = Single(root, "obsoletefrom")) {
        p.obsolete_from = Version("obsoletefrom", *text);
        p.obsolete_from_text = *text;
    }

    std::vector<const XmlElement*> areas = root.Children("area");
    for (const XmlElement* area : areas) p.areas |= Keyword("area", Trim(area->text), kAreaNames);
    if (areas.empty() && p.pack_type == PackType::kBios) p.areas = kAreaBios;
    if (areas.empty() && p.pack_type == PackType::kConfig) p.areas = kAreaSetup;

    if (std::optional<std::string> text = Single(root, "image")) p.image = MemberName("image", *text);
    for (const XmlElement* part : root.Children("part")) p.parts.push_back(MemberName("part", Trim(part->text)));

    ReadBoolean(root, "nvramcrossupdate", p.nvram_cross_update);
    ReadBoolean(root, "secureplatform", p.secure_platform);
    ReadBoolean(root, "rebootbefore", p.reboot_before);
    ReadBoolean(root, "rebootafter", p.reboot_after);
    // A restart afterwards: the system may only be switched off or restarted.
    PowerState after = p.reboot_after ? PowerState::kS5 : PowerState::kAll;
    p.power_after_bios = p.power_after_nvram = after;
    ReadPowerState(root, "lowestpowerstate", p.lowest_power_state);
    ReadPowerState(root, "powerafterbios", p.power_after_bios);
    ReadPowerState(root, "powerafternvram", p.power_after_nvram);
    if (std::optional<std::string> text = Single(root, "consistency"))
        p.consistency = Keyword("consistency", *text, kConsistencies);

    // The kernel appends its parameter as the root's last child; any
    // Parameter element counts.
    for (const XmlElement* parameter : root.Children("Parameter"))
        for (const XmlElement* skip : parameter->Children("SkipBiosCompare"))
            p.skip_bios_compare |= Boolean("Parameter\\SkipBiosCompare", Trim(skip->text));
}

}  // namespace

namespace {

// Texts go in as they are: the kernel's reader knows no escapes, so "&" and
// ">" read back as written, while "<" and line ends cannot be carried.
void Element(std::string& doc, const char* name, std::string_view value) {
    doc += std::string("  <") + name + ">" + std::string(value) + "</" + name + ">\n";
}

void Flag(std::string& doc, const char* name, bool value) {
    if (value) Element(doc, name, "true");
}

// The keyword's name, or null for a value no document can hold.
template <class T, size_t N>
const char* KeywordName(T value, const std::pair<const char*, T> (&table)[N]) {
    for (const auto& [name, v] : table)
        if (v == value) return name;
    return nullptr;
}

void NamedElement(std::string& doc, const char* element, const char* name) {
    if (name) Element(doc, element, name);
}

const char* PackTypeName(PackType type) {
    switch (type) {
    case PackType::kBios: return "BIOS";
    case PackType::kConfig: return "CONFIG";
    case PackType::kCommonArchive: return "QUILLMARK_COMMON_ARCHIVE";
    case PackType::kOther: break;
    }
    return "";
}

}  // namespace

std::string WritePackage(const PackageDescription& p) {
    std::string doc = "<bupinfo2>\n";
    Element(doc, "packtype", PackTypeName(p.pack_type));
    for (const std::string& board : p.boards) Element(doc, "board", board);
    bool updates = p.pack_type == PackType::kBios || p.pack_type == PackType::kConfig;
    if (updates || !p.bios_version_text.empty()) Element(doc, "biosversion", p.bios_version_text);
    if (!p.build_date.empty()) Element(doc, "builddate", p.build_date);
    if (!p.obsolete_from_text.empty()) Element(doc, "obsoletefrom", p.obsolete_from_text);
    for (const auto& [name, bit] : kAreaNames)
        if (p.areas & bit) Element(doc, "area", name);
    if (!p.image.empty()) Element(doc, "image", p.image);
    for (const std::string& part : p.parts) Element(doc, "part", part);
    Flag(doc, "nvramcrossupdate", p.nvram_cross_update);
    Flag(doc, "secureplatform", p.secure_platform);
    Flag(doc, "rebootbefore", p.reboot_before);
    Flag(doc, "rebootafter", p.reboot_after);
    if (p.lowest_power_state != PowerState::kAll)
        NamedElement(doc, "lowestpowerstate", KeywordName(p.lowest_power_state, kPowerStates));
    // The reader derives these from rebootafter when they are missing.
    PowerState after = p.reboot_after ? PowerState::kS5 : PowerState::kAll;
    if (p.power_after_bios != after)
        NamedElement(doc, "powerafterbios", KeywordName(p.power_after_bios, kPowerStates));
    if (p.power_after_nvram != after)
        NamedElement(doc, "powerafternvram", KeywordName(p.power_after_nvram, kPowerStates));
    if (p.consistency != Consistency::kCompleteValid)
        NamedElement(doc, "consistency", KeywordName(p.consistency, kConsistencies));
    return doc + "</bupinfo2>\n";
}

bool ReadPackage(const XmlElement& root, PackageDescription& out, std::string* why) {
    PackageDescription p;
    try {
        Read(root, p);
    } catch (const Damaged& e) {
        if (why) *why = e.what();
        return false;
    }
    out = std::move(p);
    return true;
}

}  // namespace qmxsim
