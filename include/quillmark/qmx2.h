// qmx2.h: the interface between the Quillmark kernel and a board module.
//
// A board module is a shared object exporting Init and the QMX2_* entry
// points below with C linkage. Kernel and module exchange JSON text through a
// std::string owned by the kernel: the kernel fills it with the request, the
// module reads it and replaces its whole content with the reply. Every entry
// point but QMX2_GetMessageText returns a 32-bit status code (layout below).
// Build modules with the same C++ standard library as the kernel.
#pragma once

#include <cstdint>
#include <string>

// ---- Status codes -------------------------------------------------------
// bits 31-30 severity, 29-24 operation, 23-16 reason, 15-0 module detail.
// A code has failed exactly when its severity is QMX2_SEV_ERROR.

enum : uint32_t {
    QMX2_SEV_SUCCESS = 0,
    QMX2_SEV_INFO = 1,
    QMX2_SEV_WARNING = 2,
    QMX2_SEV_ERROR = 3,
};

enum : uint32_t {
    QMX2_OP_INSTALL = 0x01,
    QMX2_OP_UNINSTALL = 0x02,
    QMX2_OP_GET_MODULE_INFO = 0x03,
    QMX2_OP_SELECT_LANGUAGE = 0x04,
    QMX2_OP_CHECK_BUP_INFO = 0x05,
    QMX2_OP_DO_BIOS_UPDATE = 0x06,
    QMX2_OP_DO_BIOS_BACKUP = 0x07,
    QMX2_OP_DO_MICROCODE_UPDATE = 0x08,
    QMX2_OP_GENERIC = 0x3F,
};

enum : uint32_t {
    QMX2_REASON_INVALID_PARAMETERS = 0x01,
    QMX2_REASON_INTERNAL = 0x02,
    QMX2_REASON_MODULE_NOT_INSTALLED = 0x03,
    QMX2_REASON_INSUFFICIENT_PRIVILEGES = 0x04,
    QMX2_REASON_INVALID_FILE = 0x05,
    QMX2_REASON_INVALID_DIRECTORY = 0x06,
    QMX2_REASON_INVALID_PACKING_LIBRARY = 0x07,
    QMX2_REASON_FILE_NOT_FOUND = 0x08,
    QMX2_REASON_DEVICE_ACCESS_DENIED = 0x09,
    QMX2_REASON_UNSUPPORTED_OS = 0x0A,
    QMX2_REASON_NOT_IMPLEMENTED = 0x0B,
    QMX2_REASON_FORBIDDEN_ROLLBACK = 0x0C,
    QMX2_REASON_TXT_ENABLED = 0x0D,
    QMX2_REASON_INVALID_PASSWORD = 0x0E,
    QMX2_REASON_NO_EFI_PARTITION = 0x0F,
    QMX2_REASON_BOARD_NOT_SUPPORTED = 0x80,
    QMX2_REASON_OS_NOT_SUPPORTED = 0x81,
    QMX2_REASON_COULD_NOT_REMOVE_FILES = 0x82,
    QMX2_REASON_INSUFFICIENT_DISK_SPACE = 0x83,
};

constexpr uint32_t Qmx2Status(uint32_t severity, uint32_t operation, uint32_t reason,
                              uint32_t detail = 0) {
    return (severity << 30) | ((operation & 0x3F) << 24) | ((reason & 0xFF) << 16) | (detail & 0xFFFF);
}
constexpr uint32_t Qmx2Severity(uint32_t status) { return status >> 30; }
constexpr uint32_t Qmx2Operation(uint32_t status) { return (status >> 24) & 0x3F; }
constexpr uint32_t Qmx2Reason(uint32_t status) { return (status >> 16) & 0xFF; }
constexpr bool Qmx2Failed(uint32_t status) { return (status & 0xC0000000u) > 0x80000000u; }

