#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "support/msc.h"
#include "support/opus_trace.h"

namespace {

constexpr unsigned long kLastCounter = 0xFFFFFE;

CString counterName(const char* pszDir, const char* pszPrefix, unsigned long ulCounter) {
    CString cs;
    cs.Format("%s/%s%6.6lx", pszDir ? pszDir : "", pszPrefix ? pszPrefix : "", ulCounter);
    return cs;
}

}  // namespace

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

int MscTemporaryNameMake(const char* pszDir, CString& name) {
    const CString csPrefix = name;
    QM_TRACE_ENTER(3, "dir='%s', prefix='%s'", pszDir ? pszDir : "", csPrefix.c_str());
    for (unsigned long ul = 0; ul <= kLastCounter; ++ul) {
        CString csPath = counterName(pszDir, csPrefix, ul);
        if (!MscFileExists(csPath)) {
            name = csPath;
            QM_TRACE_LEAVE(3, "ret=1, name='%s'", name.c_str());
            return 1;
        }
    }
    QM_TRACE_LEAVE(3, "ret=0, every name is taken");
    return 0;
}

int MscTemporaryFolderMake(const char* pszDir, const char* pszPrefix, CString& out) {
    QM_TRACE_ENTER(3, "dir='%s', prefix='%s'", pszDir ? pszDir : "", pszPrefix ? pszPrefix : "");
    // Some file systems refuse the wider modes; fall back to narrower ones.
    const mode_t modes[] = {0777, 0770, 0700, 0600, 0400};
    for (unsigned long ul = 0; ul <= kLastCounter; ++ul) {
        const CString csPath = counterName(pszDir, pszPrefix, ul);
        int nErr = 0;
        for (mode_t mode : modes) {
            if (mkdir(csPath, mode) == 0) {
                out = csPath;
                QM_TRACE_LEAVE(3, "ret=1, out='%s', mode=0%o", out.c_str(), static_cast<unsigned int>(mode));
                return 1;
            }
            nErr = errno;
        }
        // Only a taken name is worth another counter; any other error would repeat for every name.
        if (nErr != EEXIST) {
            QM_TRACE_INTERNAL(1, "mkdir failed", "path='%s': %s", csPath.c_str(), strerror(nErr));
            break;
        }
    }
    QM_TRACE_LEAVE(3, "ret=0");
    return 0;
}
