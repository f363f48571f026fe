// Records carrying a free-form map of string items ("MapItems").
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "extension/qmx2_base.h"
#include "extension/qmx2_operation_base.h"

// The "MapItems" part of a record: one JSON object, one string member per entry.
class CQmx2MapDataExtension {
public:
    // Of several entries with one key only the last is written.
    void MapToJson(nlohmann::json& j) const;
    // A missing "MapItems" gives an empty map. Anything but an object of
    // strings throws and leaves the map as it was.
    void MapFromJson(const nlohmann::json& j);
    // "[key] = value" per entry, one per line.
    void MapToString(std::string& out) const;

    std::multimap<std::string, std::string> MapItems;

protected:
    ~CQmx2MapDataExtension() = default;
};

class CQmx2DetailInfo : public CQmx2OperationBase, public CQmx2MapDataExtension {
public:
    CQmx2DetailInfo() = default;

    void clear() override;
    void ToJson(nlohmann::json& j) const override;
    void FromJson(const nlohmann::json& j) override;
    void ToString(std::string& out) const override;
};

class CQmx2ListBupInfo : public CQmx2Base, public CQmx2MapDataExtension {
public:
    CQmx2ListBupInfo() = default;

    void init() override;
    void clear() override;
    void ToJson(nlohmann::json& j) const override;
    void FromJson(const nlohmann::json& j) override;
    void ToString(std::string& out) const override;
};

// In and out of QMX2_GetGenericModuleInfo; the reply's items are the information.
class CQmx2GetGenericModuleInfo : public CQmx2OperationBase, public CQmx2MapDataExtension {
public:
    CQmx2GetGenericModuleInfo() = default;

    void clear() override;
    void ToJson(nlohmann::json& j) const override;
    void FromJson(const nlohmann::json& j) override;
    void ToString(std::string& out) const override;

    // Resets only the request keys; the argument is not used and the call
    // sequence is not reset.
    void InitForStart(const char* szSourcePath);
    void InitForStart(const std::string& sSourcePath) { InitForStart(sSourcePath.c_str()); }

    // 1: only check the parameters, 0: do it.
    uint32_t ulCheckParametersOnly = 0;
    std::string sParameters;
};
