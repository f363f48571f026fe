// The job's event log: one human-readable line per event, in a file chosen per job.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "kernel/krnl2_app.h"
#include "kernel/text_tables.h"
#include "support/msc.h"
#include "support/opus_trace.h"
#include "support/time_type.h"

const char* CKrnl2App::LogLevel2Str(int eLevel) {
    switch (eLevel) {
    case LOG_INVALID: return "LOG_INVALID";
    case LOG_ERROR: return "LOG_ERROR";
    case LOG_WARNING: return "LOG_WARNING";
    case LOG_INFO: return "LOG_INFO";
    default: return "<invalid>";
    }
}

bool CKrnl2App::LogfileNamePrepare(const CString& csName) {
    QM_TRACE_ENTER(3, "csName='%s'", csName.c_str());
    bool fRet = false;
    if (csName.IsEmpty()) {
        CString csNode;
        if (MscNodeNameGet(csNode)) {
            m_csLogfile.Format("%s/qm_%s.log", m_csWrkDir.c_str(), csNode.c_str());
            fRet = true;
        }
    } else {
        // Any "/" counts as a directory part, so "/qm.log" stays in the root directory.
        CString csPath;
        if (csName.Find('/') < 0)
            csPath.Format("%s/%s", m_csWrkDir.c_str(), csName.c_str());
        else
            csPath = csName;
        if (PathTokensReplace(csPath)) {
            m_csLogfile = csPath;
            fRet = true;
        }
    }
    QM_TRACE_LEAVE(3, "ret=%s, m_csLogfile='%s'", QmBool2Str(fRet), m_csLogfile.c_str());
    return fRet;
}

void CKrnl2App::ReportAnEvent(E_LOG_LEVEL eLevel, int idEvent, const char* pszText) {
    if (m_csLogfile.IsEmpty())
        return;
    const char* pszEvent = NS_QMKRNL2::EventMsgLoad(idEvent);
    QM_TRACE_ENTER(3, "eLevel=%s, idEvent=%d '%s', pcsString=%s", LogLevel2Str(eLevel), idEvent,
                   pszEvent ? pszEvent : "<nul>", pszText ? pszText : "<nul>");

    int idLevel = 1021;
    if (eLevel == LOG_ERROR)
        idLevel = 1020;
    else if (eLevel == LOG_WARNING)
        idLevel = 1022;

    // Opened per event so that other jobs and processes can append to the same file in turn.
    // Never through a link, and only into a regular file of our own: a name another
    // user planted in a shared directory must not turn the append against their target
    // (and a FIFO planted there must not hold the kernel up).
    const int fd = open(m_csLogfile, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0644);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) {
        QM_TRACE_INTERNAL(1, "Can't open logfile", "path='%s'", m_csLogfile.c_str());
        if (fd >= 0)
            close(fd);
        return;
    }
    std::string line = CTime::GetCurrentTime().Format("%a, %H:%M:%S");
    line += ", ";
    line += NS_QMKRNL2::StringResLoad(idLevel);
    line += ": ";
    line += NS_QMKRNL2::EventTextExpand(pszEvent, pszText ? pszText : "???");
    line += '\n';
    // One write per line keeps lines of concurrent writers whole.
    const ssize_t nWritten = write(fd, line.data(), line.size());
    if (nWritten != static_cast<ssize_t>(line.size()))
        QM_TRACE_INTERNAL(1, "Can't write logfile", "path='%s'", m_csLogfile.c_str());
    close(fd);
}
