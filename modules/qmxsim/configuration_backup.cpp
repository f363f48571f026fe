#include "configuration_backup.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

#include <nlohmann/json.hpp>

#include "atomic_file.h"
#include "operation_record.h"
#include "bup_package.h"
#include "quillmark/qmx2.h"

namespace qmxsim {
namespace {

using nlohmann::json;

// Steps of the series; the kernel starts at 0.
constexpr int32_t kStepStart = 0;
constexpr int32_t kStepAreas = 1;
constexpr int32_t kStepDescription = 2;

std::vector<AreaMember> AreasToWrite(const json& j) {
    std::vector<AreaMember> areas;
    for (const AreaMember& member : kAreaMembers)
        if (member.area != kAreaDebugCode || Flag(j, qmx2key::DebugCodeArea)) areas.push_back(member);
    return areas;
}

// The destination is the kernel's directory: a failure there is its fault.
uint32_t DestinationFailure(int err) {
    return err == ENOSPC || err == EDQUOT ? QMX2_REASON_INSUFFICIENT_DISK_SPACE : QMX2_REASON_INVALID_DIRECTORY;
}

// A missing area file is an empty area, not a fault. why: the failure in words.
uint32_t CopyArea(const std::string& state_dir, const std::string& dest, const AreaMember& area, std::string& why) {
    std::string bytes;
    const int err = ReadWholeFile(state_dir + "/config/" + area.file, bytes);
    if (err != 0 && err != ENOENT) {
        why = "Reading " + std::string(area.file) + " failed: " + std::strerror(err);
        return err == EACCES || err == EPERM ? QMX2_REASON_DEVICE_ACCESS_DENIED : QMX2_REASON_INTERNAL;
    }
    const int werr = WriteFileAtomic(dest + "/" + area.file, bytes);
    if (werr != 0)
        why = "Writing " + std::string(area.file) + " failed: " + std::strerror(werr);
    return werr == 0 ? 0 : DestinationFailure(werr);
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

std::string Description(const BoardState& board, const std::vector<AreaMember>& areas) {
    PackageDescription p;
    p.pack_type = PackType::kConfig;
    p.boards = {board.board};
    p.bios_version_text = board.bios_version;
    p.build_date = Today();
    for (const AreaMember& area : areas) p.areas |= area.area;
    return WritePackage(p);
}

}  // namespace

uint32_t ConfigurationBackupStep(const BoardState& board, const std::string& state_dir, std::string& record) {
    json j;
    int64_t step = 0;
    if (!ReadRecord(record, j, step)) return QMX2_REASON_INVALID_PARAMETERS;
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
    const std::vector<AreaMember> areas = AreasToWrite(j);

    // Every failure tells its cause: the kernel passes the text on as the job's error.
    auto failed = [&](uint32_t reason, const std::string& why) {
        j[qmx2key::sStatusInfo] = why;
        record = j.dump(4);
        return reason;
    };
    if (step == kStepAreas) {
        for (const AreaMember& area : areas) {
            std::string why;
            if (const uint32_t reason = CopyArea(state_dir, dest, area, why)) return failed(reason, why);
        }
        Answer(j, kStepDescription, 8000, "Writing package description",
               std::to_string(areas.size()) + " areas saved");
    } else {
        if (!faults.backup_without_bupinfo) {
            const int err = WriteFileAtomic(dest + "/BupInfo2.xml", Description(board, areas));
            if (err != 0)
                return failed(DestinationFailure(err), std::string("Writing BupInfo2.xml failed: ") + std::strerror(err));
        }
        Answer(j, EndStep(faults.end_with), 10000, "Configuration backup done", "Backup complete");
    }
    if (!faults.backup_rename.empty()) j[qmx2key::sDestName] = faults.backup_rename;
    record = j.dump(4);
    return 0;
}

}  // namespace qmxsim
