#include "bup_description.h"

#include <algorithm>
#include <utility>

namespace qmxefi {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameNoCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return i == a.size() && !b[i];
}

int CompareNumbers(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

std::string Trim(const std::string& s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// Reading stops at the first fault; the text says which element.
struct Reader {
    const XmlNode& root;
    std::string fault;

    bool Bad(const std::string& element, const char* problem) {
        if (fault.empty()) fault = element + ": " + problem;
        return false;
    }

    // The text of an element that may appear once; false when it appears twice.
    bool Single(const char* name, std::optional<std::string>& out, bool trim = true) {
        const auto all = root.All(name);
        if (all.size() > 1) return Bad(name, "given more than once");
        if (!all.empty()) out = trim ? Trim(all.front()->text) : all.front()->text;
        return true;
    }

    bool Boolean(const char* name, bool& out) {
        std::optional<std::string> text;
        if (!Single(name, text)) return false;
        if (!text) return true;
        for (const char* yes : {"true", "yes", "1"})
            if (SameNoCase(*text, yes)) {
                out = true;
                return true;
            }
        for (const char* no : {"false", "no", "0"})
            if (SameNoCase(*text, no)) {
                out = false;
                return true;
            }
        return Bad(name, "not a boolean");
    }
};

constexpr std::pair<const char*, Area> kAreaNames[] = {
    {"bios", kAreaBios},         {"setup", kAreaSetup},           {"logo", kAreaLogo},
    {"password", kAreaPassword}, {"bootorder", kAreaBootOrder}, {"systemdata", kAreaSystemData},
    {"debugcode", kAreaDebugCode},
};

constexpr std::pair<const char*, Consistency> kConsistencyNames[] = {
    {"complete", Consistency::kCompleteValid},
    {"incomplete", Consistency::kIncompleteValid},
    {"incomplete_by_user", Consistency::kIncompleteValidByUser},
    {"incomplete_invalid", Consistency::kIncompleteInvalid},
    {"damaged", Consistency::kDamaged},
};

bool ReadElements(Reader& r, Description& d) {
    std::optional<std::string> packtype, version, date, image, consistency;
    // packtype and builddate are taken as they stand: the kernel compares and dates them so.
    if (!r.Single("packtype", packtype, false) || !r.Single("biosversion", version) ||
        !r.Single("builddate", date, false) || !r.Single("image", image) || !r.Single("consistency", consistency) ||
        !r.Boolean("nvramcrossupdate", d.nvram_cross_update) || !r.Boolean("rebootbefore", d.reboot_before) ||
        !r.Boolean("rebootafter", d.reboot_after))
        return false;
    if (!packtype || packtype->empty()) return r.Bad("packtype", "missing");
    d.pack_type = *packtype == "BIOS"                       ? PackType::kBios
                  : *packtype == "CONFIG"                   ? PackType::kConfig
                  : *packtype == "QUILLMARK_COMMON_ARCHIVE" ? PackType::kCommonArchive
                                                            : PackType::kOther;
    const bool update = d.pack_type == PackType::kBios || d.pack_type == PackType::kConfig;
    for (const XmlNode* b : r.root.All("board")) d.boards.push_back(Trim(b->text));
    if (update && std::none_of(d.boards.begin(), d.boards.end(), [](const std::string& b) { return !b.empty(); }))
        return r.Bad("board", "missing");
    if (version && !version->empty()) {
        d.bios_version_text = *version;
        d.bios_version = BiosVersion::Parse(*version);
        if (!d.bios_version) return r.Bad("biosversion", "not a version");
    } else if (update) {
        return r.Bad("biosversion", "missing");
    }
    if (date) d.build_date = *date;
    for (const XmlNode* a : r.root.All("area")) {
        const std::string text = Trim(a->text);
        unsigned bit = 0;
        for (const auto& [name, area] : kAreaNames)
            if (SameNoCase(text, name)) bit = area;
        if (!bit) return r.Bad("area", "unknown area");
        d.areas |= bit;
    }
    // Without area elements a package carries its type's default.
    if (r.root.All("area").empty()) {
        if (d.pack_type == PackType::kBios) d.areas = kAreaBios;
        if (d.pack_type == PackType::kConfig) d.areas = kAreaSetup;
    }
    if (image) {
        if (!IsPlainMemberName(*image)) return r.Bad("image", "not a plain member name");
        d.image = *image;
    }
    if (consistency) {
        bool known = false;
        for (const auto& [name, value] : kConsistencyNames)
            if (SameNoCase(*consistency, name)) d.consistency = value, known = true;
        if (!known) return r.Bad("consistency", "unknown value");
    }
    // The kernel adds Parameter elements of its own; any of them counts.
    for (const XmlNode* p : r.root.All("Parameter"))
        for (const XmlNode* s : p->All("SkipBiosCompare")) {
            const std::string text = Trim(s->text);
            d.skip_bios_compare |= SameNoCase(text, "true") || SameNoCase(text, "yes") || text == "1";
        }
    return true;
}

}  // namespace

std::optional<BiosVersion> BiosVersion::Parse(const std::string& text) {
    BiosVersion v;
    for (size_t i = 0; i < text.size();) {
        if (IsDigit(text[i])) {
            size_t end = i;
            while (end < text.size() && IsDigit(text[end])) ++end;
            const size_t nonzero = text.find_first_not_of('0', i);
            v.numbers_.push_back(nonzero < end ? text.substr(nonzero, end - nonzero) : std::string());
            v.shape_ += '#';
            i = end;
        } else {
            if (text[i] != ' ' && text[i] != '\t') v.shape_ += Lower(text[i]);
            ++i;
        }
    }
    if (v.numbers_.empty()) return std::nullopt;
    return v;
}

int BiosVersion::Compare(const BiosVersion& other) const {
    for (size_t i = 0; i < numbers_.size() && i < other.numbers_.size(); ++i)
        if (const int c = CompareNumbers(numbers_[i], other.numbers_[i])) return c;
    return 0;
}

int BiosVersion::CompareMajor(const BiosVersion& other) const {
    return CompareNumbers(numbers_.front(), other.numbers_.front());
}

ReadOutcome ReadDescription(const uint8_t* data, size_t size, Description& out, std::string* why) {
    XmlNode root;
    if (!ReadXml(data, size, root, why)) return ReadOutcome::kNoDescription;
    if (root.name != "bupinfo2") {
        if (why) *why = "the root element is not bupinfo2";
        return ReadOutcome::kNoDescription;
    }
    Reader reader{root, {}};
    Description d;
    if (!ReadElements(reader, d)) {
        if (why) *why = reader.fault;
        return ReadOutcome::kDamaged;
    }
    if (d.consistency == Consistency::kDamaged) {
        if (why) *why = "declared damaged";
        return ReadOutcome::kDamaged;
    }
    out = std::move(d);
    return ReadOutcome::kOk;
}

namespace {

// The dialect has no escapes: "<" and line ends cannot be carried.
std::string Carried(std::string text) {
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '<' || c == '\r' || c == '\n'; }),
               text.end());
    return text;
}

}  // namespace

std::string ConfigDescription(const std::string& board_name, const std::string& version,
                              const std::string& build_date) {
    const std::string board = Carried(board_name), bios_version = Carried(version);
    return "<bupinfo2>\n   <packtype>CONFIG</packtype>\n   <builddate>" + build_date + "</builddate>\n   <board>" +
           board + "</board>\n   <biosversion>" + bios_version +
           "</biosversion>\n   <area>bootorder</area>\n   <nvramcrossupdate>true</nvramcrossupdate>\n</bupinfo2>\n";
}

bool IsPlainMemberName(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name[0] == '-') return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        return c == '/' || c == '\\' || c == '*' || c == '?' || static_cast<unsigned char>(c) < 0x20;
    });
}

}  // namespace qmxefi
