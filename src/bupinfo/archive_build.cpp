#include "bupinfo/archive_build.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "bupinfo/zip_writer.h"
#include "support/msc.h"
#include "support/opus_trace.h"
#include "support/str_array.h"

namespace {

// The archive's data and then its new name reach the disk before the call says so.
bool Flush(const char* pszPath, unsigned uMode) {
    const int fd = open(pszPath, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool fOk = fchmod(fd, uMode) == 0 && fsync(fd) == 0;
    return close(fd) == 0 && fOk;
}

void FolderFlush(const char* pszDir) {
    const int fd = open(pszDir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

}  // namespace

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
    unsigned uMode = 0;
    if (!MscReplaceModeGet(pszTarget, uMode)) {
        QM_TRACE_LEAVE(3, "ret=false, '%s' is no regular file of ours", MscOrEmpty(pszTarget));
        return false;
    }
    if (!MscTemporaryFolderMake(csBase, ".qmarc", csBuildDir)) {
        QM_TRACE_LEAVE(3, "ret=false, no build folder");
        return false;
    }
    const CString csBuilt = csBuildDir + "/" + csName + csExt;
    std::string strError;
    CZipWriter writer;
    bool fOk = writer.Open(csBuilt, true, strError);
    for (size_t i = 0; fOk && i < arNames.size(); ++i) {
        const CString csFile = CString(pszDir) + "/" + arNames[i];
        if (!writer.Add(csFile, arNames[i].str(), strError)) {
            csFailed = csFile;
            fOk = false;
        }
    }
    // Writing happens here: a full disk shows now.
    fOk = fOk && writer.Close(strError) && Flush(csBuilt, uMode) && std::rename(csBuilt, pszTarget) == 0;
    if (fOk)
        FolderFlush(csBase);
    else
        QM_TRACE_INTERNAL(1, "", "cannot build '%s': %s", csFailed.c_str(), strError.c_str());
    MscTreeRemove(csBuildDir);
    if (fOk)
        csFailed.Empty();
    QM_TRACE_LEAVE(3, "ret=%s, failed='%s'", QmBool2Str(fOk), csFailed.c_str());
    return fOk;
}
