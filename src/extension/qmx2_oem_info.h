// CQmx2OemInfo (what the module can do and knows of the BIOS) and
// CQmx2OemSettings (OEM lock settings).
#pragma once

#include <string>

#include "extension/qmx2_base.h"
#include "extension/qmx2_enums.h"

// Reply of QMX2_GetModuleInfo. Fields carry the names of their keys.
class CQmx2OemInfo : public CQmx2Base {
public:
    CQmx2OemInfo() = default;

    void init() override;
    void clear() override;
    void ToJson(nlohmann::json& j) const override;
    void FromJson(const nlohmann::json& j) override;

    bool fBiosUpdate = false;
    bool fBiosShutdownForUpdate = false;
    bool fConfigurationBackup = false;
    bool fConfigurationRestore = false;
    bool fProgressInfo = false;
    bool fDetailInfo = false;
    bool fListBupInfo = false;
    bool fGetGenericModuleInfo = false;
    bool fUpdateLogo = false;
    std::string sBiosInfo;
    std::string sBiosID;
    std::string sSystemInfo;
    std::string sMeFirmwareVersion;
    std::string sSignOnInfo;
    std::string sBiosInterfaceVersion;
    std::string sCodeName;
    std::string sBuildDate;
};

// Fields carry the names of their keys.
class CQmx2OemSettings : public CQmx2Base {
public:
    CQmx2OemSettings() = default;

    void init() override;
    void clear() override;
    void ToJson(nlohmann::json& j) const override;
    void FromJson(const nlohmann::json& j) override;

    COemSetting BiosReadLocked;
    COemSetting BiosWriteLocked;
    COemSetting NvramReadLocked;
    COemSetting NvramWriteLocked;
    COemSetting SmartCardProtection;
};
