// CBupConsistency and CBupUsability: the two scales of a module's verdict on a
// package, as the kernel ranks candidates and the front-end shows them.
#pragma once

#include <cstdint>
#include <string>

// The module's judgement whether a package is complete and intact.
class CBupConsistency {
public:
    enum e_consistency : int32_t {
        CONSISTENCY_UNKNOWN_OR_INVALID = -3,
        CONSISTENCY_DEMAGED = -2,
        CONSISTENCY_INCOMPLETE_INVALID = -1,
        CONSISTENCY_INCOMPLETE_VALID_BY_USER = 0,
        CONSISTENCY_INCOMPLETE_VALID = 1,
        CONSISTENCY_COMPLETE_VALID = 2,
    };

    CBupConsistency() = default;
    CBupConsistency(e_consistency e) : m_value(e) {}
    CBupConsistency& operator=(e_consistency e) { m_value = e; return *this; }
    operator e_consistency() const { return m_value; }

    void init() { m_value = CONSISTENCY_UNKNOWN_OR_INVALID; }
    void clear() { init(); }
    std::string ToString() const;
    // An unknown name reads as CONSISTENCY_UNKNOWN_OR_INVALID.
    void FromString(const std::string& s);

private:
    e_consistency m_value = CONSISTENCY_UNKNOWN_OR_INVALID;
};

// The module's judgement how a package's version relates to the installed BIOS.
class CBupUsability {
public:
    enum e_usability : int32_t {
        E_BUPINFO_USABILITY_INVALID_FILE_FOR_FULL_UPDATE = -6,
        E_BUPINFO_USABILITY_SECURE_PLATFORM_UPDATE_REQUIRED = -5,
        E_BUPINFO_USABILITY_INCOMPATIBLE_QUILMARK = -4,
        USABILITY_INCOMPATIBLE_VERSION = -3,
        USABILITY_OBSOLETE_VERSION = -2,
        USABILITY_OLDER_VERSION = -1,
        USABILITY_EQUAL_VERSION = 0,
        USABILITY_NEWER_VERSION = 1,
        USABILITY_MAJOR_VERSION = 2,
    };

    CBupUsability() = default;
    CBupUsability(e_usability e) : m_value(e) {}
    CBupUsability& operator=(e_usability e) { m_value = e; return *this; }
    operator e_usability() const { return m_value; }

    void init() { m_value = USABILITY_EQUAL_VERSION; }
    void clear() { init(); }
    std::string ToString() const;
    // An unknown name reads as USABILITY_EQUAL_VERSION; so does the name of
    // INVALID_FILE_FOR_FULL_UPDATE, which is written but never read.
    void FromString(const std::string& s);

private:
    e_usability m_value = USABILITY_EQUAL_VERSION;
};
