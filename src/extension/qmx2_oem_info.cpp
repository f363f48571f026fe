#include "extension/qmx2_oem_info.h"

#include "quillmark/qmx2.h"

const CQmx2Fields<CQmx2OemInfo>& CQmx2OemInfo::Fields() {
    using R = CQmx2OemInfo;
    static const CQmx2Fields<R> kFields = {
        {qmx2key::fBiosUpdate, &R::fBiosUpdate},
        {qmx2key::fBiosShutdownForUpdate, &R::fBiosShutdownForUpdate},
        {qmx2key::fConfigurationBackup, &R::fConfigurationBackup},
        {qmx2key::fConfigurationRestore, &R::fConfigurationRestore},
        {qmx2key::fProgressInfo, &R::fProgressInfo},
        {qmx2key::fDetailInfo, &R::fDetailInfo},
        {qmx2key::fListBupInfo, &R::fListBupInfo},
        {qmx2key::fGetGenericModuleInfo, &R::fGetGenericModuleInfo},
        {qmx2key::fUpdateLogo, &R::fUpdateLogo},
        {qmx2key::sBiosInfo, &R::sBiosInfo},
        {qmx2key::sBiosID, &R::sBiosID},
        {qmx2key::sSystemInfo, &R::sSystemInfo},
        {qmx2key::sMeFirmwareVersion, &R::sMeFirmwareVersion},
        {qmx2key::sSignOnInfo, &R::sSignOnInfo},
        {qmx2key::sBiosInterfaceVersion, &R::sBiosInterfaceVersion},
        {qmx2key::sCodeName, &R::sCodeName},
        {qmx2key::sBuildDate, &R::sBuildDate},
    };
    return kFields;
}

const CQmx2Fields<CQmx2OemSettings>& CQmx2OemSettings::Fields() {
    using R = CQmx2OemSettings;
    static const CQmx2Fields<R> kFields = {
        {qmx2key::BiosReadLocked, &R::BiosReadLocked},
        {qmx2key::BiosWriteLocked, &R::BiosWriteLocked},
        {qmx2key::NvramReadLocked, &R::NvramReadLocked},
        {qmx2key::NvramWriteLocked, &R::NvramWriteLocked},
        {qmx2key::SmartCardProtection, &R::SmartCardProtection},
    };
    return kFields;
}
