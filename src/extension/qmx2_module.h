// CQmx2Module: the binding of one board module's QMX2_* entry points.
// Each operation sends its record as JSON text, calls the entry point and
// reads the reply back into the record; the result is the module's status code.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "extension/module.h"
#include "extension/qmx2_bup_info.h"
#include "extension/qmx2_install_info.h"
#include "extension/qmx2_map_records.h"
#include "extension/qmx2_oem_info.h"
#include "extension/qmx2_operation_records.h"
#include "quillmark/qmx2.h"
#include "support/opus_trace.h"

class CQmx2Module : public CModule {
public:
    struct EntryPoints {
        PFN_QMX2_INSTALL Install = nullptr;
        PFN_QMX2_UNINSTALL Uninstall = nullptr;
        PFN_QMX2_GET_MESSAGE_TEXT GetMessageText = nullptr;
        PFN_QMX2_GET_MODULE_INFO GetModuleInfo = nullptr;
        PFN_QMX2_CHECK_BUP_INFO CheckBupInfo = nullptr;
        PFN_QMX2_DO_BIOS_UPDATE DoBiosUpdate = nullptr;
        PFN_QMX2_GET_GENERIC_MODULE_INFO GetGenericModuleInfo = nullptr;
        PFN_QMX2_DO_CONFIGURATION_BACKUP DoConfigurationBackup = nullptr;
        PFN_QMX2_DO_CONFIGURATION_RESTORE DoConfigurationRestore = nullptr;
        PFN_QMX2_DO_MAKE_COMBINED_ARCHIVE DoMakeCombinedArchive = nullptr;
    };

    CQmx2Module() = default;
    ~CQmx2Module() override;

    bool Prepare() override;
    // Entry points belong to the object they came from: unloading it forgets
    // them and the installed state, so a new path is bound afresh.
    void Release() override;
    // Forgets the entry points and the installed state.
    void Init();
    void CleanUp();

    uint32_t Install();
    uint32_t Uninstall();
    uint32_t GetModuleInfo();
    uint32_t CheckBupInfo(const uint8_t* pData, uint32_t ulSzData);
    uint32_t DoBiosUpdate(bool fStart);
    uint32_t DoConfigurationBackup(bool fStart, bool fDebugCodeArea);
    uint32_t DoConfigurationRestore(bool fStart);
    uint32_t GetGenericModuleInfo(const char* szParameters,
                                  std::multimap<std::string, std::string>& mapResult,
                                  bool fCheckParametersOnly, bool fExtendedStatus);
    uint32_t DoMakeCombinedArchive(const char* szBiosInputFolder,
                                   const char* szConfigurationDataInputFolder,
                                   const char* szResultFolder);

    // m_csOemProfile = "<dir>/<module name without extension>.conf"
    bool ProfileSetFromBinary(const char* pszDir);
    bool TransferDirPrepare(const char* szBaseDir);
    bool TransferDirRemove();

    EntryPoints m_pfn;
    CString m_csTransferDir;
    CQmx2OemInfo m_OemInfo;
    CQmx2OemSettings m_OemSettings;
    CQmx2OperationBase* m_pActionInfo = nullptr;
    CQmx2BupInfo m_BupInfo;
    CQmx2UpdateInfo m_UpdateInfo;
    CQmx2BackInfo m_BackInfo;
    CQmx2ConfigBackInfo m_ConfigBackInfo;
    CQmx2ConfigRestoreInfo m_ConfigRestoreInfo;
    CQmx2InstallInfo m_InstallInfo;
    CQmx2DetailInfo m_DetailInfo;
    CQmx2ListBupInfo m_ListBupInfo;
    CQmx2GetGenericModuleInfo m_GenericModuleInfo;
    bool m_fInstalled = false;
    CString m_csOemProfile;
    CString m_csInstDir;
    CString m_csLogFile;

private:
    // Prepare, then check the entry point; traces "Prepare failed" when either is missing.
    template <typename Pfn>
    bool Ready(Pfn EntryPoints::*pfn) {
        if (Prepare() && m_pfn.*pfn)
            return true;
        QM_TRACE_INTERNAL(1, "", "Prepare failed");
        return false;
    }
};
