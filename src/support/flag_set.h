// CFlagSet: a 32-bit set of named bits; Derived names the bits.
#pragma once

#include <cstdint>

template <typename Derived>
class CFlagSet {
public:
    CFlagSet() = default;
    explicit CFlagSet(uint32_t dwFlags) : m_dwFlags(dwFlags) {}

    uint32_t Value() const { return m_dwFlags; }
    bool IsEmpty() const { return m_dwFlags == 0; }
    // True when any bit of the mask is set.
    bool Test(uint32_t dwMask) const { return (m_dwFlags & dwMask) != 0; }
    void Set(uint32_t dwMask) { m_dwFlags |= dwMask; }
    void Reset(uint32_t dwMask) { m_dwFlags &= ~dwMask; }
    void Set(uint32_t dwMask, bool fOn) { fOn ? Set(dwMask) : Reset(dwMask); }
    void Clear() { m_dwFlags = 0; }
    // This set without the bits of another.
    Derived Without(const Derived& other) const { return Derived(m_dwFlags & ~other.Value()); }

    bool operator==(const Derived& o) const { return m_dwFlags == o.Value(); }
    bool operator!=(const Derived& o) const { return m_dwFlags != o.Value(); }

protected:
    uint32_t m_dwFlags = 0;
};
