#include "message_text.h"

#include <cstdio>

#include "quillmark/qmx2.h"
#include "status_codes.h"

namespace qmxefi {

namespace {

std::string Named(const char* text, const char* what, uint32_t value) {
    if (text) return text;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%s 0x%02X", what, static_cast<unsigned>(value));
    return buf;
}

const char* DetailText(uint32_t detail) {
    switch (detail) {
    case kDetailOnBattery: return "the machine runs on battery power; connect it to mains power";
    case kDetailNoCapsuleLoader: return "the kernel offers no capsule loader (dev/efi_capsule_loader)";
    case kDetailLoaderRefused: return "the capsule loader did not take the capsule";
    case kDetailBadCapsule: return "the BIOS image is no consistent UEFI capsule";
    case kDetailBootConfig: return "the boot variables could not be read or written";
    case kDetailAreaNotSupported: return "this area is not supported on this board";
    default: return nullptr;
    }
}

}  // namespace

std::string MessageText(uint32_t status) {
    if (status == 0) return "Success";
    std::string text = std::string(Qmx2SeverityText(status)) + ", " +
                       Named(Qmx2OperationText(status), "operation", Qmx2Operation(status)) + ", " +
                       Named(Qmx2ReasonText(status), "reason", Qmx2Reason(status));
    if (const uint32_t detail = status & 0xFFFF) {
        if (const char* known = DetailText(detail)) {
            text += std::string(": ") + known;
        } else {
            char buf[24];
            std::snprintf(buf, sizeof buf, " (detail 0x%04X)", static_cast<unsigned>(detail));
            text += buf;
        }
    }
    return text;
}

}  // namespace qmxefi
