// The candidate scan: which files in a directory the module accepts for a job.
#include "bupinfo/bup_archive.h"
#include "bupinfo/bup_info.h"
#include "kernel/assessment_transfer.h"
#include "kernel/krnl2_app.h"
#include "support/msc.h"
#include "support/opus_trace.h"

// What tells a BIOS update scan from a configuration restore scan.
struct CKrnl2App::SCandidateKind {
    bool fConfiguration;
    bool fBupInfo;  // .nvux archives count as packages of a BIOS update scan
};

namespace {

// Reason a rejected candidate gives the whole scan, from its usability.
E_FILE_CHECK RejectionReason(CBupUsability::e_usability eUsability) {
    switch (eUsability) {
    case CBupUsability::USABILITY_INCOMPATIBLE_VERSION:
    case CBupUsability::USABILITY_OBSOLETE_VERSION: return FC_INCOMPATIBLE;
    case CBupUsability::E_BUPINFO_USABILITY_INCOMPATIBLE_QUILMARK: return FC_INCOMPATIBLE_QUILLMARK;
    case CBupUsability::E_BUPINFO_USABILITY_SECURE_PLATFORM_UPDATE_REQUIRED: return FC_SECURE_PLATFORM_REQUIRED;
    case CBupUsability::E_BUPINFO_USABILITY_INVALID_FILE_FOR_FULL_UPDATE: return FC_INVALID_FILE_FOR_FULL_UPDATE;
    default: return FC_INVALID;
    }
}

bool EndsWithNoCase(const CString& cs, const char* pszEnd) {
    const int nEnd = static_cast<int>(std::strlen(pszEnd));
    return cs.GetLength() >= nEnd && cs.Right(nEnd).CompareNoCase(pszEnd) == 0;
}

}  // namespace

E_FILE_CHECK CKrnl2App::UpdateFilesFindAndCheck(const char* pszDir, const char* pszPattern,
                                                std::vector<CBupAssessmentEx>& arResult) {
    return FilesFindAndCheck({false, false}, pszDir, pszPattern, arResult);
}

E_FILE_CHECK CKrnl2App::ConfigurationFilesFindAndCheck(const char* pszDir, const char* pszPattern,
                                                       std::vector<CBupAssessmentEx>& arResult) {
    return FilesFindAndCheck({true, false}, pszDir, pszPattern, arResult);
}

E_FILE_CHECK CKrnl2App::UpdateFilesCheckSingles(const char* pszDir, const std::vector<CString>& arPrimary,
                                                std::vector<CBupAssessmentEx>& arResult, bool fSilent,
                                                bool fBupInfo) {
    QM_TRACE_ENTER(3, "Dir='%s', arPrimary.size()=%d, fSilent=%s, fBupInfo=%s", pszDir,
                   static_cast<int>(arPrimary.size()), QmBool2Str(fSilent), QmBool2Str(fBupInfo));
    return CandidatesCheck({false, fBupInfo}, pszDir, arPrimary, arResult, fSilent);
}

E_FILE_CHECK CKrnl2App::ConfigurationFilesCheckSingles(const char* pszDir, const std::vector<CString>& arPrimary,
                                                       std::vector<CBupAssessmentEx>& arResult, bool fSilent) {
    if (g_Trace.IsOn(3)) {
        CString csNames;
        CStrArray(arPrimary.begin(), arPrimary.end()).ToString(csNames);
        QM_TRACE_ENTER(3, "Dir='%s', arPrimary={%s}", pszDir, csNames.c_str());
    }
    return CandidatesCheck({true, false}, pszDir, arPrimary, arResult, fSilent);
}

E_FILE_CHECK CKrnl2App::FilesFindAndCheck(const SCandidateKind& kind, const char* pszDir, const char* pszPattern,
                                          std::vector<CBupAssessmentEx>& arResult) {
    QM_TRACE_ENTER(3, "Dir='%s', Pattern='%s'", pszDir, pszPattern ? pszPattern : "");
    CString csSearch;
    if (pszPattern && *pszPattern)
        csSearch.Format("%s/%s", pszDir, pszPattern);
    else
        csSearch.Format(kind.fConfiguration ? "%s/*.nvux" : "%s/*.bup", pszDir);
    // Packages are matched without regard to case, configuration archives exactly.
    CStrArray arNames;
    MscFindFileList(csSearch, arNames, !kind.fConfiguration);
    const E_FILE_CHECK eRet = kind.fConfiguration ? ConfigurationFilesCheckSingles(pszDir, arNames, arResult, false)
                                                  : UpdateFilesCheckSingles(pszDir, arNames, arResult, false, false);
    QM_TRACE_LEAVE(3, "ret=%s", FileCheck2Str(eRet));
    return eRet;
}

