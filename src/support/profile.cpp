#include "support/profile.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/msc.h"
#include "support/opus_trace.h"

namespace {

const size_t npos = std::string::npos;

bool StartsWith(const std::string& strText, size_t nPos, const char* psz, size_t nLen) {
    return nPos <= strText.size() && strText.size() - nPos >= nLen &&
           std::memcmp(strText.data() + nPos, psz, nLen) == 0;
}

// Position of the section's first body character, npos when absent. The name
// only has to begin the header, so "Test" also matches "[Tests]".
size_t SectionBody(const std::string& strText, const char* pszSection) {
    const size_t nNameLen = std::strlen(pszSection);
    for (size_t nOpen = strText.find('['); nOpen != npos; nOpen = strText.find('[', nOpen + 1)) {
        if (!StartsWith(strText, nOpen + 1, pszSection, nNameLen))
            continue;
        size_t nPos = strText.find(']', nOpen + 1 + nNameLen);
        if (nPos == npos)
            return npos;
        nPos = strText.find_first_of("\r\n", nPos);
        if (nPos == npos)
            return npos;
        nPos = strText.find_first_not_of("\r\n", nPos);
        return nPos;  // npos for a header on the last line
    }
    return npos;
}

// Position right after the key's "=", npos when absent. The key is plain text
// found anywhere before the next "[", so it also matches inside longer keys or values.
size_t ValuePos(const std::string& strText, size_t nBody, const char* pszKey) {
    const size_t nKeyLen = std::strlen(pszKey);
    for (size_t nPos = nBody; nPos < strText.size(); ++nPos) {
        if (strText[nPos] == '[')
            return npos;
        if (StartsWith(strText, nPos, pszKey, nKeyLen)) {
            size_t nEq = strText.find('=', nPos + nKeyLen);
            return nEq == npos ? npos : nEq + 1;
        }
    }
    return npos;
}

// atoi without its undefined behaviour on overflow.
int ToInt(const std::string& strValue) {
    long l = std::strtol(strValue.c_str(), nullptr, 10);
    if (l > INT_MAX)
        return INT_MAX;
    if (l < INT_MIN)
        return INT_MIN;
    return static_cast<int>(l);
}

}  // namespace

CProfile::CProfile(const char* pszPath) : m_strPath(MscOrEmpty(pszPath)) {
    if (m_strPath.size() > 4095)
        m_strPath.resize(4095);
}

CProfile::~CProfile() = default;

bool CProfile::Read(std::string& strText, size_t nLimit) const {
    strText.clear();
    FILE* f = std::fopen(m_strPath.c_str(), "rb");
    if (!f)
        return false;
    strText.resize(nLimit);
    size_t n = std::fread(&strText[0], 1, nLimit, f);
    // A directory opens but does not read.
    bool fOk = !std::ferror(f);
    std::fclose(f);
    strText.resize(fOk ? n : 0);
    return fOk;
}

CProfile::Lookup CProfile::Find(const char* pszSection, const char* pszKey,
                                 std::string& strValue) const {
    strValue.clear();
    std::string strText;
    if (!Read(strText, kMaxText)) {
        QM_TRACE_INTERNAL(4, "Unreadable", "%s, defaults apply", m_strPath.c_str());
        return Lookup::Unreadable;
    }
    size_t nBody = SectionBody(strText, MscOrEmpty(pszSection));
    size_t nValue = nBody == npos ? npos : ValuePos(strText, nBody, MscOrEmpty(pszKey));
    if (nValue == npos) {
        QM_TRACE_INTERNAL(4, "Absent", "[%s] %s in %s", MscOrEmpty(pszSection), MscOrEmpty(pszKey),
                          m_strPath.c_str());
        return Lookup::Absent;
    }
    size_t nEnd = strText.find_first_of("\r\n", nValue);
    strValue = strText.substr(nValue, nEnd == npos ? npos : nEnd - nValue);
    QM_TRACE_INTERNAL(4, "Found", "[%s] %s=%s in %s", MscOrEmpty(pszSection), MscOrEmpty(pszKey),
                      strValue.c_str(), m_strPath.c_str());
    return Lookup::Found;
}

