// Status codes the kernel makes itself, beside those modules return.
#pragma once

#include <cstdint>

#include "quillmark/qmx2.h"

// Codes the binding makes itself when a module cannot be prepared or lacks the entry point.
enum : uint32_t {
    QMX2_E_INSTALL_NOT_PREPARED = 0xC1020000,
    QMX2_E_UNINSTALL_NOT_PREPARED = 0xC2020000,
    QMX2_E_GET_MODULE_INFO_NOT_PREPARED = 0xC3020000,
    QMX2_E_CHECK_BUP_INFO_NOT_PREPARED = 0xC5020000,
    QMX2_E_DO_BIOS_UPDATE_NOT_PREPARED = 0xC6020000,
    QMX2_E_GET_GENERIC_MODULE_INFO_NOT_PREPARED = 0xC6020000,
    QMX2_E_DO_CONFIGURATION_BACKUP_NOT_PREPARED = 0xCE020000,
    QMX2_E_DO_CONFIGURATION_RESTORE_NOT_PREPARED = 0xCF020000,
    QMX2_E_DO_MAKE_COMBINED_ARCHIVE_NOT_PREPARED = 0xD0020000,
    // Search results of the module discovery.
    QMX2_E_MODULE_NOT_INSTALLED = 0xC1030000,
    QMX2_E_BOARD_NOT_SUPPORTED = 0xC1800000,
    // A backup whose archive could not be written.
    QMX2_E_ARCHIVE_NOT_WRITTEN = 0xCE050000,
};
