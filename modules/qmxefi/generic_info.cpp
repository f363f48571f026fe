#include "generic_info.h"

#include <cstdio>

#include <nlohmann/json.hpp>

#include "bup_description.h"
#include "json_text.h"
#include "last_action.h"
#include "message_text.h"
#include "quillmark/qmx2.h"

namespace qmxefi {

namespace {

using nlohmann::json;

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

// An update waits for the restart; once the machine reports the version it
// was to bring, the firmware has applied it.
bool Applied(const LastAction& last, const Identity& machine) {
    if (last.expected_bios_version.empty()) return false;
    const auto want = BiosVersion::Parse(last.expected_bios_version);
    const auto have = BiosVersion::Parse(machine.bios_version);
    if (want && have && want->ComparableWith(*have)) return want->Compare(*have) == 0;
    return last.expected_bios_version == machine.bios_version;
}

}  // namespace

uint32_t GenericInfoAnswer(const RootPath& root, const Identity& machine, std::string& record) {
    json j = json::parse(record, nullptr, false);
    if (!j.is_object() || j.value(qmx2key::sParameters, json()) != "/ACTIONSTATUS")
        return QMX2_REASON_INVALID_PARAMETERS;
    const json probe = j.value(qmx2key::ulCheckParametersOnly, json(0));
    const bool only_check = probe.is_number() ? probe.get<double>() != 0 : probe.is_boolean() && probe.get<bool>();
    const json extended_value = j.value(qmx2key::fExtendedStatus, json(false));
    const bool extended = extended_value.is_boolean() && extended_value.get<bool>();

    json items = json::object();
    if (!only_check) {
        LastAction last;
        if (!ReadLastAction(root, last) || last.accepted.empty()) {
            items["StatusString"] = "No BIOS action on record";
        } else {
            const bool pending = last.status == 0 && last.executed.empty();
            if (pending && Applied(last, machine)) {
                items["StatusString"] = last.action + ": applied, BIOS now " + machine.bios_version;
            } else if (pending) {
                items["StatusString"] = last.action + ": pending, applied at the next restart";
            } else {
                items["StatusString"] = last.action + ": " + (last.status ? MessageText(last.status) : "Success");
            }
            items["FlashActionAcceptedTimeStamp"] = last.accepted;
            if (!last.executed.empty()) items["FlashActionExecutedTimeStamp"] = last.executed;
        }
        if (extended) {
            items["StatusCode"] = Hex(last.status);
            items["StatusText"] = last.text;
            items["BiosVersion"] = machine.bios_version;
        }
    }
    j[qmx2key::MapItems] = std::move(items);
    record = JsonText(j);
    return 0;
}

}  // namespace qmxefi