// Names of the fields of a status code ("Error", "Install", "board not
// supported"); null for an operation or reason without a name.
inline const char* Qmx2SeverityText(uint32_t status) {
    static const char* const names[] = {"Success", "Info", "Warning", "Error"};
    return names[Qmx2Severity(status)];
}
inline const char* Qmx2OperationText(uint32_t status) {
    switch (Qmx2Operation(status)) {
    case QMX2_OP_INSTALL: return "Install";
    case QMX2_OP_UNINSTALL: return "Uninstall";
    case QMX2_OP_GET_MODULE_INFO: return "GetModuleInfo";
    case QMX2_OP_SELECT_LANGUAGE: return "SelectLanguage";
    case QMX2_OP_CHECK_BUP_INFO: return "CheckBupInfo";
    case QMX2_OP_DO_BIOS_UPDATE: return "DoBiosUpdate";
    case QMX2_OP_DO_BIOS_BACKUP: return "DoBiosBackup";
    case QMX2_OP_DO_MICROCODE_UPDATE: return "DoMicrocodeUpdate";
    case QMX2_OP_GENERIC: return "Generic";
    default: return nullptr;
    }
}
inline const char* Qmx2ReasonText(uint32_t status) {
    switch (Qmx2Reason(status)) {
    case QMX2_REASON_INVALID_PARAMETERS: return "invalid parameters";
    case QMX2_REASON_INTERNAL: return "internal";
    case QMX2_REASON_MODULE_NOT_INSTALLED: return "module not installed";
    case QMX2_REASON_INSUFFICIENT_PRIVILEGES: return "insufficient privileges";
    case QMX2_REASON_INVALID_FILE: return "invalid file";
    case QMX2_REASON_INVALID_DIRECTORY: return "invalid directory";
    case QMX2_REASON_INVALID_PACKING_LIBRARY: return "invalid packing library";
    case QMX2_REASON_FILE_NOT_FOUND: return "file not found";
    case QMX2_REASON_DEVICE_ACCESS_DENIED: return "device access denied";
    case QMX2_REASON_UNSUPPORTED_OS: return "unsupported operating system";
    case QMX2_REASON_NOT_IMPLEMENTED: return "not implemented";
    case QMX2_REASON_FORBIDDEN_ROLLBACK: return "forbidden rollback";
    case QMX2_REASON_TXT_ENABLED: return "txt enabled";
    case QMX2_REASON_INVALID_PASSWORD: return "invalid password";
    case QMX2_REASON_NO_EFI_PARTITION: return "no efi partition";
    case QMX2_REASON_BOARD_NOT_SUPPORTED: return "board not supported";
    case QMX2_REASON_OS_NOT_SUPPORTED: return "operating system not supported";
    case QMX2_REASON_COULD_NOT_REMOVE_FILES: return "could not remove files";
    case QMX2_REASON_INSUFFICIENT_DISK_SPACE: return "insufficient disk space";
    default: return nullptr;
    }
}

// ---- Call sequences -----------------------------------------------------
// A long operation is a series of calls: the kernel starts "iSeq" at 0 and
// the module advances it. These values end the series.
enum : int32_t {
    QMX2_SEQ_DONE = 10000,               // finished
    QMX2_SEQ_DONE_COLD_BOOT_FIRST = 10001,  // 10001-10005: finished, cold boot needed
    QMX2_SEQ_DONE_COLD_BOOT_LAST = 10005,
    QMX2_SEQ_DONE_PENDING_FIRST = 10006,    // 10006-10010: finished, operation pending
    QMX2_SEQ_DONE_PENDING_LAST = 10010,
    QMX2_SEQ_CANCELLED = -10000,         // ended without change
};

