// The small enumerations a module record carries as text (enumerator names).
#pragma once

#include <cstdint>
#include <string>

// The verdict's scales belong to the assessment model; records carry them too.
#include "assessment/bup_verdict.h"

// Lock state of one OEM setting.
class COemSetting {
public:
    enum eOemSetting : int32_t {
        OEM_SETTING_UNKNOWN = 0,
        OEM_SETTING_DISABLED = 1,
        OEM_SETTING_ENABLED = 2,
        OEM_SETTING_NOT_RELEVANT = 3,
    };

    COemSetting() = default;
    COemSetting(eOemSetting e) : m_value(e) {}
    COemSetting& operator=(eOemSetting e) { m_value = e; return *this; }
    operator eOemSetting() const { return m_value; }

    void init() { m_value = OEM_SETTING_UNKNOWN; }
    void clear() { init(); }
    std::string ToString() const;
    // An unknown name reads as OEM_SETTING_UNKNOWN.
    void FromString(const std::string& s);

private:
    eOemSetting m_value = OEM_SETTING_UNKNOWN;
};

// A set of system power states; only the single states, none and all have a name.
class CPowerState {
public:
    enum e_powerstates : int32_t {
        BUPINFO_POWER_INVALID = 0,
        BUPINFO_POWER_S0 = 0x01,
        BUPINFO_POWER_S1 = 0x02,
        BUPINFO_POWER_S2 = 0x04,
        BUPINFO_POWER_S3 = 0x08,
        BUPINFO_POWER_S4 = 0x10,
        BUPINFO_POWER_S5 = 0x20,
        BUPINFO_POWER_ALL = 0x3F,
    };

    CPowerState() = default;
    CPowerState(e_powerstates e) : m_value(e) {}
    CPowerState& operator=(e_powerstates e) { m_value = e; return *this; }
    // Any combination of bits, named or not.
    CPowerState& operator=(int32_t bits) { m_value = static_cast<e_powerstates>(bits); return *this; }
    operator e_powerstates() const { return m_value; }

    void init() { m_value = BUPINFO_POWER_INVALID; }
    void clear() { init(); }
    // "<unknown>" for a combination without a name.
    std::string ToString() const;
    // An unknown name reads as BUPINFO_POWER_INVALID.
    void FromString(const std::string& s);

private:
    e_powerstates m_value = BUPINFO_POWER_INVALID;
};

// Where the kernel may look for the next file a module asks for (bit flags).
class CNextFileLocation {
public:
    enum e_next_file_location : uint32_t {
        UPD_NEXT_FILE_CUR_BUP = 0x01,
        UPD_NEXT_FILE_CUR_DIR = 0x02,
        UPD_NEXT_FILE_COMMON_BUP = 0x04,
        UPD_NEXT_FILE_NEWEST = 0x08,
        UPD_NEXT_FILE_PREPARE_LOCALLY = 0x10,
        UPD_NEXT_FILE_IGNORE_CASE = 0x20,
    };

    CNextFileLocation() = default;
    CNextFileLocation(e_next_file_location e) : m_value(e) {}
    CNextFileLocation& operator=(e_next_file_location e) { m_value = e; return *this; }
    // Any combination of flags.
    CNextFileLocation& operator=(uint32_t bits) { m_value = static_cast<e_next_file_location>(bits); return *this; }
    operator e_next_file_location() const { return m_value; }
    bool Has(e_next_file_location flag) const { return (m_value & flag) != 0; }

    void init() { m_value = static_cast<e_next_file_location>(0); }
    void clear() { init(); }
    // Names of the set flags joined by " | "; "" for none.
    std::string ToString() const;
    // Sets the flags whose names occur in s; reads back what ToString wrote.
    void FromString(const std::string& s);

private:
    e_next_file_location m_value = static_cast<e_next_file_location>(0);
};
