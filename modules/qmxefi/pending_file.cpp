#include "pending_file.h"

#include <nlohmann/json.hpp>

#include "file_io.h"
#include "json_text.h"

namespace qmxefi {

namespace {

using nlohmann::json;

std::string ToHex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 0xF];
    }
    return out;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool FromHex(const std::string& hex, std::string& out) {
    if (hex.size() % 2 != 0) return false;
    out.clear();
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int hi = HexValue(hex[i]), lo = HexValue(hex[i + 1]);
        if (hi < 0 || lo < 0) return false;
        out += static_cast<char>(hi << 4 | lo);
    }
    return true;
}

bool Fail(std::string* why, const std::string& text) {
    if (why) *why = text;
    return false;
}

}  // namespace

std::string PendingToJson(const PendingBoot& pending) {
    json vars = json::array();
    for (const EfiVariable& v : pending.variables)
        vars.push_back({{"name", v.name}, {"guid", v.guid}, {"attributes", v.attributes}, {"data", ToHex(v.data)}});
    const json j = {{"format", kPendingFormat},
                    {"created", pending.created},
                    {"board", pending.board},
                    {"bios_version_before", pending.bios_version_before},
                    {"bios_version_expected", pending.bios_version_expected},
                    {"variables", vars}};
    return JsonText(j, 2) + "\n";
}

bool PendingFromJson(const std::string& text, PendingBoot& out, std::string* why) {
    const json j = json::parse(text, nullptr, false);
    if (!j.is_object()) return Fail(why, "not a JSON object");
    if (j.value("format", json()) != kPendingFormat) return Fail(why, "unknown format");
    for (const char* key : {"created", "board", "bios_version_before", "bios_version_expected"})
        if (!j.value(key, json()).is_string()) return Fail(why, std::string(key) + " is no string");
    const json vars = j.value("variables", json());
    if (!vars.is_array()) return Fail(why, "variables is no array");
    PendingBoot p;
    p.created = j["created"];
    p.board = j["board"];
    p.bios_version_before = j["bios_version_before"];
    p.bios_version_expected = j["bios_version_expected"];
    for (const json& v : vars) {
        if (!v.is_object() || !v.value("name", json()).is_string() || !v.value("guid", json()).is_string() ||
            !v.value("attributes", json()).is_number_unsigned() || !v.value("data", json()).is_string() ||
            v["attributes"].get<uint64_t>() > 0xFFFFFFFFu)
            return Fail(why, "a variable lacks a key or has one of the wrong type");
        EfiVariable var;
        var.name = v["name"];
        var.guid = v["guid"];
        var.attributes = v["attributes"].get<uint32_t>();
        if (!FromHex(v["data"].get<std::string>(), var.data)) return Fail(why, var.name + ": data is not hex");
        p.variables.push_back(std::move(var));
    }
    out = std::move(p);
    return true;
}

int WritePending(const RootPath& root, const PendingBoot& pending) {
    if (const int err = MakeDirectories(root(kStateDir))) return err;
    return WriteFileAtomic(root(kPendingFile), PendingToJson(pending));
}

}  // namespace qmxefi
