#include "generic_info.h"

#include <nlohmann/json.hpp>

#include "message_text.h"
#include "quillmark/qmx2.h"

namespace qmxsim {

namespace {
using nlohmann::json;
constexpr const char kActionStatus[] = "/ACTIONSTATUS";

std::string Hex(uint32_t value) {
    char sz[16];
    std::snprintf(sz, sizeof sz, "0x%8.8X", value);
    return sz;
}
}  // namespace

uint32_t GenericInfoAnswer(const BoardState& board, std::string& record) {
    json j = json::parse(record, nullptr, false);
    if (!j.is_object() || !j.value(qmx2key::sParameters, json()).is_string())
        return QMX2_REASON_INVALID_PARAMETERS;
    if (j[qmx2key::sParameters].get<std::string>() != kActionStatus)
        return QMX2_REASON_INVALID_PARAMETERS;
    const json probe = j.value(qmx2key::ulCheckParametersOnly, json(0));
    const bool fProbe = probe.is_number() ? probe.get<double>() != 0 : probe.is_boolean() && probe.get<bool>();
    const json extended = j.value(qmx2key::fExtendedStatus, json(false));
    const bool fExtended = extended.is_boolean() && extended.get<bool>();

    json items = json::object();
    if (!fProbe) {
        const LastAction& last = board.last_action;
        if (last.accepted.empty()) {
            items["StatusString"] = "No BIOS action on record";
        } else {
            items["StatusString"] = last.executed.empty() && last.status == 0 ? std::string("Pending")
                                                                               : MessageText(last.status);
            items["FlashActionAcceptedTimeStamp"] = last.accepted;
            if (!last.executed.empty())
                items["FlashActionExecutedTimeStamp"] = last.executed;
        }
        if (fExtended) {
            items["StatusCode"] = Hex(last.status);
            items["BiosVersion"] = board.bios_version;
        }
    }
    j[qmx2key::MapItems] = std::move(items);
    record = j.dump(4);
    return 0;
}

}  // namespace qmxsim
