#include "state.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <stdexcept>
#include <system_error>

#include <nlohmann/json.hpp>

#include "atomic_file.h"
#include "flash_checksum.h"
#include "state_commit.h"

namespace qmxsim {

const std::array<CapabilityField, 9> kCapabilityFields = {{
    {qmx2key::fBiosUpdate, &Capabilities::fBiosUpdate},
    {qmx2key::fBiosShutdownForUpdate, &Capabilities::fBiosShutdownForUpdate},
    {qmx2key::fConfigurationBackup, &Capabilities::fConfigurationBackup},
    {qmx2key::fConfigurationRestore, &Capabilities::fConfigurationRestore},
    {qmx2key::fProgressInfo, &Capabilities::fProgressInfo},
    {qmx2key::fDetailInfo, &Capabilities::fDetailInfo},
    {qmx2key::fListBupInfo, &Capabilities::fListBupInfo},
    {qmx2key::fGetGenericModuleInfo, &Capabilities::fGetGenericModuleInfo},
    {qmx2key::fUpdateLogo, &Capabilities::fUpdateLogo},
}};

namespace {

using nlohmann::json;

constexpr std::pair<const char*, EndWith> kEndWithNames[] = {
    {"done", EndWith::kDone},
    {"cold_boot", EndWith::kColdBoot},
    {"pending", EndWith::kPending},
};

// A value in board.json that the board cannot use; the text names the key.
struct BadValue : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Bad(const char* key, const char* expected) {
    throw BadValue(std::string("\"") + key + "\" must be " + expected);
}

// null counts as absent, so writing null brings back the default.
const json* Member(const json& obj, const char* key) {
    auto it = obj.find(key);
    return it == obj.end() || it->is_null() ? nullptr : &*it;
}

const json& Section(const json& obj, const char* key) {
    static const json empty = json::object();
    const json* v = Member(obj, key);
    if (!v) return empty;
    if (!v->is_object()) Bad(key, "an object");
    return *v;
}

void Read(const json& obj, const char* key, std::string& out) {
    if (const json* v = Member(obj, key)) {
        if (!v->is_string()) Bad(key, "a string");
        out = v->get<std::string>();
    }
}

void Read(const json& obj, const char* key, bool& out) {
    if (const json* v = Member(obj, key)) {
        if (!v->is_boolean()) Bad(key, "true or false");
        out = v->get<bool>();
    }
}

// Reasons and status codes read best in hexadecimal, which JSON lacks, so
// text such as "0x80" is taken as well as a plain number.
void ReadUnsigned(const json& obj, const char* key, uint32_t min, uint32_t max, uint32_t& out) {
    const json* v = Member(obj, key);
    if (!v) return;
    unsigned long long n = 0;
    bool ok = false;
    if (v->is_number_unsigned()) {
        n = v->get<unsigned long long>();
        ok = true;
    } else if (v->is_string()) {
        const std::string& s = v->get_ref<const std::string&>();
        char* end = nullptr;
        errno = 0;
        // strtoull would accept leading blanks and a minus sign.
        if (!s.empty() && std::isdigit(static_cast<unsigned char>(s[0]))) {
            n = std::strtoull(s.c_str(), &end, 0);
            ok = errno == 0 && *end == '\0';
        }
    }
    if (!ok || n < min || n > max) Bad(key, "an unsigned number in range");
    out = static_cast<uint32_t>(n);
}

void Read(const json& obj, const char* key, std::optional<int32_t>& out) {
    if (const json* v = Member(obj, key)) {
        using Limits = std::numeric_limits<int32_t>;
        bool fits = v->is_number_unsigned() ? v->get<uint64_t>() <= uint64_t{Limits::max()}
                    : v->is_number_integer()
                        ? v->get<int64_t>() >= Limits::min() && v->get<int64_t>() <= Limits::max()
                        : false;
        if (!fits) Bad(key, "a 32-bit integer");
        out = v->get<int32_t>();
    }
}

void Read(const json& obj, const char* key, EndWith& out) {
    if (const json* v = Member(obj, key)) {
        if (v->is_string()) {
            for (const auto& [name, value] : kEndWithNames) {
                if (*v == name) {
                    out = value;
                    return;
                }
            }
        }
        Bad(key, "\"done\", \"cold_boot\" or \"pending\"");
    }
}

// A misspelt place would only show as a part the kernel never finds, so it
// is refused here, in the file that holds the mistake. The names are written
// back in the order the kernel reads them, whatever order the file uses.
void ReadLocation(const json& obj, const char* key, std::string& out) {
    static const char* const kOrder[] = {"UPD_NEXT_FILE_PREPARE_LOCALLY", "UPD_NEXT_FILE_NEWEST",
                                         "UPD_NEXT_FILE_COMMON_BUP",      "UPD_NEXT_FILE_CUR_DIR",
                                         "UPD_NEXT_FILE_CUR_BUP",         "UPD_NEXT_FILE_IGNORE_CASE"};
    std::string text;
    Read(obj, key, text);
    if (!Member(obj, key)) return;
    bool given[std::size(kOrder)] = {};
    size_t begin = 0;
    for (;;) {
        const size_t bar = text.find('|', begin);
        std::string name = text.substr(begin, bar == std::string::npos ? std::string::npos : bar - begin);
        name.erase(0, name.find_first_not_of(" \t"));
        name.erase(name.find_last_not_of(" \t") + 1);
        bool known = false;
        for (size_t i = 0; i < std::size(kOrder); ++i) {
            if (name == kOrder[i]) given[i] = known = true;
        }
        if (!known) Bad(key, "UPD_NEXT_FILE_* names joined by \" | \"");
        if (bar == std::string::npos) break;
        begin = bar + 1;
    }
    std::string joined;
    for (size_t i = 0; i < std::size(kOrder); ++i) {
        if (given[i]) joined += (joined.empty() ? "" : " | ") + std::string(kOrder[i]);
    }
    out = joined;
}

void FromJson(const json& j, BoardState& b) {
    if (!j.is_object()) throw BadValue("board.json must hold an object");
    Read(j, "board", b.board);
    Read(j, "bios_version", b.bios_version);
    Read(j, "bios_build_date", b.bios_build_date);
    Read(j, "me_firmware_version", b.me_firmware_version);
    Read(j, "bios_id", b.bios_id);
    Read(j, "sign_on", b.sign_on);
    Read(j, "code_name", b.code_name);
    Read(j, "bios_interface_version", b.bios_interface_version);
    const json& caps = Section(j, "capabilities");
    for (const auto& [key, flag] : kCapabilityFields) Read(caps, key, b.capabilities.*flag);
    Read(j, "require_root", b.require_root);
    Read(j, "secure_platform", b.secure_platform);
    Read(j, "bios_password", b.bios_password);
    ReadLocation(j, "part_location", b.part_location);

    const json& faults = Section(j, "faults");
    ReadUnsigned(faults, "install_refuse_reason", 0, 0xFF, b.faults.install_refuse_reason);
    ReadUnsigned(faults, "check_refuse_reason", 0, 0xFF, b.faults.check_refuse_reason);
    Read(faults, "fail_at_step", b.faults.fail_at_step);
    ReadUnsigned(faults, "fail_reason", 1, 0xFF, b.faults.fail_reason);
    Read(faults, "cancel", b.faults.cancel);
    Read(faults, "end_with", b.faults.end_with);
    Read(faults, "backup_without_bupinfo", b.faults.backup_without_bupinfo);
    Read(faults, "backup_rename", b.faults.backup_rename);

    const json& last = Section(j, "last_action");
    ReadUnsigned(last, "status", 0, 0xFFFFFFFF, b.last_action.status);
    Read(last, "accepted", b.last_action.accepted);
    Read(last, "executed", b.last_action.executed);
}

}  // namespace

std::string StateDirectory() {
    const char* env = std::getenv("QMXSIM_STATE");
    return env && *env ? env : kDefaultStateDir;
}

LoadResult LoadBoard(const std::string& dir, BoardState& out, std::string* why) {
    struct stat st {};
    if (::stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return LoadResult::kNoDirectory;

    BoardState board;
    std::string text;
    int err = ReadWholeFile(dir + "/" + kBoardFile, text);
    if (err != ENOENT) {
        try {
            if (err != 0) throw BadValue(std::generic_category().message(err));
            FromJson(json::parse(text), board);
        } catch (const BadValue& e) {
            if (why) *why = e.what();
            return LoadResult::kBadBoardFile;
        } catch (const json::exception& e) {
            if (why) *why = e.what();
            return LoadResult::kBadBoardFile;
        }
    }
    out = std::move(board);
    return LoadResult::kOk;
}

namespace {


json ToJson(const LastAction& action) {
    return {{"status", action.status}, {"accepted", action.accepted}, {"executed", action.executed}};
}

}  // namespace

int BoardFileText(const std::string& dir, const std::optional<FlashRecord>& flash, const LastAction& action,
                  std::string& out) {
    std::string text;
    const int err = ReadWholeFile(dir + "/" + kBoardFile, text);
    if (err != 0 && err != ENOENT) return err;
    json j = err == ENOENT ? json::object() : json::parse(text, nullptr, false);
    if (!j.is_object()) return EINVAL;
    if (flash) {
        j["bios_version"] = flash->bios_version;
        j[kFlashKey] = {{"checksum", flash->checksum}, {"parts", flash->parts}};
        if (!flash->identity.empty()) j[kFlashKey]["identity"] = flash->identity;
    }
    j["last_action"] = ToJson(action);
    out = j.dump(4) + "\n";
    return 0;
}

std::string StateDamage(const std::string& dir) {
    std::string text;
    if (ReadWholeFile(dir + "/" + kBoardFile, text) != 0) return "";
    const json j = json::parse(text, nullptr, false);
    if (!j.is_object() || !j.contains(kFlashKey)) return "";
    const json& flash = j[kFlashKey];
    const std::string recorded = flash.is_object() ? flash.value("checksum", "") : "";
    const std::string identity = flash.is_object() ? flash.value("identity", "") : "";
    // The image as committed, untouched since: no need to read it all again.
    if (identity.empty() || FlashIdentity(dir + "/flash.bin") != identity) {
        std::string actual;
        const int err = FlashChecksum(dir + "/flash.bin", actual);
        if (err != 0) return "flash.bin cannot be read: " + std::generic_category().message(err);
        if (actual != recorded)
            return "flash.bin does not hold the image recorded for BIOS " + j.value("bios_version", "?");
    }
    if (flash.contains("parts") && flash["parts"].is_array())
        for (const json& part : flash["parts"]) {
            struct stat st {};
            const std::string name = part.is_string() ? part.get<std::string>() : "";
            if (!IsStatePath("parts/" + name) || ::stat((dir + "/parts/" + name).c_str(), &st) != 0)
                return "the part " + name + " of BIOS " + j.value("bios_version", "?") + " is missing";
        }
    return "";
}

}  // namespace qmxsim
