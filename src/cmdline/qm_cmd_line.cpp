#include "cmdline/qm_cmd_line.h"

#include "cmdline/option_table.h"
#include "support/opus_trace.h"

const char* CQmCmdLine::COptionSet::ToString(CString& out) const {
    out.Empty();
    for (E_OPTIONS eOption : *this) {
        out += Option2Str(eOption);
        out += ", ";
    }
    out.TrimRight(", ");
    return out;
}

CQmCmdLine::CQmCmdLine() : CCCommandLineInfo("-") {}

void CQmCmdLine::InitVars() {
    // m_csWrkDir and m_csQuilMarkVersion outlive a job; so does a pending destination.
    m_Options.clear();
    m_csTarget.Empty();
    m_csLogfile.Empty();
    m_ClientMsgLevel = 10;
    m_csPassword.Empty();
    m_csBinp.Empty();
    m_csCinp.Empty();
    m_strShown.clear();
}

CString CQmCmdLine::ParamTraceText(const char* pszParam, bool bFlag) const {
    if (bFlag)
        return CString("/") + pszParam;
    if (m_fNextParameterHidden)
        return CString("********");
    return CString(pszParam);
}

void CQmCmdLine::ParseParam(const char* pszParam, bool bFlag, bool bLast) {
    QM_TRACE_ENTER(6, "lpszParam='%s', bFlag=%d, bLast=%d",
                   ParamTraceText(pszParam, bFlag).c_str(), bFlag, bLast);
    m_fNextParameterHidden = false;

    if (!m_strShown.empty())
        m_strShown += ' ';
    if (bFlag) {
        m_strShown += std::string("-") + pszParam;
    } else if (m_pNextParameterDestination == &m_csPassword) {
        m_strShown += "********";
    } else {
        const std::string strParam = pszParam;
        m_strShown += strParam.find_first_of(" \t\"") == std::string::npos && !strParam.empty() ? strParam
                                                                                               : '"' + strParam + '"';
    }

    if (!bFlag) {
        if (!m_pNextParameterDestination) {
            QM_TRACE_INTERNAL(1, "This is not a flag but m_pNextParameterDestination is not set",
                              "lpszParam=%s", pszParam);
            m_Options.insert(eError);
        } else {
            *m_pNextParameterDestination = pszParam;
            m_pNextParameterDestination = nullptr;
        }
    } else {
        if (m_pNextParameterDestination) {
            if (!m_fNextParameterOptional) {
                // The pending destination stays: the job is rejected anyway.
                QM_TRACE_INTERNAL(1,
                                  "This is a flag but m_pNextParameterDestination is set and not "
                                  "optional",
                                  "lpszParam=%s", pszParam);
                m_Options.insert(eError);
            } else {
                m_pNextParameterDestination = nullptr;
            }
        }

        const SQmOptionRow* pMatch = nullptr;
        for (const SQmOptionRow& row : g_QmOptionTable) {
            for (const char* pszText : row.apszTexts) {
                if (pszText && CmpExact(pszParam, pszText, true)) {
                    pMatch = &row;
                    break;
                }
            }
            if (pMatch)
                break;
        }

        if (!pMatch) {
            QM_TRACE_INTERNAL(1, "Unknown command line option", "csParam='%s'", pszParam);
            m_Options.insert(eError);
        } else {
            m_Options.insert(pMatch->eOption);
            if (pMatch->pDestination) {
                m_pNextParameterDestination = &(this->*pMatch->pDestination);
                m_fNextParameterOptional = pMatch->fOptional;
                m_fNextParameterHidden = pMatch->fHidden;
            }
            if (pMatch->eOption == eSkipBiosCompare)
                QM_TRACE(3, "ParseParam", "", "eSkipBiosCompare added to m_Options");
        }
    }

    QM_TRACE_LEAVE(6,
                   "\nOptionExists(eError)=%s\nm_pNextParameterDestination=%p\n"
                   "m_fNextParameterOptional=%s",
                   QmBool2Str(OptionExists(eError)),
                   static_cast<const void*>(m_pNextParameterDestination),
                   QmBool2Str(m_fNextParameterOptional));
}

const char* CQmCmdLine::ToString(CString& out) const {
    CString csOptions;
    m_Options.ToString(csOptions);
    out.Format("{%s}, m_csTarget='%s', m_csWrkDir='%s', m_csLogfile='%s'", csOptions.c_str(),
               m_csTarget.c_str(), m_csWrkDir.c_str(), m_csLogfile.c_str());
    return out;
}

bool CQmCmdLine::is_anything_besides_BiosCodeArea_selected() const {
    if (OptionExists(eBiosCodeArea))
        return false;
    return OptionExists(eBootOrderVariablesArea) || OptionExists(eNvRamArea) ||
           OptionExists(eSystemDataArea) || OptionExists(eLogoArea) ||
           OptionExists(ePasswordArea);
}

const char* CQmCmdLine::Option2Str(E_OPTIONS eOption) {
    switch (eOption) {
    case eInvalidOption: return "eInvalidOption";
    case eError: return "eError";
    case eObjectFile: return "eObjectFile";
    case eNvramUpdate: return "eNvramUpdate";
    case eUpdate: return "eUpdate";
    case eArchive: return "eArchive";
    case eOverwrite: return "eOverwrite";
    case eLogfile: return "eLogfile";
    case eAllowReboot: return "eAllowReboot";
    case eNoReboot: return "eNoReboot";
    case eExtendedStatus: return "eExtendedStatus";
    case eActionStatus: return "eActionStatus";
    case eForceCapsuleOnDisk: return "eForceCapsuleOnDisk";
    case eForceCapsulePost: return "eForceCapsulePost";
    case eForceRuntime: return "eForceRuntime";
    case eSkipBiosCompare: return "eSkipBiosCompare";
    case eBreakOnMeUpdateError: return "eBreakOnMeUpdateError";
    case eArchiveConfiguration: return "eArchiveConfiguration";
    case eMake: return "eMake";
    case eCrypt: return "eCrypt";
    case ePwd: return "ePwd";
    case ePwc: return "ePwc";
    case eBinp: return "eBinp";
    case eCinp: return "eCinp";
    case eWorkingDirectory: return "eWorkingDirectory";
    case eBiosCodeArea: return "eBiosCodeArea";
    case eDebugCodeArea: return "eDebugCodeArea";
    case eLogoArea: return "eLogoArea";
    case eSystemDataArea: return "eSystemDataArea";
    case eNvRamArea: return "eNvRamArea";
    case ePasswordArea: return "ePasswordArea";
    case eBootOrderVariablesArea: return "eBootOrderVariablesArea";
    // The traces never named these.
    case eUsage:
    case eErrorlevels:
    case eVersion:
    case eAllowXen:
    case eInfo:
    case eMicroCodeUpdate:
    case eAuto:
    case eForceCoreUpdate:
    case eLoadModule:
    case eForceServer:
    case eNoExtLocate:
        break;
    }
    return "<unknown>";
}
