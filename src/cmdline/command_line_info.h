// CCCommandLineInfo: splits one command-line string into flag and non-flag
// arguments and hands each to ParseParam.
#pragma once

#include "support/string_type.h"

class CCCommandLineInfo {
public:
    explicit CCCommandLineInfo(const char* pszFlagCharacters);
    virtual ~CCCommandLineInfo() = default;
    // The pending destination points into the derived object, so a copy would alias it.
    CCCommandLineInfo(const CCCommandLineInfo&) = delete;
    CCCommandLineInfo& operator=(const CCCommandLineInfo&) = delete;

    // Called once per argument; bFlag means the flag character was dropped.
    virtual void ParseParam(const char* pszParam, bool bFlag, bool bLast);
    virtual void InitVars() = 0;

    // Resets through InitVars, then tokenizes the text.
    void Parse(const char* pszCmdLine);

    static bool CmpExact(const char* pszA, const char* pszB, bool fIgnoreCase);

protected:
    void ParseParamFlag(const char*) {}
    void ParseParamNotFlag(const char*) {}
    bool ParseLast(bool bLast) { return bLast; }

    // Never true for the terminating NUL, which strchr would otherwise find.
    bool IsFlagCharacter(char ch) const;

    CString m_strFlagCharacters;
    CString* m_pNextParameterDestination = nullptr;
    bool m_fNextParameterOptional = true;
    bool m_fNextParameterHidden = false;
};
