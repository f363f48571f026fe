#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/msc.h"
#include "support/opus_trace.h"

void MscTempDirGet(CString& out) {
    QM_TRACE_ENTER(3, "%s", "");
    out.Empty();
    const char* const envNames[] = {"TEMP", "TMP", "TMPDIR"};
    const char* const fixedDirs[] = {"/usr/tmp", "/tmp", "/var/tmp"};
    for (const char* pszName : envNames) {
        const char* pszValue = std::getenv(pszName);
        if (pszValue && *pszValue && MscDirectoryExists(pszValue, true)) {
            out = pszValue;
            QM_TRACE_LEAVE(3, "out='%s' (from %s)", out.c_str(), pszName);
            return;
        }
    }
    for (const char* pszDir : fixedDirs) {
        if (MscDirectoryExists(pszDir, true)) {
            out = pszDir;
            break;
        }
    }
    QM_TRACE_LEAVE(3, "out='%s'", out.c_str());
}

int MscTemporaryFolderMake(const char* pszDir, const char* pszPrefix, CString& out) {
    QM_TRACE_ENTER(3, "dir='%s', prefix='%s'", MscOrEmpty(pszDir), MscOrEmpty(pszPrefix));
    // A fresh, unguessable name only we may enter (0700): a name that exists,
    // whoever made it, is never reused, entered or removed.
    std::string path = std::string(MscOrEmpty(pszDir)) + "/" + MscOrEmpty(pszPrefix) + "XXXXXX";
    if (!mkdtemp(path.data())) {
        QM_TRACE_INTERNAL(1, "mkdtemp failed", "template='%s': %s", path.c_str(), strerror(errno));
        QM_TRACE_LEAVE(3, "ret=0");
        return 0;
    }
    out = path.c_str();
    QM_TRACE_LEAVE(3, "ret=1, out='%s'", out.c_str());
    return 1;
}
