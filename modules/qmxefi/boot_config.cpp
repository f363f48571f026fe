#include "boot_config.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

namespace qmxefi {

namespace {

constexpr uint32_t kNonVolatile = 0x1, kBootAccess = 0x2, kRuntimeAccess = 0x4;

bool IsUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

bool IsBootEntry(const std::string& name) {
    return name.size() == 8 && name.compare(0, 4, "Boot") == 0 && std::all_of(name.begin() + 4, name.end(), IsUpperHex);
}

// Entries before the order that names them, the one-time choice last.
int Rank(const std::string& name) {
    if (IsBootEntry(name)) return 0;
    if (name == "Timeout") return 1;
    if (name == "BootOrder") return 2;
    return 3;  // BootNext
}

BootResult Fail(int err, std::string why) { return {err, std::move(why)}; }

}  // namespace

bool IsBootVariable(const std::string& name, const std::string& guid) {
    return guid == kGlobalGuid && (IsBootEntry(name) || name == "BootOrder" || name == "BootNext" || name == "Timeout");
}

void SortForRestore(std::vector<EfiVariable>& vars) {
    std::stable_sort(vars.begin(), vars.end(), [](const EfiVariable& a, const EfiVariable& b) {
        const int ra = Rank(a.name), rb = Rank(b.name);
        return ra != rb ? ra < rb : a.name < b.name;
    });
}

BootResult CaptureBootConfig(const RootPath& root, std::vector<EfiVariable>& out) {
    out.clear();
    std::vector<std::string> files;
    if (const int err = ListVariableFiles(root, files))
        return Fail(err, std::string("UEFI variables cannot be listed: ") + std::strerror(err));
    for (const std::string& file : files) {
        std::string name, guid;
        if (!SplitFileName(file, name, guid) || !IsBootVariable(name, guid)) continue;
        EfiVariable var;
        if (const int err = ReadVariable(root, file, var)) {
            if (err == EBADMSG) return Fail(err, "UEFI variable " + name + " is shorter than its attributes");
            return Fail(err, "UEFI variable " + name + " cannot be read: " + std::strerror(err));
        }
        out.push_back(std::move(var));
    }
    if (out.empty()) return Fail(ENOENT, "no boot variables found");
    SortForRestore(out);
    return {};
}

BootResult CheckBootConfig(const std::vector<EfiVariable>& vars) {
    std::set<std::string> seen;
    for (const EfiVariable& v : vars) {
        if (!IsBootVariable(v.name, v.guid)) return Fail(EINVAL, v.FileName() + " is no boot variable");
        if (!seen.insert(v.name).second) return Fail(EINVAL, v.name + " is given twice");
        // Authenticated or append-only writes need more than the saved bytes.
        if ((v.attributes & ~(kNonVolatile | kBootAccess | kRuntimeAccess)) != 0 || !(v.attributes & kBootAccess))
            return Fail(EINVAL, v.name + " has attributes this module does not write");
        // efivarfs takes attributes without data as a request to delete.
        if (v.data.empty()) return Fail(EINVAL, v.name + " is empty");
        if (v.name == "BootOrder" && v.data.size() % 2 != 0)
            return Fail(EINVAL, "BootOrder does not hold whole entries");
        if ((v.name == "BootNext" || v.name == "Timeout") && v.data.size() != 2)
            return Fail(EINVAL, v.name + " is not two bytes long");
    }
    return {};
}

BootResult RestoreBootConfig(const RootPath& root, std::vector<EfiVariable> vars, size_t& written,
                             const FlagOps& ops) {
    written = 0;
    if (BootResult r = CheckBootConfig(vars); r.err) return r;
    SortForRestore(vars);
    for (const EfiVariable& v : vars) {
        const WriteResult w = WriteVariable(root, v, ops);
        if (w.err)
            return Fail(w.err, "UEFI variable " + v.name + ": cannot " + w.step + ": " + std::strerror(w.err));
        ++written;
    }
    return {};
}

}  // namespace qmxefi
