// CQmx2Base: a record exchanged with a board module as JSON text.
#pragma once

#include <string>

#include <nlohmann/json_fwd.hpp>

class CQmx2Base {
public:
    virtual ~CQmx2Base() = default;

    // Sets the defaults.
    virtual void init() = 0;
    // Back to the defaults, strings emptied.
    virtual void clear() = 0;
    // Writes this record's keys (its bases' keys first).
    virtual void ToJson(nlohmann::json& j) const = 0;
    // Reads the keys in table order; every key must be present and of its type.
    // Throws on the first failing key: fields read before it keep their new
    // values, the others their old ones.
    virtual void FromJson(const nlohmann::json& j) = 0;

    // The record as indented JSON text; out stays as it was on any failure.
    virtual void ToJsonStr(std::string& out) const;
    // Parses a module's reply into the record; failures are traced, never thrown.
    virtual void FromJsonStr(const std::string& in);
    // Trace text; here the JSON text itself.
    virtual void ToString(std::string& out) const;

protected:
    CQmx2Base() = default;
    CQmx2Base(const CQmx2Base&) = default;
    CQmx2Base& operator=(const CQmx2Base&) = default;
};
