// CConfirmFlags and CUsageFlags: the two bit sets of an assessment.
#pragma once

#include <cstdint>

#include "support/flag_set.h"
#include "support/string_type.h"

// Confirmations a job on a candidate file needs (or the user gave).
class CConfirmFlags : public CFlagSet<CConfirmFlags> {
public:
    using CFlagSet::CFlagSet;
    enum E_FLAG : uint32_t {
        BiosOverwrite = 0x01,  // package BIOS equal to or older than the installed one
        BootForUpdate = 0x02,
        BootAfterUpdate = 0x04,
        BupInconsistency = 0x08,  // incomplete package, valid only by the user's choice
        FileOverwrite = 0x10,
        FullUpdate = 0x20,
        IgnoreAc = 0x40,
        WarnDialog = 0x80,
    };

    // The texts of the set bits run together; returns out's text.
    const char* ToString(CString& out) const;
};

// The BIOS areas a package can update.
class CUsageFlags : public CFlagSet<CUsageFlags> {
public:
    using CFlagSet::CFlagSet;
    enum E_FLAG : uint32_t {
        BiosUpdate = 0x001,
        NvramUpdate = 0x002,
        NvramCrossUpdateSupported = 0x004,
        DebugCodeArea = 0x008,
        LogoArea = 0x010,
        SystemDataArea = 0x020,
        SetupSettingsArea = 0x040,
        BootOrderVariablesArea = 0x080,
        PasswordArea = 0x100,
    };

    // "BIOS, Setup Settings, Logo" style list of the areas; returns out's text.
    const char* AreasToString(CString& out) const;
};
