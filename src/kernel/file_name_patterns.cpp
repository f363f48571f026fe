#include "kernel/file_name_patterns.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support/msc.h"
#include "support/opus_trace.h"
#include "support/time_type.h"

namespace {
constexpr size_t kNameBufferSize = 260;
constexpr int kNumberCount = 999;

// Host or domain name from gethostname or getdomainname; "n.a." when the lookup fails.
CString SystemNameGet(int (*lookup)(char*, size_t), const char* pszSucceeded,
                      const char* pszFailed) {
    char szName[kNameBufferSize] = {};
    // One byte kept back so that a cut name still ends in a terminator.
    if (lookup(szName, sizeof(szName) - 1) != 0) {
        const int nErr = errno;
        QM_TRACE_INTERNAL(2, pszFailed, "errno=%d '%s'", nErr, std::strerror(nErr));
        return "n.a.";
    }
    QM_TRACE_INTERNAL(4, pszSucceeded, "szName='%s'", szName);
    return szName;
}
}  // namespace

void CFileNamePatterns::SetToken(const char* pszName, const char* pszValue) {
    CString csValue(pszValue);
    m_tokens[CString(pszName)] = csValue.Trim();
}

void CFileNamePatterns::fillInStandardTokens() {
    // A value set earlier wins, so the first date and time stay for the rest of the process.
    if (m_tokens.find("date") == m_tokens.end())
        m_tokens.emplace("date", CTime::GetCurrentTime().Format("%m-%d-%Y"));
    if (m_tokens.find("time") == m_tokens.end())
        m_tokens.emplace("time", CTime::GetCurrentTime().Format("%H%M%S"));
    if (m_tokens.find("name") == m_tokens.end())
        m_tokens.emplace("name",
                         SystemNameGet(gethostname, "gethostname succeeded", "gethostname failed"));
    if (m_tokens.find("domain") == m_tokens.end())
        m_tokens.emplace("domain", SystemNameGet(getdomainname, "getdomainname succeeded",
                                                  "getdomainname failed"));
}

bool CFileNamePatterns::ReplaceTokens(CString& csPath) {
    QM_TRACE_ENTER(3, "csPath='%s'", csPath.c_str());
    fillInStandardTokens();

    CString csDest;
    CString csToken;
    bool fInToken = false;
    bool fReplaceNo = false;
    for (int i = 0; i < csPath.GetLength(); ++i) {
        const char ch = csPath[i];
        if (!fInToken) {
            if (ch == m_chOpen)
                fInToken = true;
            else
                csDest += ch;
            continue;
        }
        if (ch != m_chClose) {
            csToken += ch;
            continue;
        }
        fInToken = false;
        const CString csWritten = m_chOpen + csToken + m_chClose;
        if (csToken.CompareNoCase("no") == 0) {
            // Numbered below, once the rest of the name is known.
            csDest += csWritten;
            fReplaceNo = true;
        } else {
            auto it = m_tokens.find(csToken);
            if (it != m_tokens.end()) {
                csDest += it->second;
            } else {
                QM_TRACE_INTERNAL(2, "Can't find a replacement for token", "token='%s'",
                                  csToken.c_str());
                csDest += csWritten;
            }
        }
        csToken.Empty();
    }
    QM_TRACE_INTERNAL(4, "", "fReplaceNo=%s, csDest='%s'", QmBool2Str(fReplaceNo),
                      csDest.c_str());

    if (fReplaceNo) {
        CString csNoToken;
        csNoToken.Format("%cno%c", m_chOpen, m_chClose);
        CString csTry;
        bool fFree = false;
        for (int n = 0; n < kNumberCount && !fFree; ++n) {
            CString csNumber;
            csNumber.Format("%3.3d", n);
            csTry = csDest;
            csTry.Replace(csNoToken, csNumber);
            fFree = !MscFileExists(csTry);
        }
        if (!fFree) {
            QM_TRACE_INTERNAL(2, "", "file '%s' already exists", csTry.c_str());
            QM_TRACE_LEAVE(3, "ret=%s, csPath='%s'", QmBool2Str(false), csPath.c_str());
            return false;
        }
        csDest = csTry;
    }

    const bool fRet = !csDest.IsEmpty();
    if (fRet)
        csPath = csDest;
    QM_TRACE_LEAVE(3, "ret=%s, csPath='%s'", QmBool2Str(fRet), csPath.c_str());
    return fRet;
}
