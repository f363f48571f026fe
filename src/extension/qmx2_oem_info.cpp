#include "extension/qmx2_oem_info.h"

#include <nlohmann/json.hpp>

#include "quillmark/qmx2.h"

void CQmx2OemInfo::init() {
    clear();
}

void CQmx2OemInfo::clear() {
    *this = CQmx2OemInfo();
}

void CQmx2OemInfo::ToJson(nlohmann::json& j) const {
    j[qmx2key::fBiosUpdate] = fBiosUpdate;
    j[qmx2key::fBiosShutdownForUpdate] = fBiosShutdownForUpdate;
    j[qmx2key::fConfigurationBackup] = fConfigurationBackup;
    j[qmx2key::fConfigurationRestore] = fConfigurationRestore;
    j[qmx2key::fProgressInfo] = fProgressInfo;
    j[qmx2key::fDetailInfo] = fDetailInfo;
    j[qmx2key::fListBupInfo] = fListBupInfo;
    j[qmx2key::fGetGenericModuleInfo] = fGetGenericModuleInfo;
    j[qmx2key::fUpdateLogo] = fUpdateLogo;
    j[qmx2key::sBiosInfo] = sBiosInfo;
    j[qmx2key::sBiosID] = sBiosID;
    j[qmx2key::sSystemInfo] = sSystemInfo;
    j[qmx2key::sMeFirmwareVersion] = sMeFirmwareVersion;
    j[qmx2key::sSignOnInfo] = sSignOnInfo;
    j[qmx2key::sBiosInterfaceVersion] = sBiosInterfaceVersion;
    j[qmx2key::sCodeName] = sCodeName;
    j[qmx2key::sBuildDate] = sBuildDate;
}

void CQmx2OemInfo::FromJson(const nlohmann::json& j) {
    ReadKey(j, qmx2key::fBiosUpdate, fBiosUpdate);
    ReadKey(j, qmx2key::fBiosShutdownForUpdate, fBiosShutdownForUpdate);
    ReadKey(j, qmx2key::fConfigurationBackup, fConfigurationBackup);
    ReadKey(j, qmx2key::fConfigurationRestore, fConfigurationRestore);
    ReadKey(j, qmx2key::fProgressInfo, fProgressInfo);
    ReadKey(j, qmx2key::fDetailInfo, fDetailInfo);
    ReadKey(j, qmx2key::fListBupInfo, fListBupInfo);
    ReadKey(j, qmx2key::fGetGenericModuleInfo, fGetGenericModuleInfo);
    ReadKey(j, qmx2key::fUpdateLogo, fUpdateLogo);
    ReadKey(j, qmx2key::sBiosInfo, sBiosInfo);
    ReadKey(j, qmx2key::sBiosID, sBiosID);
    ReadKey(j, qmx2key::sSystemInfo, sSystemInfo);
    ReadKey(j, qmx2key::sMeFirmwareVersion, sMeFirmwareVersion);
    ReadKey(j, qmx2key::sSignOnInfo, sSignOnInfo);
    ReadKey(j, qmx2key::sBiosInterfaceVersion, sBiosInterfaceVersion);
    ReadKey(j, qmx2key::sCodeName, sCodeName);
    ReadKey(j, qmx2key::sBuildDate, sBuildDate);
}

void CQmx2OemSettings::init() {
    clear();
}

void CQmx2OemSettings::clear() {
    BiosReadLocked.clear();
    BiosWriteLocked.clear();
    NvramReadLocked.clear();
    NvramWriteLocked.clear();
    SmartCardProtection.clear();
}

void CQmx2OemSettings::ToJson(nlohmann::json& j) const {
    j[qmx2key::BiosReadLocked] = BiosReadLocked.ToString();
    j[qmx2key::BiosWriteLocked] = BiosWriteLocked.ToString();
    j[qmx2key::NvramReadLocked] = NvramReadLocked.ToString();
    j[qmx2key::NvramWriteLocked] = NvramWriteLocked.ToString();
    j[qmx2key::SmartCardProtection] = SmartCardProtection.ToString();
}

void CQmx2OemSettings::FromJson(const nlohmann::json& j) {
    ReadEnumKey(j, qmx2key::BiosReadLocked, BiosReadLocked);
    ReadEnumKey(j, qmx2key::BiosWriteLocked, BiosWriteLocked);
    ReadEnumKey(j, qmx2key::NvramReadLocked, NvramReadLocked);
    ReadEnumKey(j, qmx2key::NvramWriteLocked, NvramWriteLocked);
    ReadEnumKey(j, qmx2key::SmartCardProtection, SmartCardProtection);
}