int CProfile::IntGet(const char* pszSection, const char* pszKey, int nDefault) const {
    std::string strValue;
    if (Find(pszSection, pszKey, strValue) != Lookup::Found)
        return nDefault;
    return ToInt(strValue);
}

int CProfile::StringGet(const char* pszSection, const char* pszKey, const char* pszDefault,
                        CString& strResult) const {
    std::string strValue;
    Lookup l = Find(pszSection, pszKey, strValue);
    strResult = l == Lookup::Found ? CString(strValue) : CString(pszDefault);
    return l == Lookup::Unreadable ? 0 : strResult.GetLength() + 1;
}

int CProfile::StringGet(const char* pszSection, const char* pszKey, const char* pszDefault,
                        char* pszBuffer, int nBufferSize) const {
    std::string strValue;
    Lookup l = Find(pszSection, pszKey, strValue);
    if (l != Lookup::Found)
        strValue = MscOrEmpty(pszDefault);
    if (pszBuffer && nBufferSize > 0) {
        size_t n = std::min(strValue.size(), size_t(nBufferSize) - 1);
        std::memcpy(pszBuffer, strValue.data(), n);
        pszBuffer[n] = '\0';
    }
    if (l == Lookup::Unreadable)
        return 0;
    if (l == Lookup::Absent)
        return 1;
    long lLen = static_cast<long>(strValue.size()) + 1;
    return static_cast<int>(std::min(lLen, static_cast<long>(nBufferSize)));
}

bool CProfile::StringSet(const char* pszSection, const char* pszKey,
                         const char* pszValue) const {
    const char* pszSec = MscOrEmpty(pszSection);
    const char* pszK = MscOrEmpty(pszKey);
    const char* pszVal = MscOrEmpty(pszValue);
    QM_TRACE_ENTER(3, "%s [%s] %s=%s", m_strPath.c_str(), pszSec, pszK, pszVal);

    // One byte more than the limit tells a file that would be cut by the write-back.
    std::string strText;
    if (!Read(strText, kMaxText + 1)) {
        QM_TRACE_LEAVE(3, "false (cannot read %s)", m_strPath.c_str());
        return false;
    }
    if (strText.size() > kMaxText) {
        QM_TRACE_INTERNAL(1, "Too long", "%s is longer than %zu bytes, not updated",
                          m_strPath.c_str(), kMaxText);
        QM_TRACE_LEAVE(3, "false");
        return false;
    }

    std::string strNew = strText;
    size_t nValue;
    size_t nBody = SectionBody(strNew, pszSec);
    if (nBody != npos) {
        nValue = ValuePos(strNew, nBody, pszK);
        if (nValue == npos) {
            // A new key becomes the first entry of its section.
            strNew.insert(nBody, std::string(pszK) + "=\n");
            nValue = nBody + std::strlen(pszK) + 1;
        }
    } else {
        // No line feed is put before the header: a last line without one gets the header joined.
        strNew += std::string("[") + pszSec + "]\n";
        nValue = strNew.size() + std::strlen(pszK) + 1;
        strNew += std::string(pszK) + "=\n\n";
    }
    // The old value runs up to the line feed, so a CR in front of it goes too.
    size_t nEnd = strNew.find('\n', nValue);
    strNew.replace(nValue, (nEnd == npos ? strNew.size() : nEnd) - nValue, pszVal);

    if (strNew.size() > kMaxText) {
        QM_TRACE_INTERNAL(2, "Not stored", "[%s] %s not stored, %s would exceed %zu bytes", pszSec,
                          pszK, m_strPath.c_str(), kMaxText);
        strNew = strText;
    }

    // A value stored already costs no rewrite (and no flush to disk).
    if (strNew == strText) {
        QM_TRACE_LEAVE(3, "true (unchanged)");
        return true;
    }
    // Replaced whole or not at all: a full disk must never cut the profile.
    if (!MscFileReplace(m_strPath.c_str(), strNew))
        QM_TRACE_INTERNAL(1, "Write failed", "cannot write %s", m_strPath.c_str());
    QM_TRACE_LEAVE(3, "true");
    return true;
}
