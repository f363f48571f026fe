#include "bupinfo/archive_limits.h"

#include <algorithm>
#include <cstdint>

#include "support/profile.h"

namespace {

SArchiveLimits& Current() {
    static SArchiveLimits limits;
    return limits;
}

uint64_t Value(const CProfile& profile, const char* pszKey, uint64_t ullDefault, uint64_t ullUnit) {
    const int n = profile.IntGet("Limits", pszKey, 0);
    return n > 0 ? static_cast<uint64_t>(n) * ullUnit : ullDefault;
}

}  // namespace

SArchiveLimits ArchiveLimitsFromProfile(const CProfile& profile) {
    const SArchiveLimits def;
    SArchiveLimits limits;
    // Sizes are handed on as 32-bit numbers.
    limits.ullMaxMemberBytes = std::min<uint64_t>(Value(profile, "MaxMemberMB", def.ullMaxMemberBytes, 1ull << 20),
                                                  UINT32_MAX);
    limits.ullMaxDescriptionBytes = Value(profile, "MaxDescriptionKB", def.ullMaxDescriptionBytes, 1ull << 10);
    limits.ulMaxMembers = static_cast<uint32_t>(Value(profile, "MaxMembers", def.ulMaxMembers, 1));
    limits.ulMaxRatio = static_cast<uint32_t>(Value(profile, "MaxRatio", def.ulMaxRatio, 1));
    return limits;
}

const SArchiveLimits& ArchiveLimitsGet() { return Current(); }

void ArchiveLimitsSet(const SArchiveLimits& limits) { Current() = limits; }
