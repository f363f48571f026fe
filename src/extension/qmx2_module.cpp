#include "extension/qmx2_module.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "extension/qmx2_status.h"
#include "support/msc.h"
#include "support/opus_trace.h"

namespace {

template <typename Pfn>
Pfn Lookup(const CModule& module, const char* pszName, unsigned int uLevelWhenMissing) {
    auto pfn = reinterpret_cast<Pfn>(module.ProcAddressGet(pszName));
    if (!pfn)
        QM_TRACE_INTERNAL(uLevelWhenMissing, "", "could not find %s function entry", pszName);
    return pfn;
}

// The progress fields every operation's leave trace shows.
std::string ProgressText(const CQmx2OperationBase& r) {
    return MscStdStringFormat("m_iSeq=%d\nm_sNextFile='%s'\nm_sPartInfo='%s'\nm_sStatusInfo='%s'", r.m_iSeq,
                              r.m_sNextFile.c_str(), r.m_sPartInfo.c_str(), r.m_sStatusInfo.c_str());
}

// Module file name without directory and extension.
CString ModuleBaseName(const CString& csPath) {
    CString csName, csExt;
    MscPathSplit(csPath, nullptr, &csName, &csExt);
    return csName;
}

}  // namespace

CQmx2Module::~CQmx2Module() { CleanUp(); }

void CQmx2Module::Init() {
    m_pfn = EntryPoints();
    m_fInstalled = false;
}

void CQmx2Module::Release() {
    CModule::Release();
    Init();
}

void CQmx2Module::CleanUp() {
    if (m_fInstalled)
        Uninstall();
}

bool CQmx2Module::Prepare() {
    QM_TRACE_ENTER(3, "m_csModulePath='%s'", m_csModulePath.c_str());
    bool fRet = false;
    if (!CModule::Prepare()) {
        fRet = false;
    } else if (m_pfn.Install && m_pfn.Uninstall && m_pfn.GetModuleInfo) {
        QM_TRACE_INTERNAL(4, "", "m_pfn.Install, m_pfn.Uninstall, m_pfn.GetModuleInfo already initialized");
        fRet = true;
    } else if ((m_pfn.Install = Lookup<PFN_QMX2_INSTALL>(*this, "QMX2_Install", 1)) &&
               (m_pfn.Uninstall = Lookup<PFN_QMX2_UNINSTALL>(*this, "QMX2_Uninstall", 1)) &&
               (m_pfn.GetModuleInfo = Lookup<PFN_QMX2_GET_MODULE_INFO>(*this, "QMX2_GetModuleInfo", 1))) {
        m_pfn.GetMessageText = Lookup<PFN_QMX2_GET_MESSAGE_TEXT>(*this, "QMX2_GetMessageText", 2);
        m_pfn.CheckBupInfo = Lookup<PFN_QMX2_CHECK_BUP_INFO>(*this, "QMX2_CheckBupInfo", 2);
        m_pfn.DoBiosUpdate = Lookup<PFN_QMX2_DO_BIOS_UPDATE>(*this, "QMX2_DoBiosUpdate", 2);
        m_pfn.DoConfigurationRestore =
            Lookup<PFN_QMX2_DO_CONFIGURATION_RESTORE>(*this, "QMX2_DoConfigurationRestore", 2);
        m_pfn.DoConfigurationBackup =
            Lookup<PFN_QMX2_DO_CONFIGURATION_BACKUP>(*this, "QMX2_DoConfigurationBackup", 2);
        m_pfn.GetGenericModuleInfo =
            Lookup<PFN_QMX2_GET_GENERIC_MODULE_INFO>(*this, "QMX2_GetGenericModuleInfo", 2);
        m_pfn.DoMakeCombinedArchive =
            Lookup<PFN_QMX2_DO_MAKE_COMBINED_ARCHIVE>(*this, "QMX2_DoMakeCombinedArchive", 2);
        fRet = true;
    }
    QM_TRACE_LEAVE(3, "ret=%s", QmBool2Str(fRet));
    return fRet;
}

uint32_t CQmx2Module::Install() {
    QM_TRACE_ENTER(3, "m_csModulePath='%s'", m_csModulePath.c_str());
    Init();
    // Prepare first: the entry point is only known afterwards.
    if (!Ready(&EntryPoints::Install)) {
        QM_TRACE_LEAVE(3, "ret=0x%8.8x", QMX2_E_INSTALL_NOT_PREPARED);
        return QMX2_E_INSTALL_NOT_PREPARED;
    }
    m_InstallInfo.sInstDir = m_csInstDir.str();
    m_InstallInfo.sLogFile = m_csLogFile.str();
    std::string sJson;
    m_InstallInfo.ToJsonStr(sJson);
    const uint32_t ret = m_pfn.Install(sJson);
    m_fInstalled = !Qmx2Failed(ret);
    QM_TRACE_LEAVE(3, "ret=0x%8.8x, m_fInstalled=%s", ret, QmBool2Str(m_fInstalled));
    return ret;
}

