// CQmx2InstallInfo: the request of QMX2_Install.
#pragma once

#include <string>

#include "extension/qmx2_base.h"

// Fields carry the names of their keys.
class CQmx2InstallInfo : public CQmx2Base {
public:
    CQmx2InstallInfo() = default;

    void init() override;
    void clear() override;
    void ToJson(nlohmann::json& j) const override;
    void FromJson(const nlohmann::json& j) override;

    std::string sAppRegRoot;
    std::string sInstDir;
    std::string sLogFile;
    std::string sOemProfile;
    bool fEventLog = false;
    bool fForceReboot = false;
};
