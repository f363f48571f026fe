#include "configuration_restore.h"

#include <dirent.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <nlohmann/json.hpp>

#include "boot_config.h"
#include "file_io.h"
#include "last_action.h"
#include "operation_record.h"

namespace qmxefi {

namespace {

using nlohmann::json;

constexpr int32_t kStepStart = 0;
constexpr int32_t kStepVariables = 1;
constexpr const char kFromCurrentArchive[] = "UPD_NEXT_FILE_CUR_BUP";

bool EndsWith(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

Refusal OnlyBootOrder(const json& j) {
    for (const char* key : {qmx2key::SystemDataArea, qmx2key::SetupSettingsArea, qmx2key::LogoArea,
                            qmx2key::PasswordArea, qmx2key::BiosCodeArea})
        if (Flag(j, key))
            return Refuse(QMX2_REASON_NOT_IMPLEMENTED,
                          std::string("This board restores the boot order only, not ") + key, kDetailAreaNotSupported);
    return {};
}

// Every member the kernel handed over, read before anything is written.
Refusal ReadMembers(const std::string& source, std::vector<EfiVariable>& vars) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(source.c_str())) {
        while (const dirent* e = ::readdir(dir))
            if (EndsWith(e->d_name, kMemberSuffix)) names.emplace_back(e->d_name);
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    if (names.empty()) return Refuse(QMX2_REASON_FILE_NOT_FOUND, "No boot variables to restore in " + source);
    for (const std::string& member : names) {
        EfiVariable v;
        const std::string file = member.substr(0, member.size() - std::strlen(kMemberSuffix));
        std::string bytes;
        if (!SplitFileName(file, v.name, v.guid))
            return Refuse(QMX2_REASON_INVALID_FILE, "member " + member + " names no UEFI variable");
        if (const int err = ReadWholeFile(source + "/" + member, bytes))
            return Refuse(err == EACCES || err == EPERM ? QMX2_REASON_DEVICE_ACCESS_DENIED : QMX2_REASON_INVALID_FILE,
                          "member " + member + " cannot be read: " + std::strerror(err));
        if (!FromBytes(bytes, v))
            return Refuse(QMX2_REASON_INVALID_FILE, "member " + member + " is shorter than its attributes");
        vars.push_back(std::move(v));
    }
    if (BootResult r = CheckBootConfig(vars); r.err) return Refuse(QMX2_REASON_INVALID_FILE, r.why);
    return {};
}

std::string Names(const std::vector<EfiVariable>& vars) {
    std::string out;
    for (const EfiVariable& v : vars) out += (out.empty() ? "" : ", ") + v.name;
    return out;
}

Refusal Restore(const RootPath& root, const json& request, json& j, const FlagOps& ops) {
    const std::string source = Text(request, qmx2key::sSourcePath);
    if (source.empty()) return Refuse(QMX2_REASON_INVALID_PARAMETERS);
    if (!IsDirectory(source)) return Refuse(QMX2_REASON_INVALID_DIRECTORY);
    std::vector<EfiVariable> vars;
    if (Refusal r = ReadMembers(source, vars); r.reason) return r;
    SortForRestore(vars);
    size_t written = 0;
    LastAction done;
    done.action = "Boot configuration restore";
    done.accepted = UtcNow();
    if (BootResult r = RestoreBootConfig(root, vars, written, ops); r.err) {
        const std::string why = r.why + " (" + std::to_string(written) + " of " + std::to_string(vars.size()) +
                                " variables written before)";
        done.status = Error(QMX2_OP_GENERIC, WriteFailure(r.err), kDetailBootConfig);
        done.text = why;
        WriteLastAction(root, done);
        return Refuse(WriteFailure(r.err), why, kDetailBootConfig);
    }
    const std::string text = std::to_string(vars.size()) + " boot variables restored: " + Names(vars);
    done.executed = done.accepted;
    done.text = text;
    WriteLastAction(root, done);  // the restore's outcome does not hang on its record
    Answer(j, QMX2_SEQ_DONE, 10000, "Configuration restore done", text);
    j[qmx2key::sFeedback] = "";
    return {};
}

}  // namespace

uint32_t ConfigurationRestoreStep(const RootPath& root, std::string& record, const FlagOps& ops) {
    json j;
    int64_t step = 0;
    if (!ReadRecord(record, j, step)) return Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_PARAMETERS);
    json answer = j;
    Refusal r = OnlyBootOrder(j);
    if (r.reason == 0 && step == kStepStart) {
        if (!IsDirectory(root(kEfivarsDir)))
            r = Refuse(QMX2_REASON_INTERNAL, "UEFI variables are not available at " + root(kEfivarsDir),
                       kDetailBootConfig);
        else
            Answer(answer, kStepVariables, 1000, "Fetching the boot variables", "", std::string("*") + kMemberSuffix,
                   kFromCurrentArchive);
    } else if (r.reason == 0 && step == kStepVariables) {
        r = Restore(root, j, answer, ops);
    } else if (r.reason == 0) {
        r = Refuse(QMX2_REASON_INVALID_PARAMETERS);
    }
    return Finish(QMX2_OP_GENERIC, r, j, answer, record);
}

}  // namespace qmxefi
