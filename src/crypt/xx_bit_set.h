// CXXBitSet: the 32-bit mask of the legacy password format.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

class CXXBitSet {
public:
    explicit CXXBitSet(uint32_t ulMask = 0) : m_ulMask(ulMask) {}
    // The decimal value of the text's first three characters, by atoi rules.
    explicit CXXBitSet(const char* pszText) {
        char szDigits[4] = {};
        if (pszText)
            std::strncpy(szDigits, pszText, 3);
        m_ulMask = static_cast<uint32_t>(std::atoi(szDigits));
    }

    // Bits wrap: bit j is bit j mod 32.
    bool IsSet(unsigned int j) const { return (m_ulMask >> (j % 32u)) & 1u; }
    uint32_t Mask() const { return m_ulMask; }

private:
    uint32_t m_ulMask;
};