uint32_t CQmx2Module::Uninstall() {
    QM_TRACE_ENTER(3, "m_fInstalled=%s", QmBool2Str(m_fInstalled));
    uint32_t ret = 0;
    if (!m_fInstalled) {
        ret = 0;
    } else if (Prepare() && m_pfn.Uninstall) {
        ret = m_pfn.Uninstall();
        m_fInstalled = false;
    } else {
        QM_TRACE_INTERNAL(1, "", "Prepare failed or m_pfn.DoUninstallProc NULL");
        ret = QMX2_E_UNINSTALL_NOT_PREPARED;
    }
    QM_TRACE_LEAVE(3, "ret=0x%8.8x", ret);
    return ret;
}

uint32_t CQmx2Module::GetModuleInfo() {
    QM_TRACE_ENTER(3, "%s", "");
    if (!Ready(&EntryPoints::GetModuleInfo))
        return QMX2_E_GET_MODULE_INFO_NOT_PREPARED;
    std::string sJson;
    const uint32_t ret = m_pfn.GetModuleInfo(sJson);
    QM_TRACE_INTERNAL(4, "", "m_OemInfo.sJson=%s", sJson.c_str());
    m_OemInfo.FromJsonStr(sJson);
    if (Qmx2Failed(ret))
        QM_TRACE_INTERNAL(1, "", "QMX_GetModuleInfo failed ret=0x%8.8x", ret);
    QM_TRACE_LEAVE(3, "ret=0x%8.8x", ret);
    return ret;
}

uint32_t CQmx2Module::CheckBupInfo(const uint8_t* pData, uint32_t ulSzData) {
    QM_TRACE_ENTER(3, "ulSzData=%u", ulSzData);
    if (!Ready(&EntryPoints::CheckBupInfo))
        return QMX2_E_CHECK_BUP_INFO_NOT_PREPARED;
    std::string sJson;
    const uint32_t ret = m_pfn.CheckBupInfo(pData, ulSzData, sJson);
    QM_TRACE_INTERNAL(4, "", "m_BupInfo.sJson=%s", sJson.c_str());
    m_BupInfo.FromJsonStr(sJson);
    QM_TRACE_LEAVE(3, "ret=0x%8.8x", ret);
    return ret;
}

uint32_t CQmx2Module::DoBiosUpdate(bool fStart) {
    m_pActionInfo = &m_UpdateInfo;
    QM_TRACE_ENTER(3, "fStart=%s, m_sNextFile='%s', m_sSourcePath='%s'", QmBool2Str(fStart),
                   m_UpdateInfo.m_sNextFile.c_str(), m_UpdateInfo.m_sSourcePath.c_str());
    if (!Ready(&EntryPoints::DoBiosUpdate))
        return QMX2_E_DO_BIOS_UPDATE_NOT_PREPARED;
    std::string sJson;
    m_UpdateInfo.ToJsonStr(sJson);
    const uint32_t ret = m_pfn.DoBiosUpdate(sJson, nullptr, 0);
    m_UpdateInfo.FromJsonStr(sJson);
    QM_TRACE_LEAVE(3, "ret=0x%8.8x,\n%s", ret, ProgressText(m_UpdateInfo).c_str());
    return ret;
}

uint32_t CQmx2Module::DoConfigurationRestore(bool fStart) {
    m_pActionInfo = &m_ConfigRestoreInfo;
    QM_TRACE_ENTER(3, "fStart=%s, m_sNextFile='%s', m_sSourcePath='%s'", QmBool2Str(fStart),
                   m_ConfigRestoreInfo.m_sNextFile.c_str(), m_ConfigRestoreInfo.m_sSourcePath.c_str());
    if (!Ready(&EntryPoints::DoConfigurationRestore))
        return QMX2_E_DO_CONFIGURATION_RESTORE_NOT_PREPARED;
    std::string sJson;
    m_ConfigRestoreInfo.ToJsonStr(sJson);
    QM_TRACE_INTERNAL(3, "", "m_ConfigRestoreInfo.sJson=%s", sJson.c_str());
    const uint32_t ret = m_pfn.DoConfigurationRestore(sJson, nullptr, 0);
    QM_TRACE_INTERNAL(3, "", "m_ConfigRestoreInfo.sJson=%s", sJson.c_str());
    m_ConfigRestoreInfo.FromJsonStr(sJson);
    QM_TRACE_LEAVE(3, "ret=0x%8.8x,\n%s", ret, ProgressText(m_ConfigRestoreInfo).c_str());
    return ret;
}

uint32_t CQmx2Module::DoConfigurationBackup(bool fStart, bool fDebugCodeArea) {
    m_pActionInfo = &m_ConfigBackInfo;
    QM_TRACE_ENTER(3, "fStart=%s, fDebugCodeArea=%s, m_sNextFile='%s', m_sSourcePath='%s'", QmBool2Str(fStart),
                   QmBool2Str(fDebugCodeArea), m_ConfigBackInfo.m_sNextFile.c_str(),
                   m_ConfigBackInfo.m_sSourcePath.c_str());
    if (!Ready(&EntryPoints::DoConfigurationBackup))
        return QMX2_E_DO_CONFIGURATION_BACKUP_NOT_PREPARED;
    std::string sJson;
    m_ConfigBackInfo.ToJsonStr(sJson);
    const uint32_t ret = m_pfn.DoConfigurationBackup(sJson);
    QM_TRACE_INTERNAL(4, "m_pfn.DoConfigurationBackup returned", "ret=0x%8.8x\nsJson=%s", ret, sJson.c_str());
    m_ConfigBackInfo.FromJsonStr(sJson);
    QM_TRACE_LEAVE(3, "ret=0x%8.8x,\n%s", ret, ProgressText(m_ConfigBackInfo).c_str());
    return ret;
}

