#include "extension/qmx2_status.h"

#include <cstdio>

const char* Qmx2SeverityName(uint32_t status) {
    static const char* const names[] = {"Success, ", "Info, ", "Warning, ", "Error, "};
    return names[Qmx2Severity(status)];
}

const char* Qmx2OperationName(uint32_t status) {
    switch (Qmx2Operation(status)) {
    case QMX2_OP_INSTALL: return "Install, ";
    case QMX2_OP_UNINSTALL: return "Uninstall, ";
    case QMX2_OP_GET_MODULE_INFO: return "GetModuleInfo, ";
    case QMX2_OP_SELECT_LANGUAGE: return "SelectLanguage, ";
    case QMX2_OP_CHECK_BUP_INFO: return "CheckBupInfo, ";
    case QMX2_OP_DO_BIOS_UPDATE: return "DoBiosUpdate, ";
    case QMX2_OP_DO_BIOS_BACKUP: return "DoBiosBackup, ";
    case QMX2_OP_DO_MICROCODE_UPDATE: return "DoMicrocodeUpdate, ";
    case QMX2_OP_GENERIC: return "Generic, ";
    default: return "Unknown, ";
    }
}

const char* Qmx2ReasonName(uint32_t status) {
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
    default: return "Unknown, ";
    }
}

std::string Qmx2StatusText(uint32_t status) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%8.8X", status);
    return std::string(Qmx2SeverityName(status)) + Qmx2OperationName(status) + Qmx2ReasonName(status) +
           " (" + code + ")";
}
