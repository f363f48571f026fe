#include "assessment/bup_assessment.h"

#include "support/opus_trace.h"

CBupAssessmentEx& CBupAssessmentEx::operator=(const CBupAssessment& base) {
    CBupAssessment::operator=(base);
    m_UsageFlags.Set(CUsageFlags::BiosUpdate | CUsageFlags::NvramUpdate);
    return *this;
}

void CBupAssessmentEx::TraceOut(unsigned int uLevel, const char* pszPrefix) const {
    if (!g_Trace.IsOn(uLevel))
        return;
    const auto usage = [this](uint32_t dwBit) { return QmBool2Str(m_UsageFlags.Test(dwBit)); };
    const auto confirm = [this](uint32_t dwBit) {
        return QmBool2Str(m_confirmflags.Test(dwBit));
    };
    QM_TRACE(uLevel, "CBupAssessmentEx", "",
             "%s\nm_csName=%s\nfBiosUpdate=%s\nfNvramUpdate=%s\nfNvramCrossUpdateSupported=%s"
             "\nfDebugCodeArea=%s\nfPasswordArea=%s\nfLogoArea=%s\nfSystemDataArea=%s"
             "\nBiosOverwrite=%s\nBootForUpdate=%s\nBootAfterUpdate=%s\nBupInconsistency=%s"
             "\nFileOverwrite=%s\nFullUpdate=%s\nIgnoreAc=%s\nWarnDialog=%s",
             pszPrefix ? pszPrefix : "", m_csName.c_str(), usage(CUsageFlags::BiosUpdate),
             usage(CUsageFlags::NvramUpdate), usage(CUsageFlags::NvramCrossUpdateSupported),
             usage(CUsageFlags::DebugCodeArea), usage(CUsageFlags::PasswordArea),
             usage(CUsageFlags::LogoArea), usage(CUsageFlags::SystemDataArea),
             confirm(CConfirmFlags::BiosOverwrite), confirm(CConfirmFlags::BootForUpdate),
             confirm(CConfirmFlags::BootAfterUpdate), confirm(CConfirmFlags::BupInconsistency),
             confirm(CConfirmFlags::FileOverwrite), confirm(CConfirmFlags::FullUpdate),
             confirm(CConfirmFlags::IgnoreAc), confirm(CConfirmFlags::WarnDialog));
}
