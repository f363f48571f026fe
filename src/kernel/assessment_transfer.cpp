#include "kernel/assessment_transfer.h"

#include "support/opus_trace.h"

bool CQmx2BupInfo::IsConsistencyValid() const {
    switch (Consistency) {
    case CBupConsistency::CONSISTENCY_INCOMPLETE_VALID_BY_USER:
    case CBupConsistency::CONSISTENCY_INCOMPLETE_VALID:
    case CBupConsistency::CONSISTENCY_COMPLETE_VALID:
        return true;
    default:
        return false;
    }
}

bool CQmx2BupInfo::IsConsistencyValidWithSelectedAreas(bool fBios, bool fSettings,
                                                       bool fPassword, bool fLogo,
                                                       bool fSysData, bool fBootOrder) const {
    QM_TRACE_ENTER(4, "bios=%s, settings=%s, password=%s, logo=%s, sysdata=%s, bootorder=%s",
                   QmBool2Str(fBios), QmBool2Str(fSettings), QmBool2Str(fPassword),
                   QmBool2Str(fLogo), QmBool2Str(fSysData), QmBool2Str(fBootOrder));
    const bool fValid = IsConsistencyValid();
    // An area the user did not ask for may be missing from the package.
    const bool fRet = fValid && (!fBios || fBiosUpdate) && (!fSettings || fSetupSettingsArea) &&
                      (!fPassword || fPasswordArea) && (!fLogo || fLogoArea) &&
                      (!fSysData || fSystemDataArea) &&
                      (!fBootOrder || fBootOrderVariablesArea);
    QM_TRACE_LEAVE(4, "ret=%s, consistency valid=%s", QmBool2Str(fRet), QmBool2Str(fValid));
    return fRet;
}

bool IsConsistencyValidForJob(const CQmx2BupInfo& verdict, const CQmCmdLine& job) {
    return verdict.IsConsistencyValidWithSelectedAreas(
        job.OptionExists(eBiosCodeArea), job.OptionExists(eNvRamArea),
        job.OptionExists(ePasswordArea), job.OptionExists(eLogoArea),
        job.OptionExists(eSystemDataArea), job.OptionExists(eBootOrderVariablesArea));
}

namespace {

// The part both transfers share; the confirm flags come out cleared.
void TransferVerdict(const CQmx2BupInfo& verdict, CBupAssessmentEx& assessment) {
    assessment.m_Consistency = verdict.Consistency;
    assessment.m_Usability = verdict.Usability;
    assessment.m_csBiosVer = verdict.sBiosInfo;

    CUsageFlags& usage = assessment.m_UsageFlags;
    usage.Set(CUsageFlags::BiosUpdate, verdict.fBiosUpdate);
    usage.Set(CUsageFlags::NvramUpdate, verdict.fNvramUpdate);
    usage.Set(CUsageFlags::NvramCrossUpdateSupported, verdict.fNvramCrossUpdateSupported);
    usage.Set(CUsageFlags::DebugCodeArea, verdict.fDebugCodeArea);
    usage.Set(CUsageFlags::LogoArea, verdict.fLogoArea);
    usage.Set(CUsageFlags::SystemDataArea, verdict.fSystemDataArea);
    usage.Set(CUsageFlags::SetupSettingsArea, verdict.fSetupSettingsArea);
    usage.Set(CUsageFlags::BootOrderVariablesArea, verdict.fBootOrderVariablesArea);
    usage.Set(CUsageFlags::PasswordArea, verdict.fPasswordArea);

    assessment.m_confirmflags.Clear();
    if (verdict.Consistency == CBupConsistency::CONSISTENCY_INCOMPLETE_VALID_BY_USER)
        assessment.m_confirmflags.Set(CConfirmFlags::BupInconsistency);
}

}  // namespace

void TransferCheckBupInfoResultToAssessmentForBiosUpdate(const CQmx2BupInfo& verdict,
                                                         CBupAssessmentEx& assessment) {
    TransferVerdict(verdict, assessment);
    CConfirmFlags& confirm = assessment.m_confirmflags;
    // Writing a BIOS that is not newer than the installed one needs the user's consent.
    if (verdict.Usability == CBupUsability::USABILITY_OLDER_VERSION ||
        verdict.Usability == CBupUsability::USABILITY_EQUAL_VERSION)
        confirm.Set(CConfirmFlags::BiosOverwrite);
    if (verdict.fRebootForBiosUpdate)
        confirm.Set(CConfirmFlags::BootForUpdate);

    CString csText;
    QM_TRACE_INTERNAL(4, "", "ConfirmRequired=%s", confirm.ToString(csText));
}

void TransferCheckBupInfoResultToAssessmentForConfigurationRestore(const CQmx2BupInfo& verdict,
                                                                   CBupAssessmentEx& assessment) {
    TransferVerdict(verdict, assessment);
    if (verdict.fRebootForNvramUpdate)
        assessment.m_confirmflags.Set(CConfirmFlags::BootForUpdate);

    CString csText;
    QM_TRACE_INTERNAL(4, "", "\nassessment.m_confirmflags=%s",
                      assessment.m_confirmflags.ToString(csText));
}
