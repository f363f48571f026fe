#include "bupinfo/archive_build.h"

#include <cstdio>

#include "bupinfo/bup_archive.h"
#include "support/msc.h"
#include "support/opus_trace.h"
#include "support/str_array.h"
#include "support/time_type.h"

bool ArchiveBuildReplace(const char* pszTarget, const char* pszDir, const char* pszPattern, CString& csFailed) {
    QM_TRACE_ENTER(3, "target='%s', dir='%s', pattern='%s'", MscOrEmpty(pszTarget), MscOrEmpty(pszDir),
                   MscOrEmpty(pszPattern));
    CStrArray arNames;
    MscFindFileList(CString(pszDir) + "/" + pszPattern, arNames, false);
    CString csDir, csName, csExt, csBuildDir;
    MscPathSplit(pszTarget, &csDir, &csName, &csExt);
    // The folder beside the target, so the final rename stays on one file system.
    CString csBase = csDir.IsEmpty() ? CString(".") : csDir;
    if (csBase.GetLength() > 1)
        csBase.TrimRight('/');
    csFailed = pszTarget;
    if (!MscTemporaryFolderMake(csBase, ".qmarc", csBuildDir)) {
        QM_TRACE_LEAVE(3, "ret=false, no build folder");
        return false;
    }
    const CString csBuilt = csBuildDir + "/" + csName + csExt;
    CBupArchive arc(csBuilt);
    bool fOk = true;
    for (const CString& csEntry : arNames) {
        const CString csFile = CString(pszDir) + "/" + csEntry;
        uint32_t ulMember = 0;
        CTime time;
        arc.FileAdd(csFile);
        if (!arc.FileInfoGet(csEntry, ulMember, time))
            ulMember = 0;
        if (!MscFileExists(csFile) || MscFileSize(csFile) > ulMember) {
            csFailed = csFile;
            fOk = false;
            break;
        }
    }
    if (fOk && std::rename(csBuilt, pszTarget) != 0)
        fOk = false;
    MscTreeRemove(csBuildDir);
    if (fOk)
        csFailed.Empty();
    QM_TRACE_LEAVE(3, "ret=%s, failed='%s'", QmBool2Str(fOk), csFailed.c_str());
    return fOk;
}
