// The configuration restore (QMX2_DoConfigurationRestore): the boot
// variables of a configuration archive written back through efivarfs.
#pragma once

#include <cstdint>
#include <string>

#include "efivars.h"
#include "root_path.h"

namespace qmxefi {

// Answers one call of the series in place; returns 0 or the status code.
uint32_t ConfigurationRestoreStep(const RootPath& root, std::string& record, const FlagOps& ops = InodeFlagOps());

}  // namespace qmxefi
