#include "configuration_backup.h"

#include <sys/stat.h>

#include <cerrno>
#include <ctime>
#include <vector>

#include <nlohmann/json.hpp>

#include "atomic_file.h"
#include "quillmark/qmx2.h"

namespace qmxsim {
namespace {

using nlohmann::json;

// Steps of the series; the kernel starts at 0.
constexpr int32_t kStepStart = 0;
constexpr int32_t kStepAreas = 1;
constexpr int32_t kStepDescription = 2;

struct AreaFile {
    const char* file;
    const char* element;  // its name in the package description
};

constexpr AreaFile kAreas[] = {
    {"setup_settings.bin", "setup"},   {"password.bin", "password"},       {"logo.bin", "logo"},
    {"boot_order.bin", "bootorder"},   {"system_data.bin", "systemdata"},
};
constexpr AreaFile kDebugArea = {kDebugCodeFile, "debugcode"};

bool Flag(const json& j, const char* key) {
    auto it = j.find(key);
    return it != j.end() && it->is_boolean() && it->get<bool>();
}

std::vector<AreaFile> AreasToWrite(const json& j) {
    std::vector<AreaFile> areas(std::begin(kAreas), std::end(kAreas));
    if (Flag(j, qmx2key::DebugCodeArea)) areas.push_back(kDebugArea);
    return areas;
}

uint32_t WriteFailure(int err) {
    return err == ENOSPC || err == EDQUOT ? QMX2_REASON_INSUFFICIENT_DISK_SPACE : QMX2_REASON_INVALID_DIRECTORY;
}

// A missing area file is an empty area, not a fault.
uint32_t CopyArea(const std::string& state_dir, const std::string& dest, const AreaFile& area) {
    std::string bytes;
    const int err = ReadWholeFile(state_dir + "/config/" + area.file, bytes);
    if (err == EACCES || err == EPERM) return QMX2_REASON_DEVICE_ACCESS_DENIED;
    if (err != 0 && err != ENOENT) return QMX2_REASON_INTERNAL;
    const int werr = WriteFileAtomic(dest + "/" + area.file, bytes);
    return werr == 0 ? 0 : WriteFailure(werr);
}

std::string XmlEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

// The kernel reads builddate as MM-DD-YYYY.
std::string Today() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::gmtime_r(&now, &tm);
    char text[16];
    std::strftime(text, sizeof text, "%m-%d-%Y", &tm);
    return text;
}

// No XML declaration: the kernel's own reader takes none.
std::string Description(const BoardState& board, const std::vector<AreaFile>& areas) {
    std::string doc = "<bupinfo2>\n  <packtype>CONFIG</packtype>\n";
    doc += "  <board>" + XmlEscaped(board.board) + "</board>\n";
    doc += "  <biosversion>" + XmlEscaped(board.bios_version) + "</biosversion>\n";
    doc += "  <builddate>" + Today() + "</builddate>\n";
    for (const AreaFile& area : areas) doc += std::string("  <area>") + area.element + "</area>\n";
    return doc + "</bupinfo2>\n";
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int32_t FinalStep(EndWith end) {
    switch (end) {
    case EndWith::kColdBoot: return QMX2_SEQ_DONE_COLD_BOOT_FIRST;
    case EndWith::kPending: return QMX2_SEQ_DONE_PENDING_FIRST;
    case EndWith::kDone: break;
    }
    return QMX2_SEQ_DONE;
}

void Answer(json& j, int32_t step, uint32_t progress, const char* part, const std::string& status) {
    j[qmx2key::iSeq] = step;
    j[qmx2key::ulProgress] = progress;
    j[qmx2key::sPartInfo] = part;
    j[qmx2key::sStatusInfo] = status;
}

}  // namespace

uint32_t ConfigurationBackupStep(const BoardState& board, const std::string& state_dir, std::string& record) {
    json j = json::parse(record, nullptr, false);
    if (!j.is_object()) return QMX2_REASON_INVALID_PARAMETERS;
    const json seq = j.value(qmx2key::iSeq, json(0));
    if (!seq.is_number_integer()) return QMX2_REASON_INVALID_PARAMETERS;
    const int64_t step = seq.get<int64_t>();
    const Faults& faults = board.faults;
    if (faults.fail_at_step && step == *faults.fail_at_step) {
        j[qmx2key::sStatusInfo] = "Backup failed at step " + std::to_string(step);
        record = j.dump(4);
        return faults.fail_reason;
    }

    if (step == kStepStart) {
        // The kernel fills in the destination only after this first call.
        if (faults.cancel) {
            Answer(j, QMX2_SEQ_CANCELLED, 0, "Backup cancelled", "Nothing was written");
        } else {
            Answer(j, kStepAreas, 500, "Reading configuration areas", "");
        }
        record = j.dump(4);
        return 0;
    }
    if (step != kStepAreas && step != kStepDescription) return QMX2_REASON_INVALID_PARAMETERS;

    const json dest_value = j.value(qmx2key::sDestPath, json());
    if (!dest_value.is_string() || dest_value.get<std::string>().empty()) return QMX2_REASON_INVALID_PARAMETERS;
    const std::string dest = dest_value.get<std::string>();
    if (!IsDirectory(dest)) return QMX2_REASON_INVALID_DIRECTORY;
    const std::vector<AreaFile> areas = AreasToWrite(j);

    if (step == kStepAreas) {
        for (const AreaFile& area : areas) {
            if (const uint32_t reason = CopyArea(state_dir, dest, area)) return reason;
        }
        Answer(j, kStepDescription, 8000, "Writing package description",
               std::to_string(areas.size()) + " areas saved");
    } else {
        if (!faults.backup_without_bupinfo) {
            const int err = WriteFileAtomic(dest + "/BupInfo2.xml", Description(board, areas));
            if (err != 0) return WriteFailure(err);
        }
        Answer(j, FinalStep(faults.end_with), 10000, "Configuration backup done", "Backup complete");
    }
    if (!faults.backup_rename.empty()) j[qmx2key::sDestName] = faults.backup_rename;
    record = j.dump(4);
    return 0;
}

}  // namespace qmxsim
