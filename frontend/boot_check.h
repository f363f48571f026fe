// quillmark boot-check: after the restart that follows a BIOS update, the boot
// configuration the board module saved before it handed the capsule over
// (a pending file) is compared with the live UEFI variables, and what the
// firmware reset, reordered or removed is written back. Runs once at boot
// from quillmark-boot-check.service; every path is below the root given
// ($QMXEFI_ROOT, else "/"), so tests run it on a fake tree.
#pragma once

#include <string>
#include <vector>

struct SBootCheck {
    bool fPending = false;               // there was a pending file
    std::vector<std::string> restored;   // variables written back, in order
    std::vector<std::string> unchanged;  // variables the firmware left as they were
    std::string csBiosExpected;          // the version the update was to bring
    std::string csBiosNow;               // DMI bios_version now
};

// The pending file, below the root.
constexpr const char kBootPendingFile[] = "var/lib/quillmark/boot-pending.json";

// Compares, writes back and removes the pending file. Throws CFrontendError
// (eExitJobError) for a pending file it cannot read or a variable it cannot
// write; the pending file then stays for the next try.
SBootCheck BootCheckRun(const std::string& csRoot);
// One line for people and for the system log.
std::string BootCheckText(const SBootCheck& result);