// ---- Entry points -------------------------------------------------------
extern "C" {
// Non-zero when the module is ready to be used.
uint16_t Init(void);
// In: install record. The reply is not read.
uint32_t QMX2_Install(std::string& json);
uint32_t QMX2_Uninstall(void);
// Out: module information (capabilities, BIOS identity). Passed in empty.
uint32_t QMX2_GetModuleInfo(std::string& json);
// Length of the module's text for a status code; copied when buffer is not null.
uint32_t QMX2_GetMessageText(uint32_t status, char* buffer);
// In: the bytes of a BupInfo2.xml document. Out: the verdict. Passed in empty.
uint32_t QMX2_CheckBupInfo(const uint8_t* data, uint32_t size, std::string& json);
// In and out: the update record. reserved is always null, reserved2 always 0.
uint32_t QMX2_DoBiosUpdate(std::string& json, void* reserved, int32_t reserved2);
uint32_t QMX2_DoConfigurationRestore(std::string& json, void* reserved, int32_t reserved2);
uint32_t QMX2_DoConfigurationBackup(std::string& json);
uint32_t QMX2_GetGenericModuleInfo(std::string& json);
uint32_t QMX2_DoMakeCombinedArchive(std::string& json);
}

typedef uint16_t (*PFN_QMX2_INIT)(void);
typedef uint32_t (*PFN_QMX2_INSTALL)(std::string&);
typedef uint32_t (*PFN_QMX2_UNINSTALL)(void);
typedef uint32_t (*PFN_QMX2_GET_MODULE_INFO)(std::string&);
typedef uint32_t (*PFN_QMX2_GET_MESSAGE_TEXT)(uint32_t, char*);
typedef uint32_t (*PFN_QMX2_CHECK_BUP_INFO)(const uint8_t*, uint32_t, std::string&);
typedef uint32_t (*PFN_QMX2_DO_BIOS_UPDATE)(std::string&, void*, int32_t);
typedef uint32_t (*PFN_QMX2_DO_CONFIGURATION_RESTORE)(std::string&, void*, int32_t);
typedef uint32_t (*PFN_QMX2_DO_CONFIGURATION_BACKUP)(std::string&);
typedef uint32_t (*PFN_QMX2_GET_GENERIC_MODULE_INFO)(std::string&);
typedef uint32_t (*PFN_QMX2_DO_MAKE_COMBINED_ARCHIVE)(std::string&);

