// CConfirmFlags and CUsageFlags: the two bit sets of an assessment.
#pragma once

#include <cstdint>

#include "support/string_type.h"

// Confirmations a job on a candidate file needs (or the user gave).
class CConfirmFlags {
public:
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

    CConfirmFlags() = default;
    explicit CConfirmFlags(uint32_t dwFlags) : m_dwFlags(dwFlags) {}

    uint32_t Value() const { return m_dwFlags; }
    bool IsEmpty() const { return m_dwFlags == 0; }
    // True when any bit of the mask is set.
    bool Test(uint32_t dwMask) const { return (m_dwFlags & dwMask) != 0; }
    void Set(uint32_t dwMask) { m_dwFlags |= dwMask; }
    void Reset(uint32_t dwMask) { m_dwFlags &= ~dwMask; }
    void Set(uint32_t dwMask, bool fOn) { fOn ? Set(dwMask) : Reset(dwMask); }
    void Clear() { m_dwFlags = 0; }
    // This set without the bits of another (confirmations still missing).
    CConfirmFlags Without(const CConfirmFlags& other) const {
        return CConfirmFlags(m_dwFlags & ~other.m_dwFlags);
    }

    // The texts of the set bits run together; returns out's text.
    const char* ToString(CString& out) const;

    bool operator==(const CConfirmFlags& o) const { return m_dwFlags == o.m_dwFlags; }
    bool operator!=(const CConfirmFlags& o) const { return m_dwFlags != o.m_dwFlags; }

private:
    uint32_t m_dwFlags = 0;
};

// The BIOS areas a package can update.
class CUsageFlags {
public:
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

    CUsageFlags() = default;
    explicit CUsageFlags(uint32_t dwFlags) : m_dwFlags(dwFlags) {}

    uint32_t Value() const { return m_dwFlags; }
    bool IsEmpty() const { return m_dwFlags == 0; }
    bool Test(uint32_t dwMask) const { return (m_dwFlags & dwMask) != 0; }
    void Set(uint32_t dwMask) { m_dwFlags |= dwMask; }
    void Reset(uint32_t dwMask) { m_dwFlags &= ~dwMask; }
    void Set(uint32_t dwMask, bool fOn) { fOn ? Set(dwMask) : Reset(dwMask); }
    void Clear() { m_dwFlags = 0; }

    // "BIOS, Setup Settings, Logo" style list of the areas; returns out's text.
    const char* AreasToString(CString& out) const;

    bool operator==(const CUsageFlags& o) const { return m_dwFlags == o.m_dwFlags; }
    bool operator!=(const CUsageFlags& o) const { return m_dwFlags != o.m_dwFlags; }

private:
    uint32_t m_dwFlags = 0;
};
