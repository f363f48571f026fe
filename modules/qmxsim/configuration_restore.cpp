#include "configuration_restore.h"

#include <sys/stat.h>

#include <cerrno>
#include <ctime>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "atomic_file.h"
#include "state_commit.h"
#include "operation_record.h"
#include "quillmark/qmx2.h"

namespace qmxsim {
namespace {

using nlohmann::json;

// Steps of the series; the kernel starts at 0.
constexpr int32_t kStepStart = 0;
constexpr int32_t kStepAreas = 1;

// What the kernel fetches between the calls: every area file, from the
// archive being restored. The location is written as the kernel writes it:
// its UPD_NEXT_FILE_* names joined by " | ".
constexpr const char kAreaPattern[] = "*.bin";
constexpr const char kFromCurrentArchive[] = "UPD_NEXT_FILE_CUR_BUP";

struct Area {
    const char* file;  // below config/, and as handed over
    const char* flag;  // the request's key that selects it
};

// The debug code is no configuration data and is never restored.
constexpr Area kAreas[] = {
    {"setup_settings.bin", qmx2key::SetupSettingsArea},
    {"password.bin", qmx2key::PasswordArea},
    {"logo.bin", qmx2key::LogoArea},
    {"boot_order.bin", qmx2key::BootOrderVariablesArea},
    {"system_data.bin", qmx2key::SystemDataArea},
};

// The areas the request selects; none selected means all of them.
std::vector<Area> SelectedAreas(const json& j) {
    std::vector<Area> selected;
    for (const Area& area : kAreas) {
        if (Flag(j, area.flag)) selected.push_back(area);
    }
    if (selected.empty()) selected.assign(std::begin(kAreas), std::end(kAreas));
    return selected;
}

uint32_t ReadFailure(int err) {
    return err == EACCES || err == EPERM ? QMX2_REASON_DEVICE_ACCESS_DENIED : QMX2_REASON_INVALID_FILE;
}

const char* Feedback(EndWith end) {
    switch (end) {
    case EndWith::kColdBoot: return "SD_ACTIVATE_CHANGES_COLD_BOOT";
    case EndWith::kPending: return "SD_OP_PENDING";
    case EndWith::kDone: break;
    }
    return "";
}

// Reads every selected area present in source, then commits them with the
// last action, so an unreadable file or a crash leaves the board untouched.
// Counts the areas written.
uint32_t RestoreAreas(const std::string& state_dir, const std::string& source, const std::vector<Area>& areas,
                      size_t& restored) {
    std::vector<std::pair<const Area*, std::string>> found;
    for (const Area& area : areas) {
        std::string bytes;
        const int err = ReadWholeFile(source + "/" + area.file, bytes);
        if (err == ENOENT) continue;
        if (err != 0) return ReadFailure(err);
        found.emplace_back(&area, std::move(bytes));
    }
    restored = found.size();
    if (found.empty()) return QMX2_REASON_FILE_NOT_FOUND;

    StateCommit commit(state_dir);
    for (const auto& [area, bytes] : found)
        if (const int err = commit.Add(std::string("config/") + area->file, bytes)) return WriteFailure(err);
    LastAction done;
    done.accepted = done.executed = UtcNow();
    std::string board_text;
    if (const int err = BoardFileText(state_dir, std::nullopt, done, board_text)) return WriteFailure(err);
    if (const int err = commit.Add(kBoardFile, board_text)) return WriteFailure(err);
    if (const int err = commit.Commit()) return WriteFailure(err);
    return 0;
}

}  // namespace

uint32_t ConfigurationRestoreStep(const BoardState& board, const std::string& state_dir, std::string& record) {
    json j;
    int64_t step = 0;
    if (!ReadRecord(record, j, step)) return QMX2_REASON_INVALID_PARAMETERS;

    if (!PasswordAccepted(board, j, step)) return QMX2_REASON_INVALID_PASSWORD;
    const Faults& faults = board.faults;
    if (faults.fail_at_step && step == *faults.fail_at_step) {
        j[qmx2key::sStatusInfo] = "Restore failed at step " + std::to_string(step);
        record = j.dump(4);
        return faults.fail_reason;
    }

    if (step == kStepStart) {
        if (faults.cancel) {
            Answer(j, QMX2_SEQ_CANCELLED, 0, "Restore cancelled", "Nothing was changed");
        } else {
            Answer(j, kStepAreas, 1000, "Fetching configuration areas", "");
            j[qmx2key::sNextFile] = kAreaPattern;
            j[qmx2key::NextFileLoc] = kFromCurrentArchive;
        }
        record = j.dump(4);
        return 0;
    }
    if (step != kStepAreas) return QMX2_REASON_INVALID_PARAMETERS;

    const json source_value = j.value(qmx2key::sSourcePath, json());
    if (!source_value.is_string() || source_value.get<std::string>().empty()) return QMX2_REASON_INVALID_PARAMETERS;
    const std::string source = source_value.get<std::string>();
    if (!IsDirectory(source)) return QMX2_REASON_INVALID_DIRECTORY;

    size_t restored = 0;
    if (const uint32_t reason = RestoreAreas(state_dir, source, SelectedAreas(j), restored)) {
        if (reason == QMX2_REASON_FILE_NOT_FOUND) {
            j[qmx2key::sStatusInfo] = "No configuration area file to restore in " + source;
            record = j.dump(4);
        }
        return reason;
    }

    Answer(j, QMX2_SEQ_DONE, 10000, "Configuration restore done",
           std::to_string(restored) + (restored == 1 ? " area restored" : " areas restored"));
    j[qmx2key::sNextFile] = "";
    j[qmx2key::sFeedback] = Feedback(faults.end_with);
    record = j.dump(4);
    return 0;
}

}  // namespace qmxsim
