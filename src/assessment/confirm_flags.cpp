#include "assessment/confirm_flags.h"

const char* CConfirmFlags::ToString(CString& out) const {
    // Each text brings its own separator; the first one has none.
    static const struct {
        uint32_t dwBit;
        const char* pszText;
    } texts[] = {
        {BiosOverwrite, "BiosOverwrite/FileOverwrite"},
        {BootForUpdate, "BootForUpdate "},
        {BootAfterUpdate, "BootAfterUpdate "},
        {BupInconsistency, "BupInconsistency "},
        {FileOverwrite, "FileOverwrite "},
        {FullUpdate, "FullUpdate "},
        {IgnoreAc, "IgnoreAc "},
        {WarnDialog, "WarnDialog "},
    };
    out.Empty();
    for (const auto& t : texts)
        if (Test(t.dwBit))
            out += t.pszText;
    return out;
}

const char* CUsageFlags::AreasToString(CString& out) const {
    out.Empty();
    if (Test(BiosUpdate))
        out += "BIOS, ";
    // Setup settings are the precise form of an NVRAM update; name only one.
    if (Test(SetupSettingsArea))
        out += "Setup Settings, ";
    else if (Test(NvramUpdate))
        out += "NVRAM, ";
    if (Test(LogoArea))
        out += "Logo, ";
    if (Test(SystemDataArea))
        out += "System Data, ";
    if (Test(PasswordArea))
        out += "Passwords, ";
    if (Test(BootOrderVariablesArea))
        out += "BOOT Order Variables, ";
    if (Test(DebugCodeArea))
        out += "Debug Code, ";
    out.TrimRight(", ");
    return out;
}
