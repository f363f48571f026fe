// Further files a module asks for between its calls, found in the current
// package, the working directory and common packages.
#include <vector>

#include "bupinfo/bup_archive.h"
#include "kernel/krnl2_app.h"
#include "support/msc.h"
#include "support/opus_trace.h"
#include "support/str_array.h"

namespace {

using L = CNextFileLocation;

struct CFoundFile {
    CString csName;
    CTime time;
    uint32_t dwSource;
    size_t nPackage;
};

// A name found again: only a newer copy takes over, and only when asked to.
void Merge(std::vector<CFoundFile>& found, const CFoundFile& file, bool fNewest) {
    for (CFoundFile& f : found)
        if (f.csName == file.csName) {
            if (fNewest && file.time.GetTime() > f.time.GetTime())
                f = file;
            return;
        }
    found.push_back(file);
}

bool IsCommonPackage(const CBupArchive& arc) {
    CString csType;
    return arc.DescriptionTokenGet("bupinfo2\\packtype", csType) && csType == "QUILLMARK_COMMON_ARCHIVE";
}

}  // namespace

bool CKrnl2App::NextFileAbsorb(const char* szFileSpec, uint32_t dwLocation, const CString& csDestDir) {
    QM_TRACE_ENTER(3, "szFileSpec='%s' dwLocation=%s, csDestDir='%s'", szFileSpec,
                   CNextFileLocation(static_cast<L::e_next_file_location>(dwLocation)).ToString().c_str(),
                   csDestDir.c_str());
    const bool fIgnoreCase = (dwLocation & L::UPD_NEXT_FILE_IGNORE_CASE) != 0;
    const bool fNewest = (dwLocation & L::UPD_NEXT_FILE_NEWEST) != 0;
    std::vector<CFoundFile> found;

    CString csCurrent;
    csCurrent.Format("%s/%s", m_csWrkDir.c_str(), m_CurArc.m_csName.c_str());
    if (dwLocation & L::UPD_NEXT_FILE_CUR_BUP) {
        if (m_CurArc.m_ArcType != CArcType::eArcTypeArchive) {
            dwLocation |= L::UPD_NEXT_FILE_CUR_DIR;
        } else {
            CBupArchive arc(csCurrent);
            std::vector<CString> members;
            if (!arc.FileFind(szFileSpec, members, fIgnoreCase))
                ArchiveRefusalReport(arc, true);
            for (const CString& csMember : members) {
                uint32_t ulSize = 0;
                CTime time;
                arc.FileInfoGet(csMember, ulSize, time);
                found.push_back({csMember, time, L::UPD_NEXT_FILE_CUR_BUP, 0});
            }
        }
    }
    if (dwLocation & L::UPD_NEXT_FILE_CUR_DIR) {
        CString csPattern;
        csPattern.Format("%s/%s", m_csWrkDir.c_str(), szFileSpec);
        CStrArray names;
        MscFindFileList(csPattern, names, fIgnoreCase);
        for (const CString& csName : names) {
            CString csPath;
            csPath.Format("%s/%s", m_csWrkDir.c_str(), csName.c_str());
            uint32_t ulSize = 0;
            CTime time;
            if (MscFileInfoGet(csPath, ulSize, time))
                Merge(found, {csName, time, L::UPD_NEXT_FILE_CUR_DIR, 0}, fNewest);
        }
    }
    CStrArray packages;
    if (dwLocation & L::UPD_NEXT_FILE_COMMON_BUP) {
        CString csPattern;
        csPattern.Format("%s/*.bup", m_csWrkDir.c_str());
        MscFindFileList(csPattern, packages, fIgnoreCase);
        for (size_t i = 0; i < packages.size(); ++i) {
            CString csPath;
            csPath.Format("%s/%s", m_csWrkDir.c_str(), packages[i].c_str());
            CBupArchive arc(csPath);
            // The member list first: a package without the file needs no look at its description.
            std::vector<CString> members;
            if (!arc.FileFind(szFileSpec, members, fIgnoreCase) || !IsCommonPackage(arc))
                continue;
            for (const CString& csMember : members) {
                uint32_t ulSize = 0;
                CTime time;
                arc.FileInfoGet(csMember, ulSize, time);
                Merge(found, {csMember, time, L::UPD_NEXT_FILE_COMMON_BUP, i}, fNewest);
            }
        }
    }

    int iFound = 0;
    for (const CFoundFile& f : found) {
        bool fOk = true;
        if (f.dwSource == L::UPD_NEXT_FILE_CUR_DIR) {
            CString csSrc, csDst;
            csSrc.Format("%s/%s", m_csWrkDir.c_str(), f.csName.c_str());
            csDst.Format("%s/%s", csDestDir.c_str(), f.csName.c_str());
            fOk = MscFileCopy(csSrc, csDst, false) != 0;
            if (fOk)
                QM_TRACE_INTERNAL(4, "", "File '%s' copied to '%s'", csSrc.c_str(), csDst.c_str());
            else
                QM_TRACE_INTERNAL(1, "", "Could not copy file '%s' to file '%s'", csSrc.c_str(), csDst.c_str());
        } else {
            const bool fCommon = f.dwSource == L::UPD_NEXT_FILE_COMMON_BUP;
            CString csArc;
            if (fCommon)
                csArc.Format("%s/%s", m_csWrkDir.c_str(), packages[f.nPackage].c_str());
            else
                csArc = csCurrent;
            CBupArchive arc(csArc);
            if (!arc.FileGet(f.csName, csDestDir))
                ArchiveRefusalReport(arc, true);
            CString csDst;
            csDst.Format("%s/%s", csDestDir.c_str(), f.csName.c_str());
            // Extraction cannot report failure itself: the file must be there afterwards.
            fOk = MscFileExists(csDst);
            if (fOk && fCommon)
                QM_TRACE_INTERNAL(4, "", "Extracted file '%s/%s' from common BUP '%s'", csDestDir.c_str(),
                                  f.csName.c_str(), csArc.c_str());
            else if (fOk)
                QM_TRACE_INTERNAL(4, "", "File '%s/%s' extracted from '%s'", csDestDir.c_str(), f.csName.c_str(),
                                  csArc.c_str());
            else
                QM_TRACE_INTERNAL(1, "", fCommon ? "Could not extract file '%s' from common BUP '%s' to folder '%s'"
                                                 : "Could not extract file '%s' from current BUP '%s' to folder '%s'",
                                  f.csName.c_str(), csArc.c_str(), csDestDir.c_str());
        }
        if (!fOk) {
            iFound = 0;
            break;
        }
        ++iFound;
    }
    QM_TRACE_LEAVE(3, "iFound=%d", iFound);
    return iFound != 0;
}
