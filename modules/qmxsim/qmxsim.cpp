// Entry points of the simulated board module.
//
// The kernel calls them from one thread, one at a time. No exception may
// leave an entry point: each one turns it into an "internal" error.

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <utility>

#include <nlohmann/json.hpp>

#include "bios_update.h"
#include "check_bup_info.h"
#include "combined_archive.h"
#include "configuration_backup.h"
#include "configuration_restore.h"
#include "crash_point.h"
#include "state_commit.h"
#include "generic_info.h"
#include "message_text.h"
#include "quillmark/qmx2.h"
#include "state.h"

// Only the entry points leave the object; everything else is built hidden.
#define QMXSIM_EXPORT __attribute__((visibility("default")))

namespace {

using nlohmann::json;
using qmxsim::BoardState;
using qmxsim::LoadResult;

struct Module {
    bool installed = false;
    std::string state_dir;  // fixed at install, so a later change of $QMXSIM_STATE has no effect
} g_module;

constexpr uint32_t Error(uint32_t operation, uint32_t reason) {
    return Qmx2Status(QMX2_SEV_ERROR, operation, reason);
}

template <class F>
uint32_t Guarded(uint32_t operation, F&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return Error(operation, QMX2_REASON_INTERNAL);
    }
}

// The reason for a state that cannot be loaded.
uint32_t LoadFailure(LoadResult r) {
    return r == LoadResult::kNoDirectory ? QMX2_REASON_BOARD_NOT_SUPPORTED : QMX2_REASON_INVALID_FILE;
}

// The state read afresh from dir (the board may change between calls), then
// the step, which answers 0 or a reason.
template <class Step>
uint32_t WithBoard(uint32_t operation, const std::string& dir, Step&& step) {
    return Guarded(operation, [&]() -> uint32_t {
        BoardState board;
        LoadResult r = qmxsim::LoadBoard(dir, board);
        if (r != LoadResult::kOk) return Error(operation, LoadFailure(r));
        const uint32_t reason = step(board);
        return reason == 0 ? 0 : Error(operation, reason);
    });
}

// The entry points that work on the installed board.
template <class Step>
uint32_t OnBoard(uint32_t operation, Step&& step) {
    if (!g_module.installed) return Error(operation, QMX2_REASON_MODULE_NOT_INSTALLED);
    return WithBoard(operation, g_module.state_dir, std::forward<Step>(step));
}

json ModuleInfo(const BoardState& b) {
    json info = json::object();
    for (const auto& [key, flag] : qmxsim::kCapabilityFields) info[key] = b.capabilities.*flag;
    info[qmx2key::sBiosInfo] = b.bios_version;
    info[qmx2key::sBiosID] = b.bios_id;
    info[qmx2key::sSystemInfo] = b.board;
    info[qmx2key::sMeFirmwareVersion] = b.me_firmware_version;
    info[qmx2key::sSignOnInfo] = b.sign_on;
    info[qmx2key::sBiosInterfaceVersion] = b.bios_interface_version;
    info[qmx2key::sCodeName] = b.code_name;
    info[qmx2key::sBuildDate] = b.bios_build_date;
    return info;
}

}  // namespace

