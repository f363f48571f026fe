#include "support/opus_trace.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <unistd.h>

#include "support/msc.h"
#include "support/profile.h"
#include "support/string_type.h"

bool COpusTrace::s_fTraceClear = false;
bool COpusTrace::s_fFirstOutput = true;

namespace {

const char kSettingsSection[] = "TRACE_SETTINGS";

// Copies at most nCount characters of psz, always terminated, never beyond nSize.
void CopyCut(char* pszDest, size_t nSize, const char* psz, size_t nCount) {
    if (!pszDest || nSize == 0)
        return;
    size_t n = std::min(nCount, nSize - 1);
    std::memcpy(pszDest, psz, n);
    pszDest[n] = '\0';
}

}  // namespace

COpusTrace::COpusTrace(const char* pszSettingsPath) {
    std::strcpy(m_szTraceFile, "Trace.trc");
    m_szLine[0] = '\0';
    Enable_By_Profile(pszSettingsPath);
}

COpusTrace::~COpusTrace() { m_fEnabled = false; }

void COpusTrace::Enable_By_Profile(const char* pszSettingsPath) {
    const char* pszPath = MscOrEmpty(pszSettingsPath);
    CProfile profile(pszPath);
    if (m_fEnabled)
        return;

    if (profile.IntGet(kSettingsSection, "Trace", 0) != 0) {
        m_fEnabled = true;
        s_fTraceClear = profile.IntGet(kSettingsSection, "TraceClear", 0) > 0;
        CString strFile;
        profile.StringGet(kSettingsSection, "TraceFile", "", strFile);
        CopyCut(m_szTraceFile, sizeof(m_szTraceFile), strFile, size_t(strFile.GetLength()));
    }
    // Read even when tracing stays off, so the level is visible either way.
    m_nTraceLevel = static_cast<unsigned int>(profile.IntGet(kSettingsSection, "TraceLevel", 0));

    if (profile.IntGet(kSettingsSection, "TraceInfo", 0) != 0) {
        if (m_fEnabled)
            std::printf("TRACE OUTPUT ENABLED: %s, %s, level=%d\n", pszPath, m_szTraceFile,
                        static_cast<int>(m_nTraceLevel));
        else
            std::printf("TRACE OUTPUT DISABLED: %s\n", pszPath);
    }
}

const char* COpusTrace::LevelWord(unsigned int uLevel) {
    static const char* const s_apszWords[] = {"",     "Error",   "Warning",  "Info",
                                              "Verbose", "CCInfo", "CCVerbose"};
    return uLevel < sizeof(s_apszWords) / sizeof(s_apszWords[0]) ? s_apszWords[uLevel] : "";
}

void COpusTrace::SplitFunction(const char* pszFunction, char* pszClass, size_t nClassSize,
                               char* pszFunc, size_t nFuncSize) {
    const char* psz = MscOrEmpty(pszFunction);
    const char* pszSep = std::strstr(psz, "::");
    const char* pszName = psz;
    if (pszSep) {
        CopyCut(pszClass, nClassSize, psz, size_t(pszSep - psz));
        pszName = pszSep + 2;
    } else {
        CopyCut(pszClass, nClassSize, "<global>", 8);
    }
    CopyCut(pszFunc, nFuncSize, pszName, std::strcspn(pszName, "("));
}

void COpusTrace::OutTV2(unsigned int uLevel, const char* pszFunction, const char* pszCaption,
                        const char* pszSubCaption, const char* pszFormat, ...) {
    if (!IsOn(uLevel))
        return;

    char szClass[1024];
    char szFunc[1024];
    SplitFunction(pszFunction, szClass, sizeof(szClass), szFunc, sizeof(szFunc));

    struct timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    struct tm tmLocal {};
    localtime_r(&ts.tv_sec, &tmLocal);
    char szTime[64];
    if (std::strftime(szTime, sizeof(szTime), "%d.%m.%Y %H:%M:%S.", &tmLocal) == 0)
        szTime[0] = '\0';

    const size_t nBufSize = sizeof(m_szLine);
    int n = std::snprintf(m_szLine, nBufSize, "%s%03u\t%04u\t%04u\t%s\t%s\t%s\t%s\t%s\t", szTime,
                          static_cast<unsigned>(ts.tv_nsec / 1000000),
                          static_cast<unsigned>(getpid()), 0u, LevelWord(uLevel), szClass,
                          szFunc, MscOrEmpty(pszCaption), MscOrEmpty(pszSubCaption));
    if (n < 0)
        return;
    size_t nLen = std::min(size_t(n), nBufSize - 1);

    if (pszFormat && nLen < nBufSize - 1) {
        va_list args;
        va_start(args, pszFormat);
        int m = std::vsnprintf(m_szLine + nLen, nBufSize - nLen, pszFormat, args);
        va_end(args);
        if (m > 0)
            nLen = std::min(nLen + size_t(m), nBufSize - 1);
        else
            m_szLine[nLen] = '\0';
    }

    Write(m_szLine, nLen);
    Write("\n", 1);
}

