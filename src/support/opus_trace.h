// COpusTrace: the diagnostic trace file, switched on by a settings file.
#pragma once

#include <cstddef>

class COpusTrace {
public:
    explicit COpusTrace(const char* pszSettingsPath);
    ~COpusTrace();
    COpusTrace(const COpusTrace&) = delete;
    COpusTrace& operator=(const COpusTrace&) = delete;

    void Enable_By_Profile(const char* pszSettingsPath);

    // The level filter every output operation applies first.
    bool IsOn(unsigned int uLevel) const { return m_fEnabled && uLevel <= m_nTraceLevel; }

    void OutTV2(unsigned int uLevel, const char* pszFunction, const char* pszCaption,
                const char* pszSubCaption, const char* pszFormat, ...)
        __attribute__((format(printf, 6, 7)));
    void OutTVBin2(unsigned int uLevel, const char* pszFunction, const char* pszCaption,
                   const char* pszSubCaption, const void* pData, int nSize, int nBytesPerLine,
                   int nGroupSize, bool fFlag);
    void OutBinary(unsigned int uLevel, const void* pData, int nSize, int nBytesPerLine,
                   int nGroupSize, bool fFlag, int* pnExtra);
    void OutTVBigRaw(unsigned int uLevel, const char* pszCaption, const char* pszText);

    bool Enabled() const { return m_fEnabled; }
    unsigned int Level() const { return m_nTraceLevel; }
    const char* TraceFile() const { return m_szTraceFile; }

    static const char* LevelWord(unsigned int uLevel);
    // Class and function columns of a trace line from a full signature text.
    static void SplitFunction(const char* pszFunction, char* pszClass, size_t nClassSize,
                              char* pszFunc, size_t nFuncSize);

    // Process-wide, not per object: the file is emptied once per process.
    // Public so that tests can start over as a fresh process would.
    static bool s_fTraceClear;
    static bool s_fFirstOutput;

    // One entry holds at most this many characters; longer text is cut.
    static constexpr size_t kLineChars = 36863;

private:
    void Write(const char* pData, size_t nSize);

    bool m_fEnabled = false;
    unsigned int m_nTraceLevel = 0;
    char m_szTraceFile[4096];
    char m_szLine[kLineChars + 1];
};

// The process-wide trace object.
extern COpusTrace g_Trace;

// Trace entry points: the level test comes before any argument is evaluated.
#define QM_TRACE(level, caption, sub, ...)                                              \
    do {                                                                                \
        if (g_Trace.IsOn(level))                                                        \
            g_Trace.OutTV2((level), __PRETTY_FUNCTION__, (caption), (sub), __VA_ARGS__); \
    } while (0)

#define QM_TRACE_ENTER(level, ...) QM_TRACE(level, "Enter", "", __VA_ARGS__)
#define QM_TRACE_LEAVE(level, ...) QM_TRACE(level, "Leave", "", __VA_ARGS__)
#define QM_TRACE_INTERNAL(level, sub, ...) QM_TRACE(level, "Internal", sub, __VA_ARGS__)

#define QM_TRACE_BIN(level, caption, sub, data, size, perLine)                                \
    do {                                                                                      \
        if (g_Trace.IsOn(level))                                                              \
            g_Trace.OutTVBin2((level), __PRETTY_FUNCTION__, (caption), (sub), (data), (size), \
                              (perLine), 8, false);                                           \
    } while (0)

#define QM_TRACE_RAW(level, caption, text)           \
    do {                                             \
        if (g_Trace.IsOn(level))                     \
            g_Trace.OutTVBigRaw((level), (caption), (text)); \
    } while (0)

inline const char* QmBool2Str(bool f) { return f ? "true" : "false"; }
