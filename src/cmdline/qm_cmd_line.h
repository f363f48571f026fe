// CQmCmdLine: a parsed job command line, the option set plus the texts some
// options carry.
#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "cmdline/command_line_info.h"
#include "support/string_type.h"

// Values are fixed: they appear in traces and order the option set.
enum E_OPTIONS {
    eInvalidOption = 0,
    eError = 1,
    eUsage = 2,
    eErrorlevels = 3,
    eVersion = 4,
    eObjectFile = 5,
    eNvramUpdate = 6,
    eUpdate = 7,
    eArchive = 8,
    eOverwrite = 9,
    eLogfile = 10,
    eAllowReboot = 11,
    eNoReboot = 12,
    eExtendedStatus = 13,
    eActionStatus = 14,
    eForceCapsuleOnDisk = 15,
    eForceCapsulePost = 16,
    eForceRuntime = 17,
    eSkipBiosCompare = 18,
    eBreakOnMeUpdateError = 19,
    eArchiveConfiguration = 20,
    eMake = 21,
    eCrypt = 22,
    ePwd = 23,
    ePwc = 24,
    eBinp = 25,
    eCinp = 26,
    eWorkingDirectory = 27,
    eBiosCodeArea = 28,
    eDebugCodeArea = 29,
    eLogoArea = 30,
    eSystemDataArea = 31,
    eNvRamArea = 32,
    ePasswordArea = 33,
    eBootOrderVariablesArea = 34,
    eAllowXen = 35,
    eInfo = 36,
    eMicroCodeUpdate = 37,
    eAuto = 38,
    eForceCoreUpdate = 39,
    eLoadModule = 40,
    eForceServer = 41,
    eNoExtLocate = 42,
};

class CQmCmdLine : public CCCommandLineInfo {
public:
    // Ascending numeric order, each option at most once.
    class COptionSet : public std::set<E_OPTIONS> {
    public:
        bool OptionExists(E_OPTIONS eOption) const { return count(eOption) != 0; }
        // 'eUpdate, eLogfile'; returns out's text.
        const char* ToString(CString& out) const;
    };

    CQmCmdLine();

    void ParseParam(const char* pszParam, bool bFlag, bool bLast) override;
    void InitVars() override;

    bool OptionExists(E_OPTIONS eOption) const { return m_Options.OptionExists(eOption); }
    const char* ToString(CString& out) const;
    // Trace name of an option, "<unknown>" for those the traces never name.
    static const char* Option2Str(E_OPTIONS eOption);
    bool is_anything_besides_BiosCodeArea_selected() const;
    // Replaces an encrypted m_csPassword by the plain one (ePwc becomes ePwd).
    void DecodePassword();
    // The line as parsed, for records people read: passwords become "********".
    const std::string& ShownText() const { return m_strShown; }

    COptionSet m_Options;
    CString m_csTarget;
    CString m_csLogfile;
    CString m_csWrkDir;  // survives InitVars on purpose
    int32_t m_ClientMsgLevel = 10;
    CString m_csQuilMarkVersion;
    CString m_csPassword;
    CString m_csBinp;
    CString m_csCinp;

protected:
    // The argument as the enter trace shows it; secrets never reach the trace.
    CString ParamTraceText(const char* pszParam, bool bFlag) const;

private:
    std::string m_strShown;
};