uint32_t CQmx2Module::GetGenericModuleInfo(const char* szParameters,
                                           std::multimap<std::string, std::string>& mapResult,
                                           bool fCheckParametersOnly, bool fExtendedStatus) {
    QM_TRACE_ENTER(3, "szParameters='%s', fCheckParametersOnly=%s, fExtendedStatus=%s",
                   szParameters ? szParameters : "", QmBool2Str(fCheckParametersOnly),
                   QmBool2Str(fExtendedStatus));
    m_pActionInfo = &m_GenericModuleInfo;
    if (!Ready(&EntryPoints::GetGenericModuleInfo))
        return QMX2_E_GET_GENERIC_MODULE_INFO_NOT_PREPARED;
    m_GenericModuleInfo.InitForStart(m_csTransferDir.str());
    m_GenericModuleInfo.m_fExtendedStatus = fExtendedStatus;
    m_GenericModuleInfo.ulCheckParametersOnly = fCheckParametersOnly ? 1 : 0;
    m_GenericModuleInfo.sParameters = szParameters ? szParameters : "";
    std::string sJson;
    m_GenericModuleInfo.ToJsonStr(sJson);
    const uint32_t ret = m_pfn.GetGenericModuleInfo(sJson);
    m_GenericModuleInfo.FromJsonStr(sJson);
    if (!Qmx2Failed(ret))
        mapResult = m_GenericModuleInfo.MapItems;
    QM_TRACE_LEAVE(3, "ret=0x%8.8x, items=%zu", ret, mapResult.size());
    return ret;
}

uint32_t CQmx2Module::DoMakeCombinedArchive(const char* szBiosInputFolder,
                                            const char* szConfigurationDataInputFolder,
                                            const char* szResultFolder) {
    QM_TRACE_ENTER(3, "szBiosInputFolder='%s', szConfigurationDataInputFolder='%s', szResultFolder='%s'",
                   szBiosInputFolder ? szBiosInputFolder : "",
                   szConfigurationDataInputFolder ? szConfigurationDataInputFolder : "",
                   szResultFolder ? szResultFolder : "");
    if (!Ready(&EntryPoints::DoMakeCombinedArchive))
        return QMX2_E_DO_MAKE_COMBINED_ARCHIVE_NOT_PREPARED;
    CQmx2MakeCombinedArchiveInfo info;
    info.InitForStart(szBiosInputFolder, szConfigurationDataInputFolder, szResultFolder, nullptr);
    std::string sJson;
    info.ToJsonStr(sJson);
    const uint32_t ret = m_pfn.DoMakeCombinedArchive(sJson);
    info.FromJsonStr(sJson);
    QM_TRACE_LEAVE(3, "ret=0x%8.8x,\n%s", ret, ProgressText(info).c_str());
    return ret;
}

bool CQmx2Module::ProfileSetFromBinary(const char* pszDir) {
    m_csOemProfile.Format("%s/%s.conf", pszDir ? pszDir : "", ModuleBaseName(m_csModulePath).c_str());
    QM_TRACE_LEAVE(4, "m_csOemProfile='%s'", m_csOemProfile.c_str());
    return true;
}

bool CQmx2Module::TransferDirPrepare(const char* szBaseDir) {
    QM_TRACE_ENTER(3, "szBaseDir=%s, m_csTransferDir='%s', m_csModulePath='%s'", szBaseDir ? szBaseDir : "",
                   m_csTransferDir.c_str(), m_csModulePath.c_str());
    bool fRet = false;
    if (!m_csTransferDir.IsEmpty() && MscDirectoryExists(m_csTransferDir)) {
        fRet = true;
    } else {
        // A fresh folder of the kernel's own, never one that stands there already.
        m_csTransferDir.Empty();
        fRet = MscTemporaryFolderMake(szBaseDir, ModuleBaseName(m_csModulePath), m_csTransferDir) != 0;
        if (!fRet)
            QM_TRACE_INTERNAL(1, "", "Could not create the transfer directory below '%s'", MscOrEmpty(szBaseDir));
    }
    QM_TRACE_LEAVE(3, "ret=%s, m_csTransferDir='%s'", QmBool2Str(fRet), m_csTransferDir.c_str());
    return fRet;
}

bool CQmx2Module::TransferDirRemove() {
    if (m_csTransferDir.IsEmpty())
        return true;
    const bool fRet = MscTreeRemove(m_csTransferDir) != 0;
    if (!fRet)
        QM_TRACE_INTERNAL(1, "", "Could not remove '%s'", m_csTransferDir.c_str());
    m_csTransferDir.Empty();
    return fRet;
}
