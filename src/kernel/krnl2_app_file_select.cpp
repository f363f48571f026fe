// Choosing one of the accepted candidates, and reporting them all.
#include <array>

#include "kernel/krnl2_app.h"
#include "kernel/text_tables.h"
#include "support/opus_trace.h"

namespace {

struct SGroup {
    CBupUsability::e_usability eUsability;
    const char* pszLabel;
};

// Ranked best first: a better usability beats any build date.
constexpr std::array<SGroup, 9> kGroups = {{
    {CBupUsability::USABILITY_MAJOR_VERSION, "MAJOR_VERSION: "},
    {CBupUsability::USABILITY_NEWER_VERSION, "NEWER_VERSION: "},
    {CBupUsability::USABILITY_EQUAL_VERSION, "EQUAL_VERSION: "},
    {CBupUsability::USABILITY_OLDER_VERSION, "OLDER_VERSION: "},
    {CBupUsability::USABILITY_OBSOLETE_VERSION, "OBSOLETE_VERS: "},
    {CBupUsability::USABILITY_INCOMPATIBLE_VERSION, "INCOMPATIBLE_VERS: "},
    {CBupUsability::E_BUPINFO_USABILITY_INCOMPATIBLE_QUILMARK, "INCOMPATIBLE_QUIL: "},
    {CBupUsability::E_BUPINFO_USABILITY_SECURE_PLATFORM_UPDATE_REQUIRED, "NO_SECURE_PLATFORM: "},
    {CBupUsability::E_BUPINFO_USABILITY_INVALID_FILE_FOR_FULL_UPDATE, "INVALID_FOR_FULL_UPDATE: "},
}};

int GroupRank(CBupUsability::e_usability eUsability) {
    for (size_t i = 0; i < kGroups.size(); ++i)
        if (kGroups[i].eUsability == eUsability)
            return static_cast<int>(i);
    return -1;
}

constexpr uint32_t kConfigurationAreas = CUsageFlags::SetupSettingsArea | CUsageFlags::NvramUpdate |
                                         CUsageFlags::LogoArea | CUsageFlags::SystemDataArea |
                                         CUsageFlags::BootOrderVariablesArea | CUsageFlags::PasswordArea;

const char* ConsistencyText(CBupConsistency::e_consistency eConsistency) {
    switch (eConsistency) {
    case CBupConsistency::CONSISTENCY_UNKNOWN_OR_INVALID: return "invalid";
    case CBupConsistency::CONSISTENCY_DEMAGED: return "damaged";
    case CBupConsistency::CONSISTENCY_INCOMPLETE_INVALID: return "incomplete and invalid";
    case CBupConsistency::CONSISTENCY_INCOMPLETE_VALID_BY_USER: return "incomplete but valid by user";
    case CBupConsistency::CONSISTENCY_INCOMPLETE_VALID: return "incomplete but valid";
    case CBupConsistency::CONSISTENCY_COMPLETE_VALID: return "valid";
    }
    return nullptr;
}

bool IsValidConsistency(CBupConsistency::e_consistency eConsistency) {
    return eConsistency == CBupConsistency::CONSISTENCY_INCOMPLETE_VALID_BY_USER ||
           eConsistency == CBupConsistency::CONSISTENCY_INCOMPLETE_VALID ||
           eConsistency == CBupConsistency::CONSISTENCY_COMPLETE_VALID;
}

CString ConfirmationsText(const CConfirmFlags& flags) {
    struct SItem {
        uint32_t dwMask;
        const char* pszText;
    };
    static const SItem items[] = {
        {CConfirmFlags::BootAfterUpdate | CConfirmFlags::BootForUpdate, "allow reboot"},
        {CConfirmFlags::BupInconsistency, "force core update"},
        {CConfirmFlags::BiosOverwrite, "overwrite"},
        {CConfirmFlags::FullUpdate, "Allow full update"},
        {CConfirmFlags::IgnoreAc, "ignore AC"},
        {CConfirmFlags::WarnDialog, "display warning dialog"},
    };
    CString cs;
    for (const SItem& item : items)
        if (flags.Test(item.dwMask)) {
            if (!cs.IsEmpty())
                cs += "; ";
            cs += item.pszText;
        }
    return cs;
}

}  // namespace

