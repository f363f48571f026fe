#include "extension/qmx2_fields.h"

#include <limits>
#include <stdexcept>

#include <nlohmann/json.hpp>

namespace {

// Raised by the key readers when a value has the wrong JSON type or range.
class CQmx2KeyTypeError : public std::runtime_error {
public:
    CQmx2KeyTypeError(const char* key, const char* expected)
        : std::runtime_error(std::string("key '") + key + "': " + expected + " expected") {}
};

}  // namespace

namespace qmx2field {

void Read(const nlohmann::json& j, const char* key, bool& value) {
    const nlohmann::json& v = j.at(key);
    if (!v.is_boolean()) throw CQmx2KeyTypeError(key, "boolean");
    value = v.get<bool>();
}

void Read(const nlohmann::json& j, const char* key, int32_t& value) {
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

void Read(const nlohmann::json& j, const char* key, uint32_t& value) {
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

void Read(const nlohmann::json& j, const char* key, std::string& value) {
    const nlohmann::json& v = j.at(key);
    if (!v.is_string()) throw CQmx2KeyTypeError(key, "string");
    value = v.get<std::string>();
}

void Read(const nlohmann::json& j, const char* key, CQmx2MapItems& items) {
    // a reply that is no object at all is a failure, not an empty map
    if (!j.is_object()) throw std::runtime_error("object expected");
    CQmx2MapItems read;
    const auto it = j.find(key);
    if (it != j.end()) {
        if (!it->is_object()) throw CQmx2KeyTypeError(key, "object");
        for (const auto& member : it->items()) {
            if (!member.value().is_string())
                throw std::runtime_error(std::string("key '") + key + "/" + member.key() +
                                         "': string expected");
            read.emplace(member.key(), member.value().get<std::string>());
        }
    }
    items = std::move(read);
}

void Write(nlohmann::json& j, const char* key, bool value) {
    j[key] = value;
}

void Write(nlohmann::json& j, const char* key, int32_t value) {
    j[key] = value;
}

void Write(nlohmann::json& j, const char* key, uint32_t value) {
    j[key] = value;
}

void Write(nlohmann::json& j, const char* key, const std::string& value) {
    j[key] = value;
}

void Write(nlohmann::json& j, const char* key, const CQmx2MapItems& items) {
    nlohmann::json object = nlohmann::json::object();
    for (const auto& item : items) object[item.first] = item.second;
    j[key] = std::move(object);
}

}  // namespace qmx2field
