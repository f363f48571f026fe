// Records carrying a free-form map of string items ("MapItems").
#pragma once

#include <cstdint>
#include <string>

#include "extension/qmx2_fields.h"
#include "extension/qmx2_operation_base.h"

// The "MapItems" part of a record: one JSON object, one string member per
// entry (see qmx2field::Read/Write for its rules).
class CQmx2MapDataExtension {
public:
    // "[key] = value" per entry, one per line.
    void MapToString(std::string& out) const;

    CQmx2MapItems MapItems;

protected:
    ~CQmx2MapDataExtension() = default;
};

class CQmx2DetailInfo : public CQmx2Record<CQmx2DetailInfo, CQmx2OperationBase>,
                        public CQmx2MapDataExtension {
public:
    CQmx2DetailInfo() = default;

    static const CQmx2Fields<CQmx2DetailInfo>& Fields();
    void ToString(std::string& out) const override;
};

class CQmx2ListBupInfo : public CQmx2Record<CQmx2ListBupInfo>, public CQmx2MapDataExtension {
public:
    CQmx2ListBupInfo() = default;

    static const CQmx2Fields<CQmx2ListBupInfo>& Fields();
    void ToString(std::string& out) const override;
};

// In and out of QMX2_GetGenericModuleInfo; the reply's items are the information.
class CQmx2GetGenericModuleInfo : public CQmx2Record<CQmx2GetGenericModuleInfo, CQmx2OperationBase>,
                                  public CQmx2MapDataExtension {
public:
    CQmx2GetGenericModuleInfo() = default;

    static const CQmx2Fields<CQmx2GetGenericModuleInfo>& Fields();
    void ToString(std::string& out) const override;

    // Resets only the request keys; the argument is not used and the call
    // sequence is not reset.
    void InitForStart(const char* szSourcePath);
    void InitForStart(const std::string& sSourcePath) { InitForStart(sSourcePath.c_str()); }

    // 1: only check the parameters, 0: do it.
    uint32_t ulCheckParametersOnly = 0;
    std::string sParameters;
};
