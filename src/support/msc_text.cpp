#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "support/msc.h"
#include "support/opus_trace.h"

namespace {

constexpr size_t kFilterBufferSize = 260;
constexpr int kFilterBuffers = 3;

enum class EMaskState { eCopy, eSwitch, eSpaces, eQuoted, eWord };

}  // namespace

const char* MscFilterPasswordSwitches(const char* pszCmdLine, const char* pszSwitch) {
    // Rotating buffers let one trace line show up to three filtered texts.
    static char s_buffers[kFilterBuffers][kFilterBufferSize];
    static int s_nNext = 0;
    char* pOut = s_buffers[s_nNext];
    s_nNext = (s_nNext + 1) % kFilterBuffers;

    const char* pszSw = pszSwitch ? pszSwitch : "-pw";
    const size_t nSwLen = std::strlen(pszSw);
    EMaskState eState = EMaskState::eCopy;
    size_t nMatched = 0;
    size_t n = 0;
    for (const char* p = pszCmdLine ? pszCmdLine : ""; *p && n < kFilterBufferSize - 1; ++p) {
        const char c = *p;
        switch (eState) {
        case EMaskState::eCopy: {
            pOut[n++] = c;
            if (nSwLen == 0)
                break;
            const char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            // On a mismatch this character may still start the switch ("--pw").
            if (lc == pszSw[nMatched])
                ++nMatched;
            else
                nMatched = lc == pszSw[0] ? 1 : 0;
            if (nMatched == nSwLen) {
                nMatched = 0;
                eState = EMaskState::eSwitch;
            }
            break;
        }
        case EMaskState::eSwitch:
            pOut[n++] = c;
            if (c == ' ')
                eState = EMaskState::eSpaces;
            break;
        case EMaskState::eSpaces:
            if (c == ' ') {
                pOut[n++] = c;
            } else if (c == '"') {
                pOut[n++] = c;
                eState = EMaskState::eQuoted;
            } else {
                pOut[n++] = '*';
                eState = EMaskState::eWord;
            }
            break;
        case EMaskState::eQuoted:
            pOut[n++] = c == '"' ? c : '*';
            if (c == '"')
                eState = EMaskState::eCopy;
            break;
        case EMaskState::eWord:
            pOut[n++] = c == ' ' ? c : '*';
            if (c == ' ')
                eState = EMaskState::eCopy;
            break;
        }
    }
    pOut[n] = '\0';
    return pOut;
}

uint32_t MscVariableStringSet(char* pBuffer, const char* pszText, uint32_t ulPos,
                              uint32_t ulMaxSize) {
    if (ulPos >= ulMaxSize)
        return ulMaxSize == 0 ? 0 : std::min(ulPos, ulMaxSize - 1);
    const char* pszSrc = pszText ? pszText : "";
    const size_t nSize = std::strlen(pszSrc) + 1;
    const uint32_t ulRoom = ulMaxSize - ulPos;
    if (nSize > ulRoom) {
        QM_TRACE_INTERNAL(1, "Copy produces buffer overrun", "ulPos=%u, ulSize=%u, ulMaxSize=%u, string='%s'",
                          ulPos, static_cast<uint32_t>(nSize), ulMaxSize, pszSrc);
        // The block's last byte stays a terminator so a reader never runs off its end.
        std::memcpy(pBuffer + ulPos, pszSrc, ulRoom - 1);
        pBuffer[ulMaxSize - 1] = '\0';
        return ulMaxSize;
    }
    std::memcpy(pBuffer + ulPos, pszSrc, nSize);
    return ulPos + static_cast<uint32_t>(nSize);
}

std::string MscStdStringFormat(const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    va_list argsCopy;
    va_copy(argsCopy, args);
    const int nLen = std::vsnprintf(nullptr, 0, pszFormat, args);
    va_end(args);
    std::string s;
    if (nLen > 0) {
        s.resize(static_cast<size_t>(nLen));
        std::vsnprintf(s.data(), s.size() + 1, pszFormat, argsCopy);
    }
    va_end(argsCopy);
    return s;
}
