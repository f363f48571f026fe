#include "extension/qmx2_bup_info.h"

#include <nlohmann/json.hpp>

#include "quillmark/qmx2.h"

void CQmx2BupInfo::init() {
    clear();
}

void CQmx2BupInfo::clear() {
    // the member defaults: power states 0, equal version, consistency unknown
    *this = CQmx2BupInfo();
}

void CQmx2BupInfo::ToJson(nlohmann::json& j) const {
    j[qmx2key::fBiosUpdate] = fBiosUpdate;
    j[qmx2key::fNvramUpdate] = fNvramUpdate;
    j[qmx2key::fRebootForBiosUpdate] = fRebootForBiosUpdate;
    j[qmx2key::fRebootForNvramUpdate] = fRebootForNvramUpdate;
    j[qmx2key::fNvramCrossUpdateSupported] = fNvramCrossUpdateSupported;
    j[qmx2key::sBiosInfo] = sBiosInfo;
    j[qmx2key::sSystemInfo] = sSystemInfo;
    j[qmx2key::LowestPowerState] = LowestPowerState.ToString();
    j[qmx2key::Usability] = Usability.ToString();
    j[qmx2key::Consistency] = Consistency.ToString();
    j[qmx2key::fDebugCodeArea] = fDebugCodeArea;
    j[qmx2key::fLogoArea] = fLogoArea;
    j[qmx2key::fSystemDataArea] = fSystemDataArea;
    j[qmx2key::fPasswordArea] = fPasswordArea;
    j[qmx2key::fSetupSettingsArea] = fSetupSettingsArea;
    j[qmx2key::fBootOrderVariablesArea] = fBootOrderVariablesArea;
    j[qmx2key::fSkipBiosCompare] = fSkipBiosCompare;
    j[qmx2key::PowerStatesAfterBiosUpdate] = PowerStatesAfterBiosUpdate.ToString();
    j[qmx2key::PowerStatesAfterNvramUpdate] = PowerStatesAfterNvramUpdate.ToString();
}

// Flags first, then texts and enumerations; a partial reply depends on this order.
void CQmx2BupInfo::FromJson(const nlohmann::json& j) {
    ReadKey(j, qmx2key::fBiosUpdate, fBiosUpdate);
    ReadKey(j, qmx2key::fNvramUpdate, fNvramUpdate);
    ReadKey(j, qmx2key::fRebootForBiosUpdate, fRebootForBiosUpdate);
    ReadKey(j, qmx2key::fRebootForNvramUpdate, fRebootForNvramUpdate);
    ReadKey(j, qmx2key::fNvramCrossUpdateSupported, fNvramCrossUpdateSupported);
    ReadKey(j, qmx2key::fDebugCodeArea, fDebugCodeArea);
    ReadKey(j, qmx2key::fLogoArea, fLogoArea);
    ReadKey(j, qmx2key::fSystemDataArea, fSystemDataArea);
    ReadKey(j, qmx2key::fPasswordArea, fPasswordArea);
    ReadKey(j, qmx2key::fSetupSettingsArea, fSetupSettingsArea);
    ReadKey(j, qmx2key::fBootOrderVariablesArea, fBootOrderVariablesArea);
    ReadKey(j, qmx2key::fSkipBiosCompare, fSkipBiosCompare);
    ReadKey(j, qmx2key::sBiosInfo, sBiosInfo);
    ReadKey(j, qmx2key::sSystemInfo, sSystemInfo);
    ReadEnumKey(j, qmx2key::LowestPowerState, LowestPowerState);
    ReadEnumKey(j, qmx2key::PowerStatesAfterBiosUpdate, PowerStatesAfterBiosUpdate);
    ReadEnumKey(j, qmx2key::PowerStatesAfterNvramUpdate, PowerStatesAfterNvramUpdate);
    ReadEnumKey(j, qmx2key::Usability, Usability);
    ReadEnumKey(j, qmx2key::Consistency, Consistency);
}
