#include "extension/qmx2_map_records.h"

#include "quillmark/qmx2.h"

// ---- CQmx2MapDataExtension ----------------------------------------------

void CQmx2MapDataExtension::MapToString(std::string& out) const {
    out.clear();
    for (const auto& item : MapItems) {
        if (!out.empty()) out += '\n';
        out += "[" + item.first + "] = " + item.second;
    }
}

// ---- CQmx2DetailInfo ----------------------------------------------------

const CQmx2Fields<CQmx2DetailInfo>& CQmx2DetailInfo::Fields() {
    using R = CQmx2DetailInfo;
    static const CQmx2Fields<R> kFields = Qmx2ExtendFields<R>(CQmx2OperationBase::Fields(), {
        {qmx2key::MapItems, &R::MapItems},
    });
    return kFields;
}

void CQmx2DetailInfo::ToString(std::string& out) const {
    CQmx2OperationBase::ToString(out);
    std::string sMap;
    MapToString(sMap);
    out += "\n" + sMap;
}

// ---- CQmx2ListBupInfo ---------------------------------------------------

const CQmx2Fields<CQmx2ListBupInfo>& CQmx2ListBupInfo::Fields() {
    static const CQmx2Fields<CQmx2ListBupInfo> kFields = {
        {qmx2key::MapItems, &CQmx2ListBupInfo::MapItems},
    };
    return kFields;
}

void CQmx2ListBupInfo::ToString(std::string& out) const {
    MapToString(out);
}

// ---- CQmx2GetGenericModuleInfo ------------------------------------------

const CQmx2Fields<CQmx2GetGenericModuleInfo>& CQmx2GetGenericModuleInfo::Fields() {
    using R = CQmx2GetGenericModuleInfo;
    static const CQmx2Fields<R> kFields = Qmx2ExtendFields<R>(CQmx2OperationBase::Fields(), {
        {qmx2key::MapItems, &R::MapItems},
        {qmx2key::ulCheckParametersOnly, &R::ulCheckParametersOnly},
        {qmx2key::sParameters, &R::sParameters},
    });
    return kFields;
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
