// CProfile: reads and updates small INI-style files straight from their raw text.
// Every call re-reads the file; nothing is cached, so other writers are seen at once.
#pragma once

#include <string>

#include "support/string_type.h"

class CProfile {
public:
    explicit CProfile(const char* pszPath);
    virtual ~CProfile();

    // atoi of the value; nDefault when the key is absent or the file unreadable.
    int IntGet(const char* pszSection, const char* pszKey, int nDefault) const;
    // Length of the stored text plus one; 0 when the file was unreadable.
    int StringGet(const char* pszSection, const char* pszKey, const char* pszDefault,
                  CString& strResult) const;
    // 0 unreadable, 1 key absent, else min(value length + 1, nBufferSize).
    int StringGet(const char* pszSection, const char* pszKey, const char* pszDefault,
                  char* pszBuffer, int nBufferSize) const;
    // False when the file cannot be read (it is never created) or is too long to update.
    bool StringSet(const char* pszSection, const char* pszKey, const char* pszValue) const;

    const char* PathGet() const { return m_strPath.c_str(); }

    // Only this much of a file is read; an update never grows the text beyond it.
    static constexpr size_t kMaxText = 8192;

private:
    enum class Lookup { Unreadable, Absent, Found };
    Lookup Find(const char* pszSection, const char* pszKey, std::string& strValue) const;
    // nLimit bytes at most; false when the file cannot be opened or read.
    bool Read(std::string& strText, size_t nLimit) const;

    std::string m_strPath;
};
