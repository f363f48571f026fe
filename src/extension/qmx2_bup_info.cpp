#include "extension/qmx2_bup_info.h"

#include "quillmark/qmx2.h"

// Flags first, then texts and enumerations; a partial reply depends on this order.
const CQmx2Fields<CQmx2BupInfo>& CQmx2BupInfo::Fields() {
    using R = CQmx2BupInfo;
    static const CQmx2Fields<R> kFields = {
        {qmx2key::fBiosUpdate, &R::fBiosUpdate},
        {qmx2key::fNvramUpdate, &R::fNvramUpdate},
        {qmx2key::fRebootForBiosUpdate, &R::fRebootForBiosUpdate},
        {qmx2key::fRebootForNvramUpdate, &R::fRebootForNvramUpdate},
        {qmx2key::fNvramCrossUpdateSupported, &R::fNvramCrossUpdateSupported},
        {qmx2key::fDebugCodeArea, &R::fDebugCodeArea},
        {qmx2key::fLogoArea, &R::fLogoArea},
        {qmx2key::fSystemDataArea, &R::fSystemDataArea},
        {qmx2key::fPasswordArea, &R::fPasswordArea},
        {qmx2key::fSetupSettingsArea, &R::fSetupSettingsArea},
        {qmx2key::fBootOrderVariablesArea, &R::fBootOrderVariablesArea},
        {qmx2key::fSkipBiosCompare, &R::fSkipBiosCompare},
        {qmx2key::sBiosInfo, &R::sBiosInfo},
        {qmx2key::sSystemInfo, &R::sSystemInfo},
        {qmx2key::LowestPowerState, &R::LowestPowerState},
        {qmx2key::PowerStatesAfterBiosUpdate, &R::PowerStatesAfterBiosUpdate},
        {qmx2key::PowerStatesAfterNvramUpdate, &R::PowerStatesAfterNvramUpdate},
        {qmx2key::Usability, &R::Usability},
        {qmx2key::Consistency, &R::Consistency},
    };
    return kFields;
}