// ---- Record keys --------------------------------------------------------
// Every key is present in every record that carries it; a record that travels
// both ways must come back with all its keys.
namespace qmx2key {
// Every long operation (update, restore, backup, generic info, combined archive)
constexpr const char iSeq[] = "iSeq";                    // int32
constexpr const char ulProgress[] = "ulProgress";        // uint32
constexpr const char ulDuration[] = "ulDuration";        // uint32
constexpr const char sPartInfo[] = "sPartInfo";
constexpr const char sStatusInfo[] = "sStatusInfo";
constexpr const char sFeedback[] = "sFeedback";
constexpr const char sSourcePath[] = "sSourcePath";
constexpr const char sNextFile[] = "sNextFile";
constexpr const char sPassword[] = "sPassword";
// UPD_NEXT_FILE_* names joined by " | ", in the order the kernel reads them:
// PREPARE_LOCALLY, NEWEST, COMMON_BUP, CUR_DIR, CUR_BUP, IGNORE_CASE. A name
// out of this order may be lost.
constexpr const char NextFileLoc[] = "NextFileLoc";
constexpr const char fForceCapsuleOnDisk[] = "fForceCapsuleOnDisk";
constexpr const char fForceCapsulePost[] = "fForceCapsulePost";
constexpr const char fForceRuntime[] = "fForceRuntime";
constexpr const char fBreakOnMeUpdateError[] = "fBreakOnMeUpdateError";
constexpr const char fExtendedStatus[] = "fExtendedStatus";

// Module information (QMX2_GetModuleInfo)
constexpr const char fBiosUpdate[] = "fBiosUpdate";
constexpr const char fBiosShutdownForUpdate[] = "fBiosShutdownForUpdate";
constexpr const char fConfigurationBackup[] = "fConfigurationBackup";
constexpr const char fConfigurationRestore[] = "fConfigurationRestore";
constexpr const char fProgressInfo[] = "fProgressInfo";
constexpr const char fDetailInfo[] = "fDetailInfo";
constexpr const char fListBupInfo[] = "fListBupInfo";
constexpr const char fGetGenericModuleInfo[] = "fGetGenericModuleInfo";
constexpr const char fUpdateLogo[] = "fUpdateLogo";
constexpr const char sBiosInfo[] = "sBiosInfo";          // active BIOS text
constexpr const char sBiosID[] = "sBiosID";
constexpr const char sSystemInfo[] = "sSystemInfo";      // the board's text
constexpr const char sMeFirmwareVersion[] = "sMeFirmwareVersion";
constexpr const char sSignOnInfo[] = "sSignOnInfo";
constexpr const char sBiosInterfaceVersion[] = "sBiosInterfaceVersion";
constexpr const char sCodeName[] = "sCodeName";
constexpr const char sBuildDate[] = "sBuildDate";

// OEM lock settings (OEM_SETTING_* names)
constexpr const char BiosReadLocked[] = "BiosReadLocked";
constexpr const char BiosWriteLocked[] = "BiosWriteLocked";
constexpr const char NvramReadLocked[] = "NvramReadLocked";
constexpr const char NvramWriteLocked[] = "NvramWriteLocked";
constexpr const char SmartCardProtection[] = "SmartCardProtection";

// Verdict on a package (QMX2_CheckBupInfo); also fBiosUpdate, sBiosInfo, sSystemInfo
constexpr const char fNvramUpdate[] = "fNvramUpdate";
constexpr const char fRebootForBiosUpdate[] = "fRebootForBiosUpdate";
constexpr const char fRebootForNvramUpdate[] = "fRebootForNvramUpdate";
constexpr const char fNvramCrossUpdateSupported[] = "fNvramCrossUpdateSupported";
constexpr const char LowestPowerState[] = "LowestPowerState";   // BUPINFO_POWER_* name
constexpr const char Usability[] = "Usability";                 // USABILITY_* name
constexpr const char Consistency[] = "Consistency";             // CONSISTENCY_* name
constexpr const char fDebugCodeArea[] = "fDebugCodeArea";
constexpr const char fLogoArea[] = "fLogoArea";
constexpr const char fSystemDataArea[] = "fSystemDataArea";
constexpr const char fPasswordArea[] = "fPasswordArea";
constexpr const char fSetupSettingsArea[] = "fSetupSettingsArea";
constexpr const char fBootOrderVariablesArea[] = "fBootOrderVariablesArea";
constexpr const char fSkipBiosCompare[] = "fSkipBiosCompare";
constexpr const char PowerStatesAfterBiosUpdate[] = "PowerStatesAfterBiosUpdate";
constexpr const char PowerStatesAfterNvramUpdate[] = "PowerStatesAfterNvramUpdate";

// Areas to write (QMX2_DoBiosUpdate, QMX2_DoConfigurationRestore)
constexpr const char BiosCodeArea[] = "BiosCodeArea";
constexpr const char SystemDataArea[] = "SystemDataArea";
constexpr const char SetupSettingsArea[] = "SetupSettingsArea";
constexpr const char LogoArea[] = "LogoArea";
constexpr const char PasswordArea[] = "PasswordArea";
constexpr const char BootOrderVariablesArea[] = "BootOrderVariablesArea";
constexpr const char ExplicitAreaMode[] = "ExplicitAreaMode";

// Backup and combined archive
constexpr const char sDestPath[] = "sDestPath";
constexpr const char sDestName[] = "sDestName";
constexpr const char DebugCodeArea[] = "DebugCodeArea";
constexpr const char sSourceBiosInput[] = "sSourceBiosInput";
constexpr const char sSourceConfigurationDataInput[] = "sSourceConfigurationDataInput";

// Install
constexpr const char sAppRegRoot[] = "sAppRegRoot";
constexpr const char sInstDir[] = "sInstDir";
constexpr const char sLogFile[] = "sLogFile";
constexpr const char sOemProfile[] = "sOemProfile";
constexpr const char fEventLog[] = "fEventLog";
constexpr const char fForceReboot[] = "fForceReboot";

// Generic module information: a JSON object of string items
constexpr const char MapItems[] = "MapItems";
constexpr const char ulCheckParametersOnly[] = "ulCheckParametersOnly";
constexpr const char sParameters[] = "sParameters";
}  // namespace qmx2key
