// Finding and installing the board module that supports this machine.
#include <strings.h>

#include "extension/qmx2_status.h"
#include "kernel/krnl2_app.h"
#include "support/msc.h"
#include "support/opus_trace.h"

namespace {

constexpr const char kSection[] = "Quillmark";
constexpr const char kModuleProfileDir[] = "/opt/fleetmon/quillmark/config";

// Refusals that only mean "not this one": the search goes on.
bool SkipsCandidate(uint32_t ulStatus) {
    const uint32_t reason = Qmx2Reason(ulStatus);
    return reason == QMX2_REASON_BOARD_NOT_SUPPORTED || reason == QMX2_REASON_INTERNAL;
}

CString Trimmed(CProfile* pProfile, const char* pszKey) {
    CString cs;
    if (pProfile)
        pProfile->StringGet(kSection, pszKey, "", cs);
    return cs.Trim();
}

// Entries of dir matching the pattern, named "<prefix><file>", excluded ones dropped, sorted.
CStrArray Candidates(const CString& csPattern, const char* pszPrefix, const CStrArray& excluded) {
    CStrArray found;
    MscFindFileList(csPattern, found, false);
    found.PrefixInsert(pszPrefix);
    CStrArray result;
    MscExclusionList(found, excluded, result);
    MscListSort(result);
    return result;
}

}  // namespace

uint32_t CKrnl2App::ExtSearch(const CandidateTry& tryOne, bool& fStopped) {
    fStopped = false;
    bool fFound = false;
    uint32_t ulStatus = QMX2_E_MODULE_NOT_INSTALLED;
    CStrArray excluded;

    const CString csExtPath = Trimmed(m_pProfile.get(), "ExtPath");
    const CString csExtDir = Trimmed(m_pProfile.get(), "ExtDir");
    CString csModDir = m_csBinDir;
    if (!csExtDir.IsEmpty())
        MscExpandRelPath(csExtDir, m_csBinDir, csModDir);

    if (!csExtPath.IsEmpty()) {
        CString csPath;
        MscExpandRelPath(csExtPath, m_csBinDir, csPath);
        QM_TRACE_INTERNAL(4, "", "previous extension path='%s'", csPath.c_str());
        ulStatus = tryOne(csPath);
        if (!Qmx2Failed(ulStatus))
            return ulStatus;
        if (!SkipsCandidate(ulStatus)) {
            fStopped = true;
            return ulStatus;
        }
        CString csName, csExt;
        MscPathSplit(csPath, nullptr, &csName, &csExt);
        excluded.push_back(csName + ".so");
    }

    // Tries the entries in order; false when the search has to stop.
    auto tryAll = [&](const CStrArray& entries) {
        for (const CString& csEntry : entries) {
            ulStatus = tryOne(csModDir + "/" + csEntry);
            if (!Qmx2Failed(ulStatus)) {
                fFound = true;
                return false;
            }
            if (!SkipsCandidate(ulStatus)) {
                fStopped = true;
                return false;
            }
            excluded.push_back(csEntry);
        }
        return true;
    };

    bool fLoadOrder = false;
    CProfile loadOrder(csModDir + "/qmx_modules.conf");
    QM_TRACE_INTERNAL(4, "", "scanning for '%s' entries", (csModDir + "/qmx_modules.conf").c_str());
    for (int i = 1; !fFound; ++i) {
        CString csKey, csValue;
        csKey.Format("Load%d", i);
        loadOrder.StringGet("LOADORDER_KRNL2", csKey, "", csValue);
        QM_TRACE_INTERNAL(4, "", "%s=%s, csExtDir='%s'", csKey.c_str(), csValue.c_str(), csModDir.c_str());
        if (csValue.IsEmpty()) {
            QM_TRACE_INTERNAL(2, "No more load order entries", "i=%d", i);
            break;
        }
        fLoadOrder = true;
        const int nSlash = csValue.Find('/');
        CString csPattern;
        CString csPrefix;
        if (nSlash >= 0) {
            csPrefix = csValue.Left(nSlash) + "/";
            csPattern.Format("%s/%s/%s.so", csModDir.c_str(), csValue.Left(nSlash).c_str(),
                             csValue.Mid(nSlash + 1).c_str());
        } else {
            csPattern.Format("%s/%s.so", csModDir.c_str(), csValue.c_str());
        }
        if (!tryAll(Candidates(csPattern, csPrefix, excluded)))
            return ulStatus;
    }

    if (!fFound && !fLoadOrder) {
        CString csDirPattern = csModDir + "/qmx??";
        QM_TRACE_INTERNAL(4, "", "scanning for extension dirs: '%s'", csDirPattern.c_str());
        CStrArray dirs;
        MscFindDirList(csDirPattern, dirs, false);
        // By name, not in the file system's order: the same module wins on every machine.
        MscListSort(dirs);
        for (const CString& csDir : dirs) {
            if (!tryAll(Candidates(csModDir + "/" + csDir + "/qmx????.so", csDir + "/", excluded)))
                break;
        }
    }
    return ulStatus;
}

