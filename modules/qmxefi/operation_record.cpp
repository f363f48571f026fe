#include "operation_record.h"

#include <cerrno>
#include <ctime>

#include "json_text.h"
#include "quillmark/qmx2.h"

namespace qmxefi {

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
    const auto it = j.find(key);
    return it != j.end() && it->is_boolean() && it->get<bool>();
}

std::string Text(const json& j, const char* key) {
    const auto it = j.find(key);
    return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

void Answer(json& j, int32_t step, uint32_t progress, const std::string& part, const std::string& status,
            const std::string& next_file, const std::string& location) {
    j[qmx2key::iSeq] = step;
    j[qmx2key::ulProgress] = progress;
    j[qmx2key::sPartInfo] = part;
    j[qmx2key::sStatusInfo] = status;
    j[qmx2key::sNextFile] = next_file;
    j[qmx2key::NextFileLoc] = next_file.empty() ? "" : location;
}

uint32_t Finish(uint32_t operation, const Refusal& r, json request, const json& answer, std::string& record) {
    if (r.reason == 0) {
        record = JsonText(answer);
        return 0;
    }
    if (!r.why.empty()) {
        request[qmx2key::sStatusInfo] = r.why;
        record = JsonText(request);
    }
    return Error(operation, r.reason, r.detail);
}

uint32_t WriteFailure(int err) {
    if (err == ENOSPC || err == EDQUOT) return QMX2_REASON_INSUFFICIENT_DISK_SPACE;
    return err == EACCES || err == EPERM || err == EROFS ? QMX2_REASON_DEVICE_ACCESS_DENIED : QMX2_REASON_INTERNAL;
}

namespace {
std::string Format(const char* format) {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::gmtime_r(&now, &tm);
    char text[32];
    std::strftime(text, sizeof text, format, &tm);
    return text;
}
}  // namespace

std::string UtcNow() { return Format("%Y-%m-%dT%H:%M:%SZ"); }
std::string Today() { return Format("%m-%d-%Y"); }

}  // namespace qmxefi
