// CQmx2OemInfo (what the module can do and knows of the BIOS) and
// CQmx2OemSettings (OEM lock settings).
#pragma once

#include <string>

#include "extension/qmx2_enums.h"
#include "extension/qmx2_fields.h"

// Reply of QMX2_GetModuleInfo. Fields carry the names of their keys.
class CQmx2OemInfo : public CQmx2Record<CQmx2OemInfo> {
public:
    CQmx2OemInfo() = default;

    static const CQmx2Fields<CQmx2OemInfo>& Fields();

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
class CQmx2OemSettings : public CQmx2Record<CQmx2OemSettings> {
public:
    CQmx2OemSettings() = default;

    static const CQmx2Fields<CQmx2OemSettings>& Fields();

    COemSetting BiosReadLocked;
    COemSetting BiosWriteLocked;
    COemSetting NvramReadLocked;
    COemSetting NvramWriteLocked;
    COemSetting SmartCardProtection;
};
