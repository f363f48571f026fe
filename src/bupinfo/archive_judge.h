// The rules every member of a package must pass before anything of it is written:
// a package that breaks one is refused whole.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "bupinfo/archive_limits.h"

struct SArchiveMember {
    enum class EKind { eFile, eDirectory, eLink, eSpecial };

    std::string strName;
    uint64_t ullSize = 0;
    uint64_t ullCompressedSize = 0;
    time_t tModified = 0;
    EKind eKind = EKind::eFile;
    bool fEncrypted = false;
};

struct SArchiveRefusal {
    std::string strMember;  // empty: the package as a whole
    std::string strRule;
    // "member 'NAME' refused: RULE", or the rule alone for the package.
    std::string Text() const;
};

// Names are compared as the lookups do: ASCII case folded.
std::optional<SArchiveRefusal> ArchiveJudge(const std::vector<SArchiveMember>& members, const SArchiveLimits& limits);

// The member that holds the package description.
bool ArchiveIsDescription(const std::string& strName);