extern "C" {

QMXSIM_EXPORT uint16_t Init(void) {
    return 1;
}

// Refuses unless the state directory describes a board this process may drive.
QMXSIM_EXPORT uint32_t QMX2_Install(std::string& request) {
    return Guarded(QMX2_OP_INSTALL, [&]() -> uint32_t {
        g_module.installed = false;
        if (!json::parse(request, nullptr, false).is_object())
            return Error(QMX2_OP_INSTALL, QMX2_REASON_INVALID_PARAMETERS);

        std::string dir = qmxsim::StateDirectory();
        qmxsim::CrashCountReset();
        // What an interrupted job left is finished or removed before anything is read.
        struct stat st {};
        if (::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && qmxsim::StateRecover(dir) != 0)
            return Error(QMX2_OP_INSTALL, QMX2_REASON_INVALID_FILE);
        BoardState board;
        LoadResult r = qmxsim::LoadBoard(dir, board);
        if (r != LoadResult::kOk) return Error(QMX2_OP_INSTALL, LoadFailure(r));
        // A board whose flash does not hold the version it records would report a BIOS it has not.
        if (!qmxsim::StateDamage(dir).empty()) return Error(QMX2_OP_INSTALL, QMX2_REASON_INVALID_FILE);
        if (board.faults.install_refuse_reason != 0)
            return Error(QMX2_OP_INSTALL, board.faults.install_refuse_reason);
        if (board.require_root && ::geteuid() != 0)
            return Error(QMX2_OP_INSTALL, QMX2_REASON_INSUFFICIENT_PRIVILEGES);

        g_module.state_dir = dir;
        g_module.installed = true;
        return 0;
    });
}

QMXSIM_EXPORT uint32_t QMX2_Uninstall(void) {
    if (!g_module.installed) return Error(QMX2_OP_UNINSTALL, QMX2_REASON_MODULE_NOT_INSTALLED);
    g_module.installed = false;
    return 0;
}

// Reads the state afresh: another process may have changed the board since install.
QMXSIM_EXPORT uint32_t QMX2_GetModuleInfo(std::string& reply) {
    return Guarded(QMX2_OP_GET_MODULE_INFO, [&]() -> uint32_t {
        if (!g_module.installed) return Error(QMX2_OP_GET_MODULE_INFO, QMX2_REASON_MODULE_NOT_INSTALLED);
        BoardState board;
        LoadResult r = qmxsim::LoadBoard(g_module.state_dir, board);
        if (r != LoadResult::kOk) return Error(QMX2_OP_GET_MODULE_INFO, LoadFailure(r));
        reply = ModuleInfo(board).dump(4);
        return 0;
    });
}

// Returns the text length without the terminating null; when buffer is not
// null it receives the text and a null, so it must hold length + 1 bytes.
QMXSIM_EXPORT uint32_t QMX2_GetMessageText(uint32_t status, char* buffer) {
    try {
        std::string text = qmxsim::MessageText(status);
        if (buffer) std::memcpy(buffer, text.c_str(), text.size() + 1);
        return static_cast<uint32_t>(text.size());
    } catch (...) {
        return 0;
    }
}

// The board is read afresh, as its BIOS version may have changed since install.
QMXSIM_EXPORT uint32_t QMX2_CheckBupInfo(const uint8_t* data, uint32_t size, std::string& reply) {
    return Guarded(QMX2_OP_CHECK_BUP_INFO, [&]() -> uint32_t {
        // Every refusal still answers with a whole verdict.
        reply = qmxsim::RefusedVerdictText();
        if (!g_module.installed) return Error(QMX2_OP_CHECK_BUP_INFO, QMX2_REASON_MODULE_NOT_INSTALLED);
        if (!data && size != 0) return Error(QMX2_OP_CHECK_BUP_INFO, QMX2_REASON_INVALID_PARAMETERS);
        BoardState board;
        LoadResult r = qmxsim::LoadBoard(g_module.state_dir, board);
        if (r != LoadResult::kOk) return Error(QMX2_OP_CHECK_BUP_INFO, LoadFailure(r));
        if (board.faults.check_refuse_reason != 0)
            return Error(QMX2_OP_CHECK_BUP_INFO, board.faults.check_refuse_reason);
        return qmxsim::CheckPackage(board, data, size, reply);
    });
}

// The operations below travel both ways; leaving the request text as it came
// returns every key unchanged.

QMXSIM_EXPORT uint32_t QMX2_DoBiosUpdate(std::string& record, void* /*reserved*/, int32_t /*reserved2*/) {
    return OnBoard(QMX2_OP_DO_BIOS_UPDATE, [&](const BoardState& board) -> uint32_t {
        if (board.require_root && ::geteuid() != 0) return QMX2_REASON_INSUFFICIENT_PRIVILEGES;
        if (!board.capabilities.fBiosUpdate) return QMX2_REASON_NOT_IMPLEMENTED;
        return qmxsim::BiosUpdateStep(board, g_module.state_dir, record);
    });
}

QMXSIM_EXPORT uint32_t QMX2_DoConfigurationRestore(std::string& record, void* /*reserved*/,
                                                   int32_t /*reserved2*/) {
    return OnBoard(QMX2_OP_GENERIC, [&](const BoardState& board) -> uint32_t {
        if (board.require_root && ::geteuid() != 0) return QMX2_REASON_INSUFFICIENT_PRIVILEGES;
        if (!board.capabilities.fConfigurationRestore) return QMX2_REASON_NOT_IMPLEMENTED;
        return qmxsim::ConfigurationRestoreStep(board, g_module.state_dir, record);
    });
}

QMXSIM_EXPORT uint32_t QMX2_DoConfigurationBackup(std::string& record) {
    return OnBoard(QMX2_OP_GENERIC, [&](const BoardState& board) -> uint32_t {
        if (board.require_root && ::geteuid() != 0) return QMX2_REASON_INSUFFICIENT_PRIVILEGES;
        if (!board.capabilities.fConfigurationBackup) return QMX2_REASON_NOT_IMPLEMENTED;
        return qmxsim::ConfigurationBackupStep(board, g_module.state_dir, record);
    });
}

QMXSIM_EXPORT uint32_t QMX2_GetGenericModuleInfo(std::string& record) {
    return OnBoard(QMX2_OP_GENERIC,
                   [&](const BoardState& board) -> uint32_t { return qmxsim::GenericInfoAnswer(board, record); });
}

// The kernel asks for a combined package without installing the module, so
// the state directory is found here as at install.
QMXSIM_EXPORT uint32_t QMX2_DoMakeCombinedArchive(std::string& record) {
    const std::string dir = g_module.installed ? g_module.state_dir : qmxsim::StateDirectory();
    return WithBoard(QMX2_OP_GENERIC, dir, [&](const BoardState& board) -> uint32_t {
        if (board.require_root && ::geteuid() != 0) return QMX2_REASON_INSUFFICIENT_PRIVILEGES;
        return qmxsim::MakeCombinedArchive(board, record);
    });
}

}  // extern "C"
