// CString: the byte string every interface of the kernel passes around.
// Value semantics on std::string; positions are int and -1 means "not found".
#pragma once

#include <cstdarg>
#include <string>

class CString {
public:
    CString() = default;
    CString(const char* psz) : m_s(psz ? psz : "") {}
    CString(const unsigned char* psz) : CString(reinterpret_cast<const char*>(psz)) {}
    CString(const char16_t* pwsz);
    CString(char ch, int nRepeat) : m_s(nRepeat > 0 ? size_t(nRepeat) : 0, ch) {}
    CString(const std::string& s) : m_s(s) {}
    CString(std::string&& s) : m_s(std::move(s)) {}

    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    char GetAt(int n) const { return m_s[static_cast<size_t>(n)]; }
    char operator[](int n) const { return GetAt(n); }
    void SetAt(int n, char ch) { m_s[static_cast<size_t>(n)] = ch; }
    operator const char*() const { return m_s.c_str(); }
    const char* c_str() const { return m_s.c_str(); }
    const std::string& str() const { return m_s; }

    int Compare(const char* psz) const;
    int CompareNoCase(const char* psz) const;
    int Collate(const char* psz) const;

    CString& operator=(const char* psz) { m_s = psz ? psz : ""; return *this; }
    CString& operator=(char ch) { m_s.assign(1, ch); return *this; }
    CString& operator+=(const CString& s) { m_s += s.m_s; return *this; }
    CString& operator+=(const char* psz) { if (psz) m_s += psz; return *this; }
    CString& operator+=(char ch) { m_s += ch; return *this; }

    int Find(char ch) const { return Find(ch, 0); }
    int Find(char ch, int nStart) const;
    int Find(const char* pszSub) const { return Find(pszSub, 0); }
    int Find(const char* pszSub, int nStart) const;
    int ReverseFind(char ch) const;
    int FindOneOf(const char* pszCharSet) const;

    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;
    CString SpanIncluding(const char* pszCharSet) const;
    CString SpanExcluding(const char* pszCharSet) const;

    CString& MakeUpper();
    CString& MakeLower();
    CString& MakeReverse();
    int Insert(int nIndex, char ch);
    int Insert(int nIndex, const char* psz);
    int Delete(int nIndex, int nCount = 1);
    int Replace(char chOld, char chNew);
    int Replace(const char* pszOld, const char* pszNew);
    int Remove(char ch);

    // Next token after nPos; nPos becomes -1 once no token is left.
    CString Tokenize(const char* pszTokens, int& nPos) const;

    CString& TrimLeft();
    CString& TrimRight();
    CString& Trim() { return TrimRight().TrimLeft(); }
    CString& TrimLeft(char ch);
    CString& TrimRight(char ch);
    CString& Trim(char ch) { return TrimRight(ch).TrimLeft(ch); }
    CString& TrimLeft(const char* pszSet);
    CString& TrimRight(const char* pszSet);
    CString& Trim(const char* pszSet) { return TrimRight(pszSet).TrimLeft(pszSet); }

    void Format(const char* pszFormat, ...) __attribute__((format(printf, 2, 3)));
    void FormatV(const char* pszFormat, va_list args) __attribute__((format(printf, 2, 0)));
    // Attempts FormatV needed for the last call (1 when the first guess fit).
    int LastFormatAttempts() const { return m_nFormatAttempts; }

    // Raw access: room for at least nMinLength characters until ReleaseBuffer.
    char* GetBuffer(int nMinLength);
    char* GetBufferSetLength(int nLength);
    void ReleaseBuffer(int nNewLength = -1);
    void FreeExtra() { m_s.shrink_to_fit(); }

private:
    std::string m_s;
    int m_nFormatAttempts = 0;
};

CString operator+(const CString& a, const CString& b);
CString operator+(const CString& a, const char* b);
CString operator+(const char* a, const CString& b);
CString operator+(const CString& a, char b);
CString operator+(char a, const CString& b);

inline bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
inline bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
inline bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return a.Compare(b) != 0; }
inline bool operator!=(const CString& a, const char* b) { return a.Compare(b) != 0; }
inline bool operator!=(const char* a, const CString& b) { return b.Compare(a) != 0; }
inline bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
inline bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
inline bool operator<=(const CString& a, const CString& b) { return a.Compare(b) <= 0; }
inline bool operator>=(const CString& a, const CString& b) { return a.Compare(b) >= 0; }
