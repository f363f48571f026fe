// Caps on what a package may hold, so a hostile archive cannot exhaust memory or disk.
#pragma once

#include <cstdint>

class CProfile;

struct SArchiveLimits {
    uint64_t ullMaxMemberBytes = 256ull << 20;
    uint64_t ullMaxDescriptionBytes = 1024ull << 10;
    uint32_t ulMaxMembers = 4096;
    // Uncompressed to compressed size of one member.
    uint32_t ulMaxRatio = 1000;
};

// The profile's [Limits] section (MaxMemberMB, MaxDescriptionKB, MaxMembers, MaxRatio);
// a missing, zero or negative value keeps the default.
SArchiveLimits ArchiveLimitsFromProfile(const CProfile& profile);

// The limits every archive of this process is judged by.
const SArchiveLimits& ArchiveLimitsGet();
void ArchiveLimitsSet(const SArchiveLimits& limits);
