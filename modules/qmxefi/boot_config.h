// The boot configuration: BootOrder, BootNext, Timeout and every Boot####
// of the global variable GUID, as one set of UEFI variables.
#pragma once

#include <string>
#include <vector>

#include "efivars.h"
#include "root_path.h"

namespace qmxefi {

// Suffix of the members that hold one variable in a configuration archive;
// the member is NAME-GUID plus this, its bytes those of the efivarfs file.
constexpr const char kMemberSuffix[] = ".efivar";

bool IsBootVariable(const std::string& name, const std::string& guid);

struct BootResult {
    int err = 0;       // 0, or the errno of the failure
    std::string why;   // for "sStatusInfo"
};

// Reads the boot variables present, entries first and BootNext last (the
// order a restore writes them in). Fails when efivars cannot be listed, a
// variable cannot be read or is shorter than its attributes, or none is there.
BootResult CaptureBootConfig(const RootPath& root, std::vector<EfiVariable>& out);

// Checks a set before anything is written: boot variables of the global GUID
// only, each once, not empty, attributes within non-volatile, boot and
// runtime access, BootOrder of whole entries, BootNext and Timeout of two bytes.
BootResult CheckBootConfig(const std::vector<EfiVariable>& vars);

// Puts the set into the order a restore writes it in.
void SortForRestore(std::vector<EfiVariable>& vars);

// Writes each variable of the set (checked first), in restore order; others
// are left alone. written counts those written, also on failure.
BootResult RestoreBootConfig(const RootPath& root, std::vector<EfiVariable> vars, size_t& written,
                             const FlagOps& ops = InodeFlagOps());

}  // namespace qmxefi
