#include "operation_record.h"

#include <sys/stat.h>

#include <cerrno>
#include <ctime>

#include "quillmark/qmx2.h"

namespace qmxsim {

using nlohmann::json;

bool ReadRecord(const std::string& record, json& j, int64_t& step) {
    j = json::parse(record, nullptr, false);
    if (!j.is_object()) return false;
    const json seq = j.value(qmx2key::iSeq, json(0));
    if (!seq.is_number_integer()) return false;
    step = seq.get<int64_t>();
    return true;
}

bool Flag(const json& j, const char* key) {
    auto it = j.find(key);
    return it != j.end() && it->is_boolean() && it->get<bool>();
}

void Answer(json& j, int32_t step, uint32_t progress, const std::string& part, const std::string& status) {
    j[qmx2key::iSeq] = step;
    j[qmx2key::ulProgress] = progress;
    j[qmx2key::sPartInfo] = part;
    j[qmx2key::sStatusInfo] = status;
}

int32_t EndStep(EndWith end) {
    switch (end) {
    case EndWith::kColdBoot: return QMX2_SEQ_DONE_COLD_BOOT_FIRST;
    case EndWith::kPending: return QMX2_SEQ_DONE_PENDING_FIRST;
    case EndWith::kDone: break;
    }
    return QMX2_SEQ_DONE;
}

bool PasswordAccepted(const BoardState& board, const json& j, int64_t step) {
    if (step == 0 || board.bios_password.empty()) return true;
    const json given = j.value(qmx2key::sPassword, json(""));
    return given.is_string() && given.get<std::string>() == board.bios_password;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

uint32_t WriteFailure(int err) {
    if (err == ENOSPC || err == EDQUOT) return QMX2_REASON_INSUFFICIENT_DISK_SPACE;
    return err == EACCES || err == EPERM || err == EROFS ? QMX2_REASON_DEVICE_ACCESS_DENIED : QMX2_REASON_INTERNAL;
}

std::string UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::gmtime_r(&now, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return text;
}

}  // namespace qmxsim
