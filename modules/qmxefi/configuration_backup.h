// The configuration backup (QMX2_DoConfigurationBackup): the boot variables
// written as members of the configuration archive, with its description.
#pragma once

#include <cstdint>
#include <string>

#include "root_path.h"

namespace qmxefi {

// Answers one call of the series in place; returns 0 or the status code.
uint32_t ConfigurationBackupStep(const RootPath& root, std::string& record);

}  // namespace qmxefi
