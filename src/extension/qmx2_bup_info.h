// CQmx2BupInfo: the module's verdict on one update package (QMX2_CheckBupInfo).
#pragma once

#include <string>

#include "extension/qmx2_enums.h"
#include "extension/qmx2_fields.h"

class CQmx2BupInfo : public CQmx2Record<CQmx2BupInfo> {
public:
    CQmx2BupInfo() = default;

    static const CQmx2Fields<CQmx2BupInfo>& Fields();

    // Validity tests of the verdict; defined with the assessment model.
    bool IsConsistencyValid() const;
    bool IsConsistencyValidWithSelectedAreas(bool fBios, bool fSettings, bool fPassword,
                                             bool fLogo, bool fSysData, bool fBootOrder) const;

    // Fields carry the names of their keys.
    bool fBiosUpdate = false;
    bool fNvramUpdate = false;
    bool fRebootForBiosUpdate = false;
    bool fRebootForNvramUpdate = false;
    bool fNvramCrossUpdateSupported = false;
    std::string sBiosInfo;
    std::string sSystemInfo;
    CPowerState LowestPowerState;
    CBupUsability Usability;
    CBupConsistency Consistency;
    bool fDebugCodeArea = false;
    bool fLogoArea = false;
    bool fSystemDataArea = false;
    bool fPasswordArea = false;
    bool fSetupSettingsArea = false;
    bool fBootOrderVariablesArea = false;
    bool fSkipBiosCompare = false;
    CPowerState PowerStatesAfterBiosUpdate;
    CPowerState PowerStatesAfterNvramUpdate;
};
