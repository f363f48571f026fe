#include "kernel/krnl2_app.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bupinfo/archive_cache.h"
#include "bupinfo/archive_limits.h"
#include "support/msc.h"
#include "support/opus_trace.h"

CKrnl2App::CKrnl2App() { QM_TRACE_ENTER(3, "this=%p", static_cast<void*>(this)); }

CKrnl2App::~CKrnl2App() {
    QM_TRACE_ENTER(3, "this=%p", static_cast<void*>(this));
    m_pProfile.reset();
    QM_TRACE_LEAVE(3, "this=%p", static_cast<void*>(this));
}

void CKrnl2App::StandardPathsInit() {
    CString link;
    link.Format("/proc/%d/cwd", static_cast<int>(getpid()));
    MscSymLinkRead(link, m_csWrkDir);
    m_csWrkDir.TrimRight('/');

    link.Format("/proc/%d/exe", static_cast<int>(getpid()));
    MscSymLinkRead(link, m_csBinPath);
    CString dir;
    MscPathSplit(m_csBinPath, &dir, nullptr, nullptr);
    m_csBinDir = dir.TrimRight('/');

    MscTempDirGet(m_csTempDir);
}

bool CKrnl2App::Init(int argc, char** argv) {
    // The system's zone, named once: without TZ every local-time conversion
    // (four per archive member read) looks at /etc/localtime again.
    setenv("TZ", ":/etc/localtime", 0);
    StandardPathsInit();
    QM_TRACE_ENTER(3, "binary path='%s'", m_csBinPath.c_str());

    bool fRet = false;
    if (CommandLineParse(argc, argv)) {
        m_pProfile.reset(ProfileLocate());
        if (!m_pProfile) {
            QM_TRACE_INTERNAL(1, "", "could not open any profile");
        } else {
            m_fSkipReboot = m_pProfile->IntGet("Test", "SkipReboot", 0);
            ArchiveLimitsSet(ArchiveLimitsFromProfile(*m_pProfile));
            fRet = true;
        }
    }
    QM_TRACE_LEAVE(3, "ret=%s", QmBool2Str(fRet));
    return fRet;
}

bool CKrnl2App::CommandLineParse(int argc, char** argv) {
    QM_TRACE_ENTER(3, "argc=%d", argc);
    struct Row {
        const char* pszShort;
        const char* pszLong;
        E_OPTIONS eOption;
    };
    static const Row rows[] = {
        {"-h", "--help", eUsage},
        {"-v", "--version", eVersion},
        {"-lm", "--loadmodule", eLoadModule},
        {"-sv", "--server", eForceServer},
        {"--noextlocate", nullptr, eNoExtLocate},
    };

    bool fError = false;
    for (int i = 1; i < argc && !fError; ++i) {
        const Row* match = nullptr;
        for (const Row& row : rows)
            if (std::strcmp(argv[i], row.pszShort) == 0 ||
                (row.pszLong && std::strcmp(argv[i], row.pszLong) == 0)) {
                match = &row;
                break;
            }
        if (match) {
            m_CmdInfo.m_Options.insert(match->eOption);
        } else {
            std::fprintf(stderr, "%s: invalid command line option '%s'\n", argv[0], argv[i]);
            fError = true;
        }
    }
    QM_TRACE_LEAVE(3, "fError=%s", QmBool2Str(fError));
    return !fError;
}

CProfile* CKrnl2App::ProfileLocate() {
    QM_TRACE_ENTER(3, "%s", "");
    CProfile* pProfile = nullptr;
    for (const char* pszPath : kProfilePaths) {
        if (!MscFileExists(pszPath)) {
            QM_TRACE_INTERNAL(1, "", "profile not found in '%s'", pszPath);
            continue;
        }
        pProfile = new CProfile(pszPath);
        QM_TRACE_INTERNAL(4, "", "opened profile '%s'", pszPath);
        break;
    }
    QM_TRACE_LEAVE(3, "ret=%p", static_cast<void*>(pProfile));
    return pProfile;
}

void CKrnl2App::TaskVarsClean() {
    // What a job read of its packages is not trusted by the next one.
    CArchiveCache::ForJob().Clear();
    m_csWrkDir.Empty();
    m_csCurArcPath.Empty();
    m_CurArc.m_csName.Empty();
    m_CurArc.m_ArcType = CArcType::eArcTypeNone;
    m_confirmflags.Clear();
    m_csLogfile.Empty();
}

const char* CommandLineParameters2Str(int argc, char** argv, CString& out) {
    out.Empty();
    CString item;
    for (int i = 0; i < argc; ++i) {
        item.Format("%s[%d]='%s'", i == 0 ? "" : "\n", i, argv[i]);
        out += item;
    }
    return out;
}
