// CFileNamePatterns: replaces ?token? placeholders in names of created files.
#pragma once

#include <map>

#include "support/string_type.h"

class CFileNamePatterns {
public:
    CFileNamePatterns() = default;
    virtual ~CFileNamePatterns() = default;

    // Stores the value trimmed, replacing an earlier one of that name.
    void SetToken(const char* pszName, const char* pszValue);
    // date, time, name, domain, each only when not yet set.
    void fillInStandardTokens();
    // False (path unchanged) when all numbers are taken or the result is empty.
    bool ReplaceTokens(CString& csPath);

    const std::map<CString, CString>& Tokens() const { return m_tokens; }

private:
    std::map<CString, CString> m_tokens;
    char m_chOpen = '?';
    char m_chClose = '?';
};
