#include "support/string_type.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

size_t clampPos(int n, size_t len) {
    if (n <= 0)
        return 0;
    return std::min(static_cast<size_t>(n), len);
}

int toPos(size_t p) { return p == std::string::npos ? -1 : static_cast<int>(p); }

bool isSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

}  // namespace

CString::CString(const char16_t* pwsz) {
    // Code points below 0x80 pass through; anything else becomes UTF-8.
    if (!pwsz)
        return;
    for (; *pwsz; ++pwsz) {
        char32_t c = *pwsz;
        if (c >= 0xD800 && c <= 0xDBFF && pwsz[1] >= 0xDC00 && pwsz[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (pwsz[1] - 0xDC00);
            ++pwsz;
        }
        if (c < 0x80) {
            m_s += static_cast<char>(c);
        } else if (c < 0x800) {
            m_s += static_cast<char>(0xC0 | (c >> 6));
            m_s += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            m_s += static_cast<char>(0xE0 | (c >> 12));
            m_s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            m_s += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            m_s += static_cast<char>(0xF0 | (c >> 18));
            m_s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            m_s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            m_s += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
}

int CString::Compare(const char* psz) const { return std::strcmp(m_s.c_str(), psz ? psz : ""); }
int CString::CompareNoCase(const char* psz) const { return strcasecmp(m_s.c_str(), psz ? psz : ""); }
int CString::Collate(const char* psz) const { return std::strcoll(m_s.c_str(), psz ? psz : ""); }

int CString::Find(char ch, int nStart) const {
    if (nStart < 0 || static_cast<size_t>(nStart) >= m_s.size())
        return -1;
    return toPos(m_s.find(ch, static_cast<size_t>(nStart)));
}

int CString::Find(const char* pszSub, int nStart) const {
    if (!pszSub || nStart < 0 || static_cast<size_t>(nStart) > m_s.size())
        return -1;
    return toPos(m_s.find(pszSub, static_cast<size_t>(nStart)));
}

int CString::ReverseFind(char ch) const { return toPos(m_s.rfind(ch)); }

int CString::FindOneOf(const char* pszCharSet) const {
    return pszCharSet ? toPos(m_s.find_first_of(pszCharSet)) : -1;
}

CString CString::Mid(int nFirst) const {
    return Mid(nFirst, GetLength() - std::max(nFirst, 0));
}

CString CString::Mid(int nFirst, int nCount) const {
    size_t first = clampPos(nFirst, m_s.size());
    size_t count = clampPos(nCount, m_s.size() - first);
    return CString(m_s.substr(first, count));
}

CString CString::Left(int nCount) const { return CString(m_s.substr(0, clampPos(nCount, m_s.size()))); }

CString CString::Right(int nCount) const {
    size_t count = clampPos(nCount, m_s.size());
    return CString(m_s.substr(m_s.size() - count));
}

CString CString::SpanIncluding(const char* pszCharSet) const {
    size_t n = m_s.find_first_not_of(pszCharSet ? pszCharSet : "");
    return Left(n == std::string::npos ? GetLength() : static_cast<int>(n));
}

CString CString::SpanExcluding(const char* pszCharSet) const {
    size_t n = m_s.find_first_of(pszCharSet ? pszCharSet : "");
    return Left(n == std::string::npos ? GetLength() : static_cast<int>(n));
}

CString& CString::MakeUpper() {
    for (char& c : m_s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::MakeLower() {
    for (char& c : m_s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return *this;
}

CString& CString::MakeReverse() {
    std::reverse(m_s.begin(), m_s.end());
    return *this;
}

int CString::Insert(int nIndex, char ch) {
    m_s.insert(clampPos(nIndex, m_s.size()), 1, ch);
    return GetLength();
}

int CString::Insert(int nIndex, const char* psz) {
    if (psz)
        m_s.insert(clampPos(nIndex, m_s.size()), psz);
    return GetLength();
}

int CString::Delete(int nIndex, int nCount) {
    size_t first = clampPos(nIndex, m_s.size());
    if (nCount > 0)
        m_s.erase(first, clampPos(nCount, m_s.size() - first));
    return GetLength();
}

int CString::Replace(char chOld, char chNew) {
    int n = 0;
    for (char& c : m_s)
        if (c == chOld) {
            c = chNew;
            ++n;
        }
    return n;
}

int CString::Replace(const char* pszOld, const char* pszNew) {
    if (!pszOld || !*pszOld)
        return 0;
    const std::string oldText(pszOld);
    const std::string newText(pszNew ? pszNew : "");
    int n = 0;
    for (size_t pos = m_s.find(oldText); pos != std::string::npos;
         pos = m_s.find(oldText, pos + newText.size())) {
        m_s.replace(pos, oldText.size(), newText);
        ++n;
    }
    return n;
}

int CString::Remove(char ch) {
    size_t before = m_s.size();
    m_s.erase(std::remove(m_s.begin(), m_s.end(), ch), m_s.end());
    return static_cast<int>(before - m_s.size());
}

CString CString::Tokenize(const char* pszTokens, int& nPos) const {
    if (nPos < 0 || static_cast<size_t>(nPos) > m_s.size()) {
        nPos = -1;
        return CString();
    }
    if (!pszTokens || !*pszTokens) {
        if (static_cast<size_t>(nPos) >= m_s.size()) {
            nPos = -1;
            return CString();
        }
        CString rest = Mid(nPos);
        nPos = GetLength();
        return rest;
    }
    size_t start = m_s.find_first_not_of(pszTokens, static_cast<size_t>(nPos));
    if (start == std::string::npos) {
        nPos = -1;
        return CString();
    }
    size_t end = m_s.find_first_of(pszTokens, start);
    if (end == std::string::npos)
        end = m_s.size();
    nPos = static_cast<int>(end) + 1;
    return CString(m_s.substr(start, end - start));
}

CString& CString::TrimLeft() {
    m_s.erase(m_s.begin(), std::find_if_not(m_s.begin(), m_s.end(), isSpace));
    return *this;
}

CString& CString::TrimRight() {
    m_s.erase(std::find_if_not(m_s.rbegin(), m_s.rend(), isSpace).base(), m_s.end());
    return *this;
}

CString& CString::TrimLeft(char ch) {
    m_s.erase(0, std::min(m_s.find_first_not_of(ch), m_s.size()));
    return *this;
}

CString& CString::TrimRight(char ch) {
    size_t last = m_s.find_last_not_of(ch);
    m_s.erase(last == std::string::npos ? 0 : last + 1);
    return *this;
}

CString& CString::TrimLeft(const char* pszSet) {
    if (pszSet)
        m_s.erase(0, std::min(m_s.find_first_not_of(pszSet), m_s.size()));
    return *this;
}

CString& CString::TrimRight(const char* pszSet) {
    if (pszSet) {
        size_t last = m_s.find_last_not_of(pszSet);
        m_s.erase(last == std::string::npos ? 0 : last + 1);
    }
    return *this;
}

void CString::Format(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(const char* pszFormat, va_list args) {
    // First guess twice the format plus some room; then grow to the reported
    // length (or double on an encoding error), three attempts at most.
    size_t size = 2 * (std::strlen(pszFormat) + 25);
    std::string buf;
    m_nFormatAttempts = 0;
    for (int attempt = 0; attempt < 3; ++attempt) {
        buf.assign(size, '\0');
        va_list copy;
        va_copy(copy, args);
        int n = std::vsnprintf(&buf[0], size, pszFormat, copy);
        va_end(copy);
        m_nFormatAttempts = attempt + 1;
        if (n >= 0 && static_cast<size_t>(n) < size) {
            buf.resize(static_cast<size_t>(n));
            break;
        }
        size = n < 0 ? size * 2 : static_cast<size_t>(n) + 1;
        if (attempt == 2)
            buf.resize(std::strlen(buf.c_str()));
    }
    m_s = std::move(buf);
    FreeExtra();
}

char* CString::GetBuffer(int nMinLength) {
    // Grow with zero bytes so ReleaseBuffer(-1) finds the caller's terminator.
    if (nMinLength > GetLength())
        m_s.resize(static_cast<size_t>(nMinLength));
    return &m_s[0];
}

char* CString::GetBufferSetLength(int nLength) {
    m_s.resize(static_cast<size_t>(std::max(nLength, 0)));
    return &m_s[0];
}

void CString::ReleaseBuffer(int nNewLength) {
    if (nNewLength < 0)
        nNewLength = static_cast<int>(std::strlen(m_s.c_str()));
    m_s.resize(static_cast<size_t>(nNewLength));
}

CString operator+(const CString& a, const CString& b) { return CString(a.str() + b.str()); }
CString operator+(const CString& a, const char* b) { return CString(a.str() + (b ? b : "")); }
CString operator+(const char* a, const CString& b) { return CString((a ? a : "") + b.str()); }
CString operator+(const CString& a, char b) { return CString(a.str() + b); }
CString operator+(char a, const CString& b) { return CString(a + b.str()); }
