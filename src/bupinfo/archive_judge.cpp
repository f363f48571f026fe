#include "bupinfo/archive_judge.h"

#include <unordered_map>

namespace {

std::string Folded(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    // A directory entry collides with a file of its name.
    while (!out.empty() && out.back() == '/')
        out.pop_back();
    return out;
}

// Backslashes count as separators too: some producers write them and some tools honour them.
bool HasParentComponent(const std::string& name) {
    size_t start = 0;
    for (;;) {
        const size_t end = name.find_first_of("/\\", start);
        if (name.compare(start, end == std::string::npos ? std::string::npos : end - start, "..") == 0)
            return true;
        if (end == std::string::npos)
            return false;
        start = end + 1;
    }
}

std::string Bytes(uint64_t n) { return std::to_string(n) + " bytes"; }

std::optional<std::string> NameRule(const std::string& name) {
    if (name.empty())
        return "its name is empty";
    if (name[0] == '/' || name[0] == '\\')
        return "its name is absolute";
    if (HasParentComponent(name))
        return "its name has a '..' component";
    return std::nullopt;
}

std::optional<std::string> KindRule(const SArchiveMember& m) {
    if (m.eKind == SArchiveMember::EKind::eLink)
        return "it is a symbolic link";
    if (m.eKind == SArchiveMember::EKind::eSpecial)
        return "it is not a regular file";
    if (m.fEncrypted)
        return "it is encrypted";
    return std::nullopt;
}

std::optional<std::string> SizeRule(const SArchiveMember& m, const SArchiveLimits& limits) {
    if (ArchiveIsDescription(m.strName) && m.ullSize > limits.ullMaxDescriptionBytes)
        return "the package description is " + Bytes(m.ullSize) + ", more than the limit of " +
               Bytes(limits.ullMaxDescriptionBytes);
    if (m.ullSize > limits.ullMaxMemberBytes)
        return "it is " + Bytes(m.ullSize) + ", more than the limit of " + Bytes(limits.ullMaxMemberBytes);
    // Divided rather than multiplied, so no product can overflow.
    const uint64_t ullRatio = m.ullCompressedSize ? m.ullSize / m.ullCompressedSize : m.ullSize;
    if (ullRatio > limits.ulMaxRatio || (ullRatio == limits.ulMaxRatio && m.ullSize % m.ullCompressedSize))
        return "it expands to " + Bytes(m.ullSize) + " from " + Bytes(m.ullCompressedSize) +
               ", more than the limit of " + std::to_string(limits.ulMaxRatio) + " times";
    return std::nullopt;
}

}  // namespace

std::string SArchiveRefusal::Text() const {
    return strMember.empty() ? strRule : "member '" + strMember + "' refused: " + strRule;
}

bool ArchiveIsDescription(const std::string& strName) { return Folded(strName) == "bupinfo2.xml"; }

std::optional<SArchiveRefusal> ArchiveJudge(const std::vector<SArchiveMember>& members, const SArchiveLimits& limits) {
    if (members.size() > limits.ulMaxMembers)
        return SArchiveRefusal{"", "the package holds " + std::to_string(members.size()) +
                                       " members, more than the limit of " + std::to_string(limits.ulMaxMembers)};
    std::unordered_map<std::string, const std::string*> seen;
    for (const SArchiveMember& m : members) {
        std::optional<std::string> rule = NameRule(m.strName);
        if (!rule)
            rule = KindRule(m);
        if (!rule)
            rule = SizeRule(m, limits);
        if (!rule) {
            const auto [it, fNew] = seen.emplace(Folded(m.strName), &m.strName);
            if (!fNew)
                rule = *it->second == m.strName ? std::string("it is in the package twice")
                                                : "its name collides with '" + *it->second + "' when case is ignored";
        }
        if (rule)
            return SArchiveRefusal{m.strName, *rule};
    }
    return std::nullopt;
}
