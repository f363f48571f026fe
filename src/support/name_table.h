// Tables from enumerators to their names and back, for enumerations that
// travel as text.
#pragma once

#include <cstddef>
#include <string>

template <class TEnum>
struct SNameEntry {
    TEnum value;
    const char* name;
};

// The name of value, or "<unknown>" when the table has none.
template <class TEnum, size_t N>
const char* NameOf(const SNameEntry<TEnum> (&table)[N], TEnum value) {
    for (const auto& entry : table)
        if (entry.value == value) return entry.name;
    return "<unknown>";
}

// The value named exactly name (case-sensitive), or fallback.
template <class TEnum, size_t N>
TEnum ValueOf(const SNameEntry<TEnum> (&table)[N], const std::string& name, TEnum fallback) {
    for (const auto& entry : table)
        if (name == entry.name) return entry.value;
    return fallback;
}