void COpusTrace::OutTVBin2(unsigned int uLevel, const char* pszFunction, const char* pszCaption,
                           const char* pszSubCaption, const void* pData, int nSize,
                           int nBytesPerLine, int nGroupSize, bool fFlag) {
    if (!IsOn(uLevel))
        return;
    OutTV2(uLevel, pszFunction, pszCaption, pszSubCaption, "Binary data at address %p (%d Bytes)\n",
           pData, nSize);
    OutBinary(uLevel, pData, nSize, nBytesPerLine, nGroupSize, fFlag, nullptr);
}

void COpusTrace::OutBinary(unsigned int uLevel, const void* pData, int nSize, int nBytesPerLine,
                           int nGroupSize, bool fFlag, int* pnExtra) {
    (void)fFlag;  // callers always pass false and null; the dump does not depend on them
    (void)pnExtra;
    if (!IsOn(uLevel))
        return;
    if (!pData) {
        static const char s_szNull[] = "OutBinary(..., <null>, ...)\n";
        Write(s_szNull, sizeof(s_szNull) - 1);
        return;
    }

    // Callers pass 16 or 32 with groups of 8; anything odd is made safe, not rejected.
    const int B = std::clamp(nBytesPerLine, 1, 4096);
    const int G = (nGroupSize <= 0 || nGroupSize > B) ? B : nGroupSize;
    const int g = B / G;
    const int nCharStart = 3 * B + g;
    // With a group size that does not divide the line the last character would
    // otherwise land on the newline column.
    const int nNewline = std::max(4 * B + 2 * g - 1, (B - 1) / G + nCharStart + B);

    static const char s_szHex[] = "0123456789ABCDEF";
    const unsigned char* p = static_cast<const unsigned char*>(pData);
    std::string line(size_t(nNewline) + 1, ' ');
    line[size_t(nNewline)] = '\n';
    int nInLine = 0;
    for (int k = 0; k < nSize; ++k) {
        const unsigned char b = p[k];
        const int i = nInLine;
        const size_t nHex = size_t(i / G + 3 * i);
        line[nHex] = s_szHex[b >> 4];
        line[nHex + 1] = s_szHex[b & 0x0F];
        line[size_t(i / G + nCharStart + i)] = (b >= 0x20 && b <= 0x7E) ? char(b) : '.';
        if (++nInLine == B) {
            Write(line.data(), line.size());
            std::fill(line.begin(), line.end() - 1, ' ');
            nInLine = 0;
        }
    }
    if (nInLine > 0)
        Write(line.data(), line.size());
}

void COpusTrace::OutTVBigRaw(unsigned int uLevel, const char* pszCaption, const char* pszText) {
    if (!IsOn(uLevel))
        return;
    std::string block(MscOrEmpty(pszCaption));
    block += '\n';
    block += MscOrEmpty(pszText);
    block += '\n';
    Write(block.data(), block.size());
}

void COpusTrace::Write(const char* pData, size_t nSize) {
    // Opened and closed per write, so the file may be removed or rotated meanwhile.
    if (s_fFirstOutput) {
        if (s_fTraceClear) {
            if (FILE* f = std::fopen(m_szTraceFile, "wb"))
                std::fclose(f);
        }
        s_fFirstOutput = false;
    }
    FILE* f = std::fopen(m_szTraceFile, "ab");
    if (!f)
        return;
    std::fwrite(pData, 1, nSize, f);
    std::fclose(f);
}