E_FILE_CHECK CKrnl2App::CandidatesCheck(const SCandidateKind& kind, const char* pszDir,
                                        const std::vector<CString>& arPrimary,
                                        std::vector<CBupAssessmentEx>& arResult, bool fSilent) {
    E_FILE_CHECK eRet = FC_INVALID;
    const bool fSkipBiosCompare =
        m_CmdInfo.OptionExists(eSkipBiosCompare) || m_JobCmdInfo.OptionExists(eSkipBiosCompare);
    for (const CString& csName : arPrimary) {
        CBupAssessmentEx assessment;
        CString csPath;
        csPath.Format("%s/%s", pszDir, csName.c_str());

        const bool fPackage = EndsWithNoCase(csName, ".bup") ||
                              ((kind.fConfiguration || kind.fBupInfo) && EndsWithNoCase(csName, ".nvux"));
        CMemBlk bupinfo;
        CTime memberTime;
        CBupArchive arc(csPath);
        if (!fPackage || !ArcBupInfoGet("BupInfo2.xml", arc, bupinfo, memberTime)) {
            ArchiveRefusalReport(arc, !fSilent);
            QM_TRACE_INTERNAL(4, "", kind.fConfiguration ? "Skipping %s" : "Skipping '%s'", csName.c_str());
            continue;
        }
        assessment.m_ArcType = CArcType::eArcTypeArchive;
        assessment.m_csName = csName;
        QM_TRACE_INTERNAL(4, "", "Checking '%s'", csName.c_str());
        if (!fSilent)
            ClientMsgWait(m_nClientWaitTimeout, 10, CDEdureMsg::eFileName, csName.c_str());

        CBupInfo doc;
        doc.BufferLoadFrom(reinterpret_cast<const char*>(bupinfo.PtrGet()), bupinfo.SizeGet());
        CTime buildTime;
        if (doc.TokenContentGet("bupinfo2\\builddate", 0, buildTime) == 0)
            assessment.m_BuildTime = buildTime;
        CString csMinVersion;
        if (kind.fConfiguration)
            doc.TokenContentGet("bupinfo2\\MinQuillmarkVersion", 0, csMinVersion);
        QM_TRACE_INTERNAL(3, "Skipping check of quillmark version in linux",
                          "csMinQuillmarkVersion='%s', m_csQuilMarkVersion='%s'", csMinVersion.c_str(),
                          m_JobCmdInfo.m_csQuilMarkVersion.c_str());
        if (fSkipBiosCompare)
            AppendToken(doc, bupinfo, "Parameter", "SkipBiosCompare", "true");

        const uint32_t ulRet = m_Qmx.CheckBupInfo(bupinfo.PtrGet(), bupinfo.SizeGet());
        if (Qmx2Failed(ulRet)) {
            QM_TRACE_INTERNAL(1, "QmxCheckBupInfo returned with error", "ret=%x", ulRet);
            continue;
        }
        const CQmx2BupInfo& verdict = m_Qmx.m_BupInfo;
        const bool fValid =
            kind.fConfiguration
                ? verdict.IsConsistencyValidWithSelectedAreas(
                      false, m_JobCmdInfo.OptionExists(eNvRamArea), m_JobCmdInfo.OptionExists(ePasswordArea),
                      m_JobCmdInfo.OptionExists(eLogoArea), m_JobCmdInfo.OptionExists(eSystemDataArea),
                      m_JobCmdInfo.OptionExists(eBootOrderVariablesArea))
                : IsConsistencyValidForJob(verdict, m_JobCmdInfo);
        if (fValid) {
            if (kind.fConfiguration) {
                TransferCheckBupInfoResultToAssessmentForConfigurationRestore(verdict, assessment);
                assessment.TraceOut(4, "Adding assessment");
            } else {
                TransferCheckBupInfoResultToAssessmentForBiosUpdate(verdict, assessment);
            }
            arResult.push_back(assessment);
            eRet = FC_VALID;
            if (!fSilent) {
                ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eBiosFileVersion, assessment.BiosVer().c_str());
                if (kind.fBupInfo && !kind.fConfiguration) {
                    CString csAreas;
                    ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eUpdateArea,
                                  assessment.m_UsageFlags.AreasToString(csAreas));
                }
            }
        } else if (static_cast<CBupConsistency::e_consistency>(verdict.Consistency) == CBupConsistency::CONSISTENCY_UNKNOWN_OR_INVALID) {
            QM_TRACE_INTERNAL(2, "Invalid consistency", "assessment.m_csName='%s'", assessment.m_csName.c_str());
            if (eRet == FC_INVALID)
                eRet = RejectionReason(static_cast<CBupUsability::e_usability>(verdict.Usability));
        }
        if (!fSilent)
            ClientMsgWait(m_nClientWaitTimeout, 10, CDEdureMsg::eEmpty);
    }
    QM_TRACE_LEAVE(3, "ret=%s, arResult.size=%d", FileCheck2Str(eRet), static_cast<int>(arResult.size()));
    return eRet;
}
