// The module's status codes: qmx2.h's layout, severity error, with a module
// detail for the conditions the front-end should name (README.md).
#pragma once

#include <cstdint>

#include "quillmark/qmx2.h"

namespace qmxefi {

enum : uint32_t {
    kDetailNone = 0,
    kDetailOnBattery = 0x0001,         // the machine runs on battery
    kDetailNoCapsuleLoader = 0x0002,   // dev/efi_capsule_loader is missing
    kDetailLoaderRefused = 0x0003,     // the loader failed on open, write or close
    kDetailBadCapsule = 0x0004,        // the image is no consistent capsule
    kDetailBootConfig = 0x0005,        // boot variables could not be read or written
    kDetailAreaNotSupported = 0x0006,  // an area this board does not serve
};

constexpr uint32_t Error(uint32_t operation, uint32_t reason, uint32_t detail = kDetailNone) {
    return Qmx2Status(QMX2_SEV_ERROR, operation, reason, detail);
}

}  // namespace qmxefi
