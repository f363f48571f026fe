#include "cmdline/command_line_info.h"

#include <cstring>
#include <memory>
#include <new>
#include <strings.h>

#include "support/opus_trace.h"

namespace {

const char* SkipBlanks(const char* p) {
    while (*p == ' ')
        ++p;
    return p;
}

}  // namespace

CCCommandLineInfo::CCCommandLineInfo(const char* pszFlagCharacters)
    : m_strFlagCharacters(pszFlagCharacters) {}

void CCCommandLineInfo::ParseParam(const char* pszParam, bool bFlag, bool bLast) {
    if (bFlag)
        ParseParamFlag(pszParam);
    else
        ParseParamNotFlag(pszParam);
    ParseLast(bLast);
}

bool CCCommandLineInfo::CmpExact(const char* pszA, const char* pszB, bool fIgnoreCase) {
    if (!pszA)
        pszA = "";
    if (!pszB)
        pszB = "";
    return (fIgnoreCase ? strcasecmp(pszA, pszB) : std::strcmp(pszA, pszB)) == 0;
}

bool CCCommandLineInfo::IsFlagCharacter(char ch) const {
    return ch != '\0' && m_strFlagCharacters.Find(ch) >= 0;
}

void CCCommandLineInfo::Parse(const char* pszCmdLine) {
    if (!pszCmdLine)
        pszCmdLine = "";
    const size_t nLen = std::strlen(pszCmdLine);
    // An argument is never longer than the text, so one buffer serves them all.
    std::unique_ptr<char[]> buf(new (std::nothrow) char[nLen + 1]);
    if (!buf) {
        QM_TRACE_INTERNAL(1, "Could not allocate parameter space", "len(szCmdLine)=%d",
                          static_cast<int>(nLen));
        return;
    }
    InitVars();

    const char* p = SkipBlanks(pszCmdLine);
    // An empty or all-blank text carries no argument at all.
    if (*p == '\0')
        return;

    bool bLast = false;
    while (!bLast) {
        p = SkipBlanks(p);
        char* out = buf.get();
        const char* pszArg = out;
        bool bFlag = false;

        if (*p == '"') {
            ++p;
            while (*p) {
                if (*p == '"') {
                    if (p[1] != '"') {
                        ++p;
                        break;
                    }
                    ++p;  // a doubled quote stands for one literal quote
                }
                *out++ = *p++;
            }
            *out = '\0';
            if (IsFlagCharacter(pszArg[0])) {
                bFlag = true;
                ++pszArg;
            }
        } else {
            if (IsFlagCharacter(*p)) {
                bFlag = true;
                ++p;
            }
            while (*p && *p != ' ')
                *out++ = *p++;
            *out = '\0';
        }

        p = SkipBlanks(p);
        bLast = (*p == '\0');
        ParseParam(pszArg, bFlag, bLast);
    }
}
