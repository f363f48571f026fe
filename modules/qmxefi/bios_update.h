// The BIOS update (QMX2_DoBiosUpdate): the package's capsule checked, the
// boot configuration saved to the pending file, the capsule handed to the
// kernel's capsule loader, and a cold boot asked for.
#pragma once

#include <cstdint>
#include <string>

#include "capsule_loader.h"
#include "root_path.h"

namespace qmxefi {

// Answers one call of the series in place; returns 0 or the status code.
// wait_ms: how long a loader that takes nothing is waited for.
uint32_t BiosUpdateStep(const RootPath& root, std::string& record, int wait_ms = 10000,
                        const LoaderOps& ops = SystemLoaderOps());

}  // namespace qmxefi
