#include "last_action.h"

#include <nlohmann/json.hpp>

#include "file_io.h"
#include "json_text.h"
#include "pending_file.h"

namespace qmxefi {

using nlohmann::json;

bool ReadLastAction(const RootPath& root, LastAction& out) {
    std::string text;
    if (ReadWholeFile(root(kLastActionFile), text) != 0) return false;
    const json j = json::parse(text, nullptr, false);
    if (!j.is_object()) return false;
    LastAction a;
    for (auto [key, field] : {std::pair{"action", &a.action}, {"text", &a.text}, {"accepted", &a.accepted},
                              {"executed", &a.executed}, {"expected_bios_version", &a.expected_bios_version}}) {
        const json v = j.value(key, json(""));
        if (!v.is_string()) return false;
        *field = v.get<std::string>();
    }
    const json status = j.value("status", json(0));
    if (!status.is_number_unsigned() || status.get<uint64_t>() > 0xFFFFFFFFu) return false;
    a.status = status.get<uint32_t>();
    out = std::move(a);
    return true;
}

int WriteLastAction(const RootPath& root, const LastAction& a) {
    const json j = {{"action", a.action},     {"status", a.status},     {"text", a.text},
                    {"accepted", a.accepted}, {"executed", a.executed}, {"expected_bios_version", a.expected_bios_version}};
    if (const int err = MakeDirectories(root(kStateDir))) return err;
    return WriteFileAtomic(root(kLastActionFile), JsonText(j, 2) + "\n");
}

}  // namespace qmxefi
