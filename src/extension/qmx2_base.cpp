#include "extension/qmx2_base.h"

#include <limits>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "support/opus_trace.h"

namespace {

// Raised by the key readers when a value has the wrong JSON type or range.
class CQmx2KeyTypeError : public std::runtime_error {
public:
    CQmx2KeyTypeError(const char* key, const char* expected)
        : std::runtime_error(std::string("key '") + key + "': " + expected + " expected") {}
};

}  // namespace

void CQmx2Base::ToJsonStr(std::string& out) const {
    try {
        nlohmann::json j = nlohmann::json::object();
        ToJson(j);
        // strict: text that is not valid UTF-8 throws instead of being altered
        out = j.dump(4, ' ', false, nlohmann::json::error_handler_t::strict);
    } catch (const std::exception& e) {
        QM_TRACE(1, "Exception", "", "%s", e.what());
    }
}

void CQmx2Base::FromJsonStr(const std::string& in) {
    int step = 0;
    try {
        const nlohmann::json j = nlohmann::json::parse(in);
        step = 1;
        FromJson(j);
    } catch (const std::exception& e) {
        QM_TRACE(1, "Exception", "", "%s,step=%d,content='%s'", e.what(), step, in.c_str());
    }
}

void CQmx2Base::ToString(std::string& out) const {
    ToJsonStr(out);
}

void CQmx2Base::ReadKey(const nlohmann::json& j, const char* key, bool& value) {
    const nlohmann::json& v = j.at(key);
    if (!v.is_boolean()) throw CQmx2KeyTypeError(key, "boolean");
    value = v.get<bool>();
}

void CQmx2Base::ReadKey(const nlohmann::json& j, const char* key, int32_t& value) {
    const nlohmann::json& v = j.at(key);
    bool fFits = false;
    if (v.is_number_unsigned()) {
        fFits = v.get<uint64_t>() <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
    } else if (v.is_number_integer()) {
        const int64_t i = v.get<int64_t>();
        fFits = i >= std::numeric_limits<int32_t>::min() && i <= std::numeric_limits<int32_t>::max();
    }
    if (!fFits) throw CQmx2KeyTypeError(key, "signed 32-bit integer");
    value = static_cast<int32_t>(v.get<int64_t>());
}

void CQmx2Base::ReadKey(const nlohmann::json& j, const char* key, uint32_t& value) {
    const nlohmann::json& v = j.at(key);
    bool fFits = false;
    if (v.is_number_unsigned()) {
        fFits = v.get<uint64_t>() <= std::numeric_limits<uint32_t>::max();
    } else if (v.is_number_integer()) {
        const int64_t i = v.get<int64_t>();
        fFits = i >= 0 && i <= static_cast<int64_t>(std::numeric_limits<uint32_t>::max());
    }
    if (!fFits) throw CQmx2KeyTypeError(key, "unsigned 32-bit integer");
    value = static_cast<uint32_t>(v.get<int64_t>());
}

void CQmx2Base::ReadKey(const nlohmann::json& j, const char* key, std::string& value) {
    const nlohmann::json& v = j.at(key);
    if (!v.is_string()) throw CQmx2KeyTypeError(key, "string");
    value = v.get<std::string>();
}
