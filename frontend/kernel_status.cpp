#include "frontend/kernel_status.h"

#include <cstddef>
#include <cstring>

namespace {

using Info = CKrnl2Inter::BROADCASTINFO;

std::string BlockText(const Info& info, int32_t off) {
    constexpr int32_t kFirst = static_cast<int32_t>(offsetof(Info, szStrings));
    constexpr int32_t kEnd = static_cast<int32_t>(sizeof(Info));
    if (off < kFirst || off >= kEnd)
        return std::string();
    const char* psz = reinterpret_cast<const char*>(&info) + off;
    return std::string(psz, strnlen(psz, static_cast<size_t>(kEnd - off)));
}

}  // namespace

SKernelStatus SKernelStatus::FromBlock(const Info& info, int32_t pidKernel) {
    // The kernel may rewrite the block at any time; work on one copy of it.
    Info copy;
    std::memcpy(&copy, &info, sizeof copy);
    SKernelStatus status;
    status.nState = copy.eKernelState;
    status.pidSession = copy.pidClient;
    status.pidKernel = pidKernel;
    status.csActiveBios = BlockText(copy, copy.offActiveBios);
    status.csSystem = BlockText(copy, copy.offSystemInfo);
    status.csMeFirmware = BlockText(copy, copy.offMeFirmware);
    return status;
}

std::string SKernelStatus::StateWords() const {
    switch (nState) {
    case CKrnl2Inter::eQmKrnl2Init: return "initialising";
    case CKrnl2Inter::eQmKrnl2Ready: return "ready";
    case CKrnl2Inter::eQmKrnl2Busy: return "busy (session of process " + std::to_string(pidSession) + ")";
    case CKrnl2Inter::eQmKrnl2ErrNoHardwareModuleFound: return "no board module supports this machine";
    case CKrnl2Inter::eQmKrnl2ErrInsufficentPrivileges: return "insufficient privileges (run as root)";
    case CKrnl2Inter::eQmKrnl2ErrOperatingSystemNotSupported: return "operating system not supported";
    case CKrnl2Inter::eQmKrnl2ErrInvalidDirectory: return "invalid directory";
    default:
        if (nState < 0)
            return "the kernel reported an error state (" + std::to_string(nState) + ")";
        return "unknown state (" + std::to_string(nState) + ")";
    }
}

const char* SKernelStatus::StateName() const {
    switch (nState) {
    case CKrnl2Inter::eQmKrnl2Init: return "initialising";
    case CKrnl2Inter::eQmKrnl2Ready: return "ready";
    case CKrnl2Inter::eQmKrnl2Busy: return "busy";
    case CKrnl2Inter::eQmKrnl2ErrNoHardwareModuleFound: return "no_board_module";
    case CKrnl2Inter::eQmKrnl2ErrInsufficentPrivileges: return "insufficient_privileges";
    case CKrnl2Inter::eQmKrnl2ErrOperatingSystemNotSupported: return "os_not_supported";
    case CKrnl2Inter::eQmKrnl2ErrInvalidDirectory: return "invalid_directory";
    default: return nState < 0 ? "error" : "unknown";
    }
}