uint32_t CKrnl2App::ExtLocateAndInstall() {
    QM_TRACE_ENTER(3, "%s", "");
    m_Qmx.m_fInstalled = false;
    m_Qmx.m_csInstDir = m_csTempDir;
    m_Qmx.m_csLogFile = m_csLogfile;

    bool fStopped = false;
    uint32_t ulStatus = ExtSearch(
        [this](const CString& csPath) {
            m_Qmx.BinaryPathSet(csPath);
            m_Qmx.ProfileSetFromBinary(kModuleProfileDir);
            return m_Qmx.Install();
        },
        fStopped);
    if (fStopped) {
        // A refusal that is not "try the next one": the caller reports it by its reason.
        QM_TRACE_LEAVE(3, "ret=0x%8.8x", ulStatus);
        return ulStatus;
    }

    if (m_Qmx.m_fInstalled) {
        ulStatus = m_Qmx.GetModuleInfo();
        if (Qmx2Failed(ulStatus))
            m_Qmx.Uninstall();
    }
    QM_TRACE_INTERNAL(4, "", "m_Qmx.m_fInstalled=%s", QmBool2Str(m_Qmx.m_fInstalled));

    if (!m_Qmx.m_fInstalled) {
        if (m_pProfile)
            m_pProfile->StringSet(kSection, "ExtPath", "");
        ReportAnEvent(LOG_ERROR, 2024, nullptr);
        QM_TRACE_INTERNAL(1, "", "Could not find any hardware supporting module");
        ulStatus = QMX2_E_BOARD_NOT_SUPPORTED;
    } else {
        const CString& csPath = m_Qmx.BinaryPathGet();
        CString csStored = csPath;
        const int nDir = m_csBinDir.GetLength();
        if (strncasecmp(csPath, m_csBinDir, static_cast<size_t>(nDir)) == 0 && csPath.GetLength() > nDir &&
            csPath[nDir] == '/')
            csStored = "./" + csPath.Mid(nDir + 1);
        if (m_pProfile)
            m_pProfile->StringSet(kSection, "ExtPath", csStored);
        ReportAnEvent(LOG_INFO, 2023, csPath);
    }
    QM_TRACE_LEAVE(3, "ret=0x%8.8x", ulStatus);
    return ulStatus;
}

uint32_t CKrnl2App::ExtLocateForMakeCommand(const char* szBiosInputFolder,
                                            const char* szConfigurationDataInputFolder,
                                            const char* szResultFolder) {
    QM_TRACE_ENTER(3, "szBiosInputFolder='%s', szConfigurationDataInputFolder='%s', szResultFolder='%s'",
                   szBiosInputFolder, szConfigurationDataInputFolder, szResultFolder);
    m_Qmx.m_fInstalled = false;
    m_Qmx.m_csInstDir = m_csTempDir;
    m_Qmx.m_csLogFile = m_csLogfile;
    bool fStopped = false;
    const uint32_t ulStatus = ExtSearch(
        [&](const CString& csPath) {
            m_Qmx.BinaryPathSet(csPath);
            m_Qmx.ProfileSetFromBinary(kModuleProfileDir);
            return m_Qmx.DoMakeCombinedArchive(szBiosInputFolder, szConfigurationDataInputFolder, szResultFolder);
        },
        fStopped);
    QM_TRACE_LEAVE(3, "ret=0x%8.8x", ulStatus);
    return ulStatus;
}

void CKrnl2App::ExtCleanUp() { m_Qmx.Uninstall(); }
