#include "extension/qmx2_map_records.h"

#include <stdexcept>

#include <nlohmann/json.hpp>

#include "quillmark/qmx2.h"

// ---- CQmx2MapDataExtension ----------------------------------------------

void CQmx2MapDataExtension::MapToJson(nlohmann::json& j) const {
    nlohmann::json items = nlohmann::json::object();
    for (const auto& item : MapItems) items[item.first] = item.second;
    j[qmx2key::MapItems] = std::move(items);
}

void CQmx2MapDataExtension::MapFromJson(const nlohmann::json& j) {
    std::multimap<std::string, std::string> items;
    const auto it = j.find(qmx2key::MapItems);
    if (it != j.end()) {
        if (!it->is_object())
            throw std::runtime_error(std::string("key '") + qmx2key::MapItems + "': object expected");
        for (const auto& member : it->items()) {
            if (!member.value().is_string())
                throw std::runtime_error(std::string("key '") + qmx2key::MapItems + "/" +
                                         member.key() + "': string expected");
            items.emplace(member.key(), member.value().get<std::string>());
        }
    }
    MapItems = std::move(items);
}

void CQmx2MapDataExtension::MapToString(std::string& out) const {
    out.clear();
    for (const auto& item : MapItems) {
        if (!out.empty()) out += '\n';
        out += "[" + item.first + "] = " + item.second;
    }
}

// ---- CQmx2DetailInfo ----------------------------------------------------

void CQmx2DetailInfo::clear() {
    CQmx2OperationBase::clear();
    MapItems.clear();
}

void CQmx2DetailInfo::ToJson(nlohmann::json& j) const {
    CQmx2OperationBase::ToJson(j);
    MapToJson(j);
}

void CQmx2DetailInfo::FromJson(const nlohmann::json& j) {
    CQmx2OperationBase::FromJson(j);
    MapFromJson(j);
}

void CQmx2DetailInfo::ToString(std::string& out) const {
    CQmx2OperationBase::ToString(out);
    std::string sMap;
    MapToString(sMap);
    out += "\n" + sMap;
}

// ---- CQmx2ListBupInfo ---------------------------------------------------

void CQmx2ListBupInfo::init() {
    clear();
}

void CQmx2ListBupInfo::clear() {
    MapItems.clear();
}

void CQmx2ListBupInfo::ToJson(nlohmann::json& j) const {
    MapToJson(j);
}

void CQmx2ListBupInfo::FromJson(const nlohmann::json& j) {
    // a reply that is no object at all is a failure, not an empty map
    if (!j.is_object()) throw std::runtime_error("object expected");
    MapFromJson(j);
}

void CQmx2ListBupInfo::ToString(std::string& out) const {
    MapToString(out);
}

// ---- CQmx2GetGenericModuleInfo ------------------------------------------

void CQmx2GetGenericModuleInfo::clear() {
    CQmx2OperationBase::clear();
    MapItems.clear();
    ulCheckParametersOnly = 0;
    sParameters.clear();
}

void CQmx2GetGenericModuleInfo::ToJson(nlohmann::json& j) const {
    CQmx2OperationBase::ToJson(j);
    MapToJson(j);
    j[qmx2key::ulCheckParametersOnly] = ulCheckParametersOnly;
    j[qmx2key::sParameters] = sParameters;
}

void CQmx2GetGenericModuleInfo::FromJson(const nlohmann::json& j) {
    CQmx2OperationBase::FromJson(j);
    MapFromJson(j);
    ReadKey(j, qmx2key::ulCheckParametersOnly, ulCheckParametersOnly);
    ReadKey(j, qmx2key::sParameters, sParameters);
}

void CQmx2GetGenericModuleInfo::ToString(std::string& out) const {
    CQmx2OperationBase::ToString(out);
    std::string sMap;
    MapToString(sMap);
    out += "\n" + sMap;
}

void CQmx2GetGenericModuleInfo::InitForStart(const char* /*szSourcePath*/) {
    ulCheckParametersOnly = 0;
    sParameters.clear();
}
