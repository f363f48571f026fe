#include "message_text.h"

#include <cstdio>

#include "quillmark/qmx2.h"

namespace qmxsim {
namespace {

struct Name {
    uint32_t value;
    const char* text;
};

constexpr Name kSeverities[] = {
    {QMX2_SEV_SUCCESS, "Success"},
    {QMX2_SEV_INFO, "Info"},
    {QMX2_SEV_WARNING, "Warning"},
    {QMX2_SEV_ERROR, "Error"},
};

constexpr Name kOperations[] = {
    {QMX2_OP_INSTALL, "Install"},
    {QMX2_OP_UNINSTALL, "Uninstall"},
    {QMX2_OP_GET_MODULE_INFO, "GetModuleInfo"},
    {QMX2_OP_SELECT_LANGUAGE, "SelectLanguage"},
    {QMX2_OP_CHECK_BUP_INFO, "CheckBupInfo"},
    {QMX2_OP_DO_BIOS_UPDATE, "DoBiosUpdate"},
    {QMX2_OP_DO_BIOS_BACKUP, "DoBiosBackup"},
    {QMX2_OP_DO_MICROCODE_UPDATE, "DoMicrocodeUpdate"},
    {QMX2_OP_GENERIC, "Generic"},
};

constexpr Name kReasons[] = {
    {QMX2_REASON_INVALID_PARAMETERS, "invalid parameters"},
    {QMX2_REASON_INTERNAL, "internal"},
    {QMX2_REASON_MODULE_NOT_INSTALLED, "module not installed"},
    {QMX2_REASON_INSUFFICIENT_PRIVILEGES, "insufficient privileges"},
    {QMX2_REASON_INVALID_FILE, "invalid file"},
    {QMX2_REASON_INVALID_DIRECTORY, "invalid directory"},
    {QMX2_REASON_INVALID_PACKING_LIBRARY, "invalid packing library"},
    {QMX2_REASON_FILE_NOT_FOUND, "file not found"},
    {QMX2_REASON_DEVICE_ACCESS_DENIED, "device access denied"},
    {QMX2_REASON_UNSUPPORTED_OS, "unsupported operating system"},
    {QMX2_REASON_NOT_IMPLEMENTED, "not implemented"},
    {QMX2_REASON_FORBIDDEN_ROLLBACK, "forbidden rollback"},
    {QMX2_REASON_TXT_ENABLED, "txt enabled"},
    {QMX2_REASON_INVALID_PASSWORD, "invalid password"},
    {QMX2_REASON_NO_EFI_PARTITION, "no efi partition"},
    {QMX2_REASON_BOARD_NOT_SUPPORTED, "board not supported"},
    {QMX2_REASON_OS_NOT_SUPPORTED, "operating system not supported"},
    {QMX2_REASON_COULD_NOT_REMOVE_FILES, "could not remove files"},
    {QMX2_REASON_INSUFFICIENT_DISK_SPACE, "insufficient disk space"},
};

template <size_t N>
std::string Lookup(const Name (&table)[N], uint32_t value, const char* what) {
    for (const Name& n : table)
        if (n.value == value) return n.text;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s 0x%02X", what, static_cast<unsigned>(value));
    return buf;
}

}  // namespace

std::string MessageText(uint32_t status) {
    if (status == 0) return "Success";
    std::string text = Lookup(kSeverities, Qmx2Severity(status), "severity") + ", " +
                       Lookup(kOperations, Qmx2Operation(status), "operation") + ", " +
                       Lookup(kReasons, Qmx2Reason(status), "reason");
    if (uint32_t detail = status & 0xFFFF) {
        char buf[24];
        std::snprintf(buf, sizeof buf, " (detail 0x%04X)", static_cast<unsigned>(detail));
        text += buf;
    }
    return text;
}

}  // namespace qmxsim
