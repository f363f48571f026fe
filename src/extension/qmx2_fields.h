// A record described once as a table of (key, member): writing, reading and
// clearing all walk that table.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "extension/qmx2_base.h"
#include "extension/qmx2_enums.h"

using CQmx2MapItems = std::multimap<std::string, std::string>;

// The member behind a key; its type decides how the key is written and read.
template <class TRecord>
using CQmx2Member = std::variant<bool TRecord::*, int32_t TRecord::*, uint32_t TRecord::*,
                                 std::string TRecord::*, COemSetting TRecord::*,
                                 CPowerState TRecord::*, CBupUsability TRecord::*,
                                 CBupConsistency TRecord::*, CNextFileLocation TRecord::*,
                                 CQmx2MapItems TRecord::*>;

template <class TRecord>
struct CQmx2Field {
    const char* key;
    CQmx2Member<TRecord> member;
};

// A record's fields in reading order, its bases' fields first.
template <class TRecord>
using CQmx2Fields = std::vector<CQmx2Field<TRecord>>;

// A derived record's table: the base's table followed by the record's own fields.
template <class TRecord, class TBase>
CQmx2Fields<TRecord> Qmx2ExtendFields(const CQmx2Fields<TBase>& base,
                                      std::initializer_list<CQmx2Field<TRecord>> own) {
    CQmx2Fields<TRecord> fields;
    for (const auto& field : base) {
        // a base's member pointer is a member pointer of the derived record as well
        fields.push_back({field.key, std::visit([](auto m) -> CQmx2Member<TRecord> { return m; },
                                                field.member)});
    }
    fields.insert(fields.end(), own);
    return fields;
}

namespace qmx2field {

// A missing key or a value of another JSON type throws and leaves the target
// untouched. Integers must be JSON integers within the range of the target,
// so a negative or too large number for an unsigned key counts as a wrong
// type; fractions are refused as well.
void Read(const nlohmann::json& j, const char* key, bool& value);
void Read(const nlohmann::json& j, const char* key, int32_t& value);
void Read(const nlohmann::json& j, const char* key, uint32_t& value);
void Read(const nlohmann::json& j, const char* key, std::string& value);
// A missing key gives an empty map. Anything but an object of strings throws
// and leaves the map as it was; so does a reply that is no object at all.
void Read(const nlohmann::json& j, const char* key, CQmx2MapItems& items);

void Write(nlohmann::json& j, const char* key, bool value);
void Write(nlohmann::json& j, const char* key, int32_t value);
void Write(nlohmann::json& j, const char* key, uint32_t value);
void Write(nlohmann::json& j, const char* key, const std::string& value);
// Of several entries with one key only the last is written.
void Write(nlohmann::json& j, const char* key, const CQmx2MapItems& items);

// Text enumerations (COemSetting, CPowerState, ...) travel as their names.
template <class TEnum>
void Read(const nlohmann::json& j, const char* key, TEnum& value) {
    std::string s;
    Read(j, key, s);
    value.FromString(s);
}

template <class TEnum>
void Write(nlohmann::json& j, const char* key, const TEnum& value) {
    Write(j, key, value.ToString());
}

}  // namespace qmx2field

// Implements a record's JSON keys and clearing from TRecord::Fields().
// TBase is the record it extends.
template <class TRecord, class TBase = CQmx2Base>
class CQmx2Record : public TBase {
public:
    void init() override { clear(); }

    // Every field back to the value of a new record.
    void clear() override {
        const TRecord defaults{};
        for (const auto& field : TRecord::Fields())
            std::visit([&](auto m) { Self().*m = defaults.*m; }, field.member);
    }

    void ToJson(nlohmann::json& j) const override {
        for (const auto& field : TRecord::Fields())
            std::visit([&](auto m) { qmx2field::Write(j, field.key, Self().*m); }, field.member);
    }

    void FromJson(const nlohmann::json& j) override {
        for (const auto& field : TRecord::Fields())
            std::visit([&](auto m) { qmx2field::Read(j, field.key, Self().*m); }, field.member);
    }

protected:
    CQmx2Record() = default;

private:
    TRecord& Self() { return static_cast<TRecord&>(*this); }
    const TRecord& Self() const { return static_cast<const TRecord&>(*this); }
};
