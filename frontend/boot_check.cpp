#include "frontend/boot_check.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "frontend/frontend_error.h"

namespace {

constexpr const char kEfivars[] = "sys/firmware/efi/efivars/";
constexpr unsigned long kEfivarfsMagic = 0xde5e81e4;
// A pending file is small; anything larger is not one.
constexpr std::streamsize kPendingMax = 1024 * 1024;

[[noreturn]] void Fail(const std::string& csText) { throw CFrontendError(eExitJobError, "boot-check: " + csText); }

std::string Slurp(const std::string& csPath, bool& fFound) {
    std::ifstream in(csPath, std::ios::binary);
    fFound = static_cast<bool>(in);
    std::string cs;
    if (fFound) {
        cs.assign(std::istreambuf_iterator<char>(in), {});
        fFound = !in.bad();
    }
    return cs;
}

std::string Trimmed(std::string cs) {
    while (!cs.empty() && (cs.back() == '\n' || cs.back() == ' ' || cs.back() == '\t'))
        cs.pop_back();
    return cs;
}

std::string HexBytes(const std::string& csHex, const std::string& csName) {
    if (csHex.size() % 2 != 0 || csHex.find_first_not_of("0123456789abcdef") != std::string::npos)
        Fail("the pending data of " + csName + " is no lower-case hex");
    std::string cs;
    for (size_t i = 0; i < csHex.size(); i += 2)
        cs.push_back(static_cast<char>(std::stoi(csHex.substr(i, 2), nullptr, 16)));
    return cs;
}

// A variable name the firmware's global namespace holds; nothing that could leave efivars.
bool IsBootVariable(const std::string& cs) {
    if (cs == "BootOrder" || cs == "BootNext" || cs == "Timeout")
        return true;
    return cs.size() == 8 && cs.compare(0, 4, "Boot") == 0 &&
           cs.find_first_not_of("0123456789ABCDEF", 4) == std::string::npos;
}

// Writes attributes and data in one write, as efivarfs wants; an immutable
// flag is lifted for the write and set again.
void VariableWrite(const std::string& csPath, const std::string& csName, const std::string& csBytes) {
    int nFlags = 0;
    const int fdOld = open(csPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    bool fImmutable = false;
    if (fdOld >= 0) {
        if (ioctl(fdOld, FS_IOC_GETFLAGS, &nFlags) == 0 && (nFlags & FS_IMMUTABLE_FL) != 0) {
            const int nCleared = nFlags & ~FS_IMMUTABLE_FL;
            if (ioctl(fdOld, FS_IOC_SETFLAGS, &nCleared) != 0) {
                const int err = errno;
                close(fdOld);
                Fail("cannot make " + csName + " writable: " + strerror(err));
            }
            fImmutable = true;
        }
        close(fdOld);
    }
    const int fd = open(csPath.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    // efivarfs takes the new value from the one write; elsewhere (a test tree) the old bytes go first.
    struct statfs fs {};
    const bool fEfivarfs = fd >= 0 && fstatfs(fd, &fs) == 0 && static_cast<unsigned long>(fs.f_type) == kEfivarfsMagic;
    const bool fWritten = fd >= 0 && (fEfivarfs || ftruncate(fd, 0) == 0) &&
                          write(fd, csBytes.data(), csBytes.size()) == static_cast<ssize_t>(csBytes.size());
    const int err = errno;
    if (fd >= 0 && close(fd) != 0 && fWritten)
        Fail("writing " + csName + ": " + strerror(errno));
    if (!fWritten)
        Fail("writing " + csName + ": " + strerror(err));
    if (fImmutable) {
        const int fdNew = open(csPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fdNew >= 0) {
            ioctl(fdNew, FS_IOC_SETFLAGS, &nFlags);
            close(fdNew);
        }
    }
}

}  // namespace

SBootCheck BootCheckRun(const std::string& csRoot) {
    const std::string csBase = csRoot.empty() || csRoot.back() == '/' ? csRoot : csRoot + "/";
    const std::string csPending = csBase + kBootPendingFile;
    SBootCheck result;
    bool fFound = false;
    const std::string csText = Slurp(csPending, fFound);
    if (!fFound)
        return result;
    result.fPending = true;
    if (csText.size() > static_cast<size_t>(kPendingMax))
        Fail(csPending + " is too large to be a pending boot configuration");
    const nlohmann::json pending = nlohmann::json::parse(csText, nullptr, false);
    if (!pending.is_object() || pending.value("format", "") != "quillmark-boot-pending/1" ||
        !pending.contains("variables") || !pending["variables"].is_array())
        Fail(csPending + " is no pending boot configuration of a format this quillmark reads");
    result.csBiosExpected = pending.value("bios_version_expected", "");
    result.csBiosNow = Trimmed(Slurp(csBase + "sys/class/dmi/id/bios_version", fFound));

    for (const nlohmann::json& var : pending["variables"]) {
        if (!var.is_object() || !var.contains("name") || !var["name"].is_string() || !var.contains("attributes") ||
            !var["attributes"].is_number_unsigned() || !var.contains("data") || !var["data"].is_string())
            Fail(csPending + " holds a variable without name, attributes or data");
        const std::string csName = var["name"].get<std::string>();
        const std::string csGuid = var.value("guid", "");
        if (!IsBootVariable(csName) || csGuid != "8be4df61-93ca-11d2-aa0d-00e098032b8c")
            Fail(csPending + " names '" + csName + "', which is no boot variable");
        // The restart that followed the update has used up a one-time choice.
        if (csName == "BootNext")
            continue;
        const uint32_t ulAttributes = var["attributes"].get<uint32_t>();
        std::string csBytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            csBytes[static_cast<size_t>(i)] = static_cast<char>((ulAttributes >> (8 * i)) & 0xFF);
        csBytes += HexBytes(var["data"].get<std::string>(), csName);
        const std::string csPath = csBase + kEfivars + csName + "-" + csGuid;
        bool fLive = false;
        if (Slurp(csPath, fLive) == csBytes && fLive) {
            result.unchanged.push_back(csName);
            continue;
        }
        VariableWrite(csPath, csName, csBytes);
        result.restored.push_back(csName);
    }
    if (unlink(csPending.c_str()) != 0 && errno != ENOENT)
        Fail("cannot remove " + csPending + ": " + strerror(errno));
    return result;
}

std::string BootCheckText(const SBootCheck& r) {
    if (!r.fPending)
        return "no pending boot configuration: nothing to do";
    std::string cs;
    if (r.restored.empty()) {
        cs = "the boot configuration is as it was before the BIOS update";
    } else {
        cs = "restored after the BIOS update:";
        for (size_t i = 0; i < r.restored.size(); ++i)
            cs += (i == 0 ? " " : ", ") + r.restored[i];
    }
    if (!r.csBiosExpected.empty())
        cs += " (BIOS now " + (r.csBiosNow.empty() ? std::string("unknown") : r.csBiosNow) + ", the update brought " +
              r.csBiosExpected + ")";
    return cs;
}