E_FILE_CHECK CKrnl2App::UpdateFileSelect(const char* pszDir, std::vector<CBupAssessmentEx>& arCandidates,
                                         CBupAssessmentEx& selected) {
    return FileSelect(false, pszDir, arCandidates, selected);
}

E_FILE_CHECK CKrnl2App::ConfigurationFileSelect(const char* pszDir, std::vector<CBupAssessmentEx>& arCandidates,
                                                CBupAssessmentEx& selected) {
    return FileSelect(true, pszDir, arCandidates, selected);
}

E_FILE_CHECK CKrnl2App::FileSelect(bool fConfiguration, const char* pszDir,
                                   std::vector<CBupAssessmentEx>& arCandidates, CBupAssessmentEx& selected) {
    QM_TRACE_ENTER(3, "%s", "");
    std::array<std::vector<size_t>, kGroups.size()> groups;
    for (size_t i = 0; i < arCandidates.size(); ++i) {
        const CBupAssessmentEx& c = arCandidates[i];
        if (!fConfiguration && !c.m_UsageFlags.Test(CUsageFlags::BiosUpdate)) {
            QM_TRACE_INTERNAL(2, "fBiosUpdate not set", "Name='%s', BiosVer='%s'", c.m_csName.c_str(),
                              c.m_csBiosVer.c_str());
            continue;
        }
        if (fConfiguration && !c.m_UsageFlags.Test(kConfigurationAreas)) {
            QM_TRACE_INTERNAL(2,
                              "none of (fSetupSettingsArea, fLogoArea, fSystemDataArea, fSetupSettingsArea, "
                              "fBootOrderVariablesArea, fPasswordArea) set ",
                              "Name='%s', BiosVer='%s'", c.m_csName.c_str(), c.m_csBiosVer.c_str());
            continue;
        }
        if (!checkCommandlineParametersAgainstBupAssessmentUsageFlags(c))
            continue;
        const int nRank = GroupRank(static_cast<CBupUsability::e_usability>(c.m_Usability));
        if (nRank < 0) {
            QM_TRACE_INTERNAL(1, "Invalid usability", "file='%s', usability=%d", c.m_csName.c_str(),
                              static_cast<int>(static_cast<CBupUsability::e_usability>(c.m_Usability)));
            continue;
        }
        groups[static_cast<size_t>(nRank)].push_back(i);
    }
    if (g_Trace.IsOn(4)) {
        CString csGroups;
        for (size_t g = 0; g < kGroups.size(); ++g) {
            csGroups += "\n";
            csGroups += kGroups[g].pszLabel;
            for (size_t i : groups[g])
                csGroups += arCandidates[i].m_csName + ", ";
        }
        QM_TRACE_INTERNAL(4, "Sorted groups of candidates", "%s", csGroups.c_str());
    }

    // Within the best group that has members: the newest build; undated ones
    // only while nothing else was chosen.
    const CBupAssessmentEx* pChoice = nullptr;
    bool fDated = false;
    for (const auto& group : groups) {
        for (size_t i : group) {
            const CBupAssessmentEx& c = arCandidates[i];
            if (c.m_BuildTime.GetTime() != 0) {
                if (!fDated || c.m_BuildTime.GetTime() > pChoice->m_BuildTime.GetTime()) {
                    pChoice = &c;
                    fDated = true;
                }
            } else if (!pChoice) {
                pChoice = &c;
            }
        }
        if (pChoice)
            break;
    }

    E_FILE_CHECK eRet = FC_INVALID;
    if (!pChoice) {
        QM_TRACE_INTERNAL(3, "", "NO newest assessment found!");
    } else {
        selected = *pChoice;
        QM_TRACE_INTERNAL(3, "", "Selected assessment %s found!", selected.m_csName.c_str());
        switch (static_cast<CBupUsability::e_usability>(selected.m_Usability)) {
        case CBupUsability::USABILITY_INCOMPATIBLE_VERSION: eRet = FC_INCOMPATIBLE; break;
        case CBupUsability::E_BUPINFO_USABILITY_INCOMPATIBLE_QUILMARK: eRet = FC_INCOMPATIBLE_QUILLMARK; break;
        case CBupUsability::E_BUPINFO_USABILITY_SECURE_PLATFORM_UPDATE_REQUIRED:
            eRet = FC_SECURE_PLATFORM_REQUIRED;
            break;
        case CBupUsability::E_BUPINFO_USABILITY_INVALID_FILE_FOR_FULL_UPDATE:
            eRet = FC_INVALID_FILE_FOR_FULL_UPDATE;
            break;
        default: {
            // Once more, so the module's verdict in hand is the chosen file's.
            std::vector<CBupAssessmentEx> arScratch;
            const std::vector<CString> arOne{selected.m_csName};
            if (fConfiguration)
                ConfigurationFilesCheckSingles(pszDir, arOne, arScratch, true);
            else
                UpdateFilesCheckSingles(pszDir, arOne, arScratch, true, false);
            eRet = FC_VALID;
            break;
        }
        }
    }
    QM_TRACE_LEAVE(3, "ret=%s", FileCheck2Str(eRet));
    return eRet;
}

