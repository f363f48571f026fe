// Entry points of the UEFI board module.
//
// The kernel calls them from one thread, one at a time. No exception may
// leave an entry point: each one turns it into an "internal" error.

#include <cstring>
#include <string>

#include <nlohmann/json.hpp>

#include "bios_update.h"
#include "check_bup_info.h"
#include "configuration_backup.h"
#include "configuration_restore.h"
#include "dmi_identity.h"
#include "file_io.h"
#include "generic_info.h"
#include "json_text.h"
#include "message_text.h"
#include "quillmark/qmx2.h"
#include "root_path.h"
#include "status_codes.h"

#define QMXEFI_EXPORT __attribute__((visibility("default")))

namespace {

using nlohmann::json;
using qmxefi::Error;

struct Module {
    bool installed = false;
    qmxefi::RootPath root;  // fixed at install, so a later change of $QMXEFI_ROOT has no effect
} g_module;

template <class F>
uint32_t Guarded(uint32_t operation, F&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return Error(operation, QMX2_REASON_INTERNAL);
    }
}

template <class F>
uint32_t Installed(uint32_t operation, F&& body) noexcept {
    return Guarded(operation, [&]() -> uint32_t {
        if (!g_module.installed) return Error(operation, QMX2_REASON_MODULE_NOT_INSTALLED);
        return body();
    });
}

json ModuleInfo(const qmxefi::Identity& id) {
    json info = json::object();
    info[qmx2key::fBiosUpdate] = true;
    info[qmx2key::fBiosShutdownForUpdate] = false;
    info[qmx2key::fConfigurationBackup] = true;
    info[qmx2key::fConfigurationRestore] = true;
    info[qmx2key::fProgressInfo] = true;
    info[qmx2key::fDetailInfo] = false;
    info[qmx2key::fListBupInfo] = false;
    info[qmx2key::fGetGenericModuleInfo] = true;
    info[qmx2key::fUpdateLogo] = false;
    info[qmx2key::sBiosInfo] = id.bios_version;
    info[qmx2key::sBiosID] = id.bios_version;
    info[qmx2key::sSystemInfo] = qmxefi::SystemName(id);
    info[qmx2key::sMeFirmwareVersion] = id.me_firmware_version;
    std::string sign_on = id.board_vendor;
    if (!id.product_name.empty()) sign_on += (sign_on.empty() ? "" : " ") + id.product_name;
    info[qmx2key::sSignOnInfo] = sign_on;
    info[qmx2key::sBiosInterfaceVersion] = "UEFI";
    info[qmx2key::sCodeName] = id.product_name;
    info[qmx2key::sBuildDate] = id.bios_date;
    return info;
}

}  // namespace

extern "C" {

QMXEFI_EXPORT uint16_t Init(void) { return 1; }

// Machines without UEFI refuse, so the kernel's search goes on as before.
QMXEFI_EXPORT uint32_t QMX2_Install(std::string& request) {
    return Guarded(QMX2_OP_INSTALL, [&]() -> uint32_t {
        g_module.installed = false;
        if (!json::parse(request, nullptr, false).is_object())
            return Error(QMX2_OP_INSTALL, QMX2_REASON_INVALID_PARAMETERS);
        qmxefi::RootPath root(qmxefi::RootFromEnvironment());
        if (!qmxefi::IsDirectory(root("sys/firmware/efi")))
            return Error(QMX2_OP_INSTALL, QMX2_REASON_BOARD_NOT_SUPPORTED);
        g_module.root = root;
        g_module.installed = true;
        return 0;
    });
}

QMXEFI_EXPORT uint32_t QMX2_Uninstall(void) {
    if (!g_module.installed) return Error(QMX2_OP_UNINSTALL, QMX2_REASON_MODULE_NOT_INSTALLED);
    g_module.installed = false;
    return 0;
}

// Read afresh: the BIOS version changes across an update and a restart.
QMXEFI_EXPORT uint32_t QMX2_GetModuleInfo(std::string& reply) {
    return Installed(QMX2_OP_GET_MODULE_INFO, [&]() -> uint32_t {
        reply = qmxefi::JsonText(ModuleInfo(qmxefi::ReadIdentity(g_module.root)));
        return 0;
    });
}

// Returns the text length without the terminating null; a buffer that is
// not null receives the text and a null, so it must hold length + 1 bytes.
QMXEFI_EXPORT uint32_t QMX2_GetMessageText(uint32_t status, char* buffer) {
    try {
        const std::string text = qmxefi::MessageText(status);
        if (buffer) std::memcpy(buffer, text.c_str(), text.size() + 1);
        return static_cast<uint32_t>(text.size());
    } catch (...) {
        return 0;
    }
}

QMXEFI_EXPORT uint32_t QMX2_CheckBupInfo(const uint8_t* data, uint32_t size, std::string& reply) {
    return Guarded(QMX2_OP_CHECK_BUP_INFO, [&]() -> uint32_t {
        // Every refusal still answers with a whole verdict.
        reply = qmxefi::RefusedVerdictText();
        if (!g_module.installed) return Error(QMX2_OP_CHECK_BUP_INFO, QMX2_REASON_MODULE_NOT_INSTALLED);
        if (!data && size != 0) return Error(QMX2_OP_CHECK_BUP_INFO, QMX2_REASON_INVALID_PARAMETERS);
        return qmxefi::CheckPackage(qmxefi::ReadIdentity(g_module.root), data, size, reply);
    });
}

QMXEFI_EXPORT uint32_t QMX2_DoBiosUpdate(std::string& record, void* /*reserved*/, int32_t /*reserved2*/) {
    return Installed(QMX2_OP_DO_BIOS_UPDATE, [&] { return qmxefi::BiosUpdateStep(g_module.root, record); });
}

QMXEFI_EXPORT uint32_t QMX2_DoConfigurationRestore(std::string& record, void* /*reserved*/, int32_t /*reserved2*/) {
    return Installed(QMX2_OP_GENERIC, [&] { return qmxefi::ConfigurationRestoreStep(g_module.root, record); });
}

QMXEFI_EXPORT uint32_t QMX2_DoConfigurationBackup(std::string& record) {
    return Installed(QMX2_OP_GENERIC, [&] { return qmxefi::ConfigurationBackupStep(g_module.root, record); });
}

QMXEFI_EXPORT uint32_t QMX2_GetGenericModuleInfo(std::string& record) {
    return Installed(QMX2_OP_GENERIC, [&]() -> uint32_t {
        const uint32_t reason =
            qmxefi::GenericInfoAnswer(g_module.root, qmxefi::ReadIdentity(g_module.root), record);
        return reason ? Error(QMX2_OP_GENERIC, reason) : 0;
    });
}

// A capsule is signed as a whole by its vendor: configuration data cannot
// be merged into it, so there is no combined package on this board.
QMXEFI_EXPORT uint32_t QMX2_DoMakeCombinedArchive(std::string& /*record*/) {
    return Error(QMX2_OP_GENERIC, QMX2_REASON_NOT_IMPLEMENTED);
}

}  // extern "C"
