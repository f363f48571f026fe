#include "extension/qmx2_operation_records.h"

#include "quillmark/qmx2.h"
#include "support/msc.h"

// ---- CQmx2UpdateInfo ----------------------------------------------------

const CQmx2Fields<CQmx2UpdateInfo>& CQmx2UpdateInfo::Fields() {
    using R = CQmx2UpdateInfo;
    static const CQmx2Fields<R> kFields = Qmx2ExtendFields<R>(CQmx2OperationBase::Fields(), {
        {qmx2key::BiosCodeArea, &R::BiosCodeArea},
        {qmx2key::SystemDataArea, &R::SystemDataArea},
        {qmx2key::SetupSettingsArea, &R::SetupSettingsArea},
        {qmx2key::LogoArea, &R::LogoArea},
        {qmx2key::PasswordArea, &R::PasswordArea},
        {qmx2key::BootOrderVariablesArea, &R::BootOrderVariablesArea},
        {qmx2key::ExplicitAreaMode, &R::ExplicitAreaMode},
    });
    return kFields;
}

// ---- CQmx2BackInfo ------------------------------------------------------

const CQmx2Fields<CQmx2BackInfo>& CQmx2BackInfo::Fields() {
    using R = CQmx2BackInfo;
    static const CQmx2Fields<R> kFields = Qmx2ExtendFields<R>(CQmx2OperationBase::Fields(), {
        {qmx2key::sDestPath, &R::sDestPath},
        {qmx2key::sDestName, &R::sDestName},
    });
    return kFields;
}

void CQmx2BackInfo::InitForStart(const char* szPath, const char* szName) {
    CQmx2OperationBase::InitForStart(szPath);
    sDestPath = MscOrEmpty(szPath);
    sDestName = MscOrEmpty(szName);
}

// ---- CQmx2ConfigBackInfo ------------------------------------------------

const CQmx2Fields<CQmx2ConfigBackInfo>& CQmx2ConfigBackInfo::Fields() {
    using R = CQmx2ConfigBackInfo;
    static const CQmx2Fields<R> kFields = Qmx2ExtendFields<R>(CQmx2BackInfo::Fields(), {
        {qmx2key::DebugCodeArea, &R::DebugCodeArea},
    });
    return kFields;
}

void CQmx2ConfigBackInfo::InitForStart(const char* szPath, const char* szName,
                                       bool fDebugCodeArea) {
    CQmx2BackInfo::InitForStart(szPath, szName);
    DebugCodeArea = fDebugCodeArea;
}

// ---- CQmx2MakeCombinedArchiveInfo ---------------------------------------

const CQmx2Fields<CQmx2MakeCombinedArchiveInfo>& CQmx2MakeCombinedArchiveInfo::Fields() {
    using R = CQmx2MakeCombinedArchiveInfo;
    static const CQmx2Fields<R> kFields = Qmx2ExtendFields<R>(CQmx2OperationBase::Fields(), {
        {qmx2key::sSourceBiosInput, &R::sSourceBiosInput},
        {qmx2key::sSourceConfigurationDataInput, &R::sSourceConfigurationDataInput},
        {qmx2key::sDestPath, &R::sDestPath},
        {qmx2key::sDestName, &R::sDestName},
    });
    return kFields;
}

void CQmx2MakeCombinedArchiveInfo::InitForStart(const char* szBiosInput, const char* szConfigInput,
                                                const char* szDestPath, const char* szDestName) {
    CQmx2OperationBase::InitForStart(szDestPath);
    sSourceBiosInput = MscOrEmpty(szBiosInput);
    sSourceConfigurationDataInput = MscOrEmpty(szConfigInput);
    sDestPath = MscOrEmpty(szDestPath);
    sDestName = MscOrEmpty(szDestName);
}