bool CKrnl2App::checkCommandlineParametersAgainstBupAssessmentUsageFlags(const CBupAssessmentEx& candidate) {
    struct SRule {
        E_OPTIONS eOption;
        uint32_t dwArea;
        const char* pszTrace;
    };
    static const SRule rules[] = {
        {eSystemDataArea, CUsageFlags::SystemDataArea, "fSystemDataArea not set"},
        {eNvRamArea, CUsageFlags::SetupSettingsArea, "fSetupSettingsArea (fNvramUpdate) not set"},
        {eLogoArea, CUsageFlags::LogoArea, "fLogoArea not set"},
        {ePasswordArea, CUsageFlags::PasswordArea, "fPasswordArea not set"},
        {eBootOrderVariablesArea, CUsageFlags::BootOrderVariablesArea, "fBootOrderVariablesArea not set"},
    };
    for (const SRule& rule : rules)
        if (m_JobCmdInfo.OptionExists(rule.eOption) && !candidate.m_UsageFlags.Test(rule.dwArea)) {
            QM_TRACE_INTERNAL(2, rule.pszTrace, "Name='%s', BiosVer='%s'", candidate.m_csName.c_str(),
                              candidate.m_csBiosVer.c_str());
            return false;
        }
    return true;
}

void CKrnl2App::FileResultKillConfirmFlags(std::vector<CBupAssessmentEx>& arCandidates, const CConfirmFlags& flags) {
    for (CBupAssessmentEx& c : arCandidates)
        c.m_confirmflags.Reset(flags.Value());
}

void CKrnl2App::FileResultReport(std::vector<CBupAssessmentEx>& arCandidates) {
    bool fAnyValid = false;
    for (const CBupAssessmentEx& c : arCandidates) {
        const char* pszConsistency = ConsistencyText(static_cast<CBupConsistency::e_consistency>(c.m_Consistency));
        if (!pszConsistency)
            continue;
        if (IsValidConsistency(static_cast<CBupConsistency::e_consistency>(c.m_Consistency))) {
            fAnyValid = true;
            CString csValidation = c.m_csName + "; " + pszConsistency;
            CString csBios = c.m_csBiosVer;
            if (!csBios.IsEmpty())
                csBios += "; ";
            csBios += c.m_BuildTime.Format("%m-%d-%Y");
            csBios += "\n";
            CString csText;
            csText.Format("validation='%s', BIOS='%s', Confirmations='%s'", csValidation.c_str(), csBios.c_str(),
                          ConfirmationsText(c.m_confirmflags).c_str());
            ReportAnEvent(LOG_INFO, 2010, csText);
        }
        ClientMsg(10, CDEdureMsg::eCheckFileResult, static_cast<const CBupAssessment*>(&c));
    }
    if (!fAnyValid)
        ReportAnEvent(LOG_WARNING, 2011, NS_QMKRNL2::EventMsgLoad(1216));
}
