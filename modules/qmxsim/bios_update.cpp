#include "bios_update.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "atomic_file.h"
#include "crash_point.h"
#include "flash_checksum.h"
#include "state_commit.h"
#include "bup_document.h"
#include "bup_package.h"
#include "file_stream.h"
#include "operation_record.h"
#include "quillmark/qmx2.h"

namespace qmxsim {
namespace {

using nlohmann::json;

// Steps of the series; the kernel starts at 0. All stay clear of the values
// that end a series (10000 to 10010, -10000).
constexpr int32_t kStepStart = 0;
constexpr int32_t kStepDescription = 1;
constexpr int32_t kStepFirstBlock = 2;  // 2 + n: block n of the image
constexpr int32_t kBlocks = 4;
constexpr int32_t kStepFirstPart = 1000;  // 1000 + n: part n handed over
constexpr int32_t kMaxParts = 1000;
constexpr int32_t kStepFirstArea = 2000;  // 2000 + n: area file n handed over
constexpr int32_t kStepCommit = 3000;

constexpr const char kDescriptionFile[] = "BupInfo2.xml";
constexpr const char kFromCurrentPackage[] = "UPD_NEXT_FILE_CUR_BUP";
// The image grows here block by block; the commit renames it over the flash.
constexpr const char kStagingFile[] = "flash.staging";
constexpr const char kFlashFile[] = "flash.bin";

struct ConfigArea {
    unsigned bit;      // in PackageDescription::areas
    const char* file;  // below config/, and as asked for from the package
    const char* flag;  // the request's key that selects it
};

// Same files and order as the restore; the debug code is never written.
constexpr ConfigArea kConfigAreas[] = {
    {kAreaSetup, "setup_settings.bin", qmx2key::SetupSettingsArea},
    {kAreaPassword, "password.bin", qmx2key::PasswordArea},
    {kAreaLogo, "logo.bin", qmx2key::LogoArea},
    {kAreaBootOrder, "boot_order.bin", qmx2key::BootOrderVariablesArea},
    {kAreaSystemData, "system_data.bin", qmx2key::SystemDataArea},
};

enum class Kind { kBlock, kPart, kArea, kCommit };

struct Step {
    int32_t seq;
    Kind kind;
    size_t index;          // block, part or area number
    std::string fetch;     // what the answer before this step asks for; empty: nothing
    std::string location;  // where the kernel looks for it
};

// What one update does, worked out afresh on each call from the package's
// description and the request, since nothing is kept between calls.
struct Plan {
    PackageDescription package;
    bool write_image = false;  // parts go with the image
    std::vector<const ConfigArea*> areas;
    std::vector<Step> steps;  // after the description, commit last
};

// A refusal: the reason and, when not empty, what "sStatusInfo" says.
struct Refusal {
    uint32_t reason = 0;
    std::string why;
};

Refusal Refuse(uint32_t reason, std::string why = {}) {
    return {reason, std::move(why)};
}

Refusal HandedOverFailure(int err, const std::string& name, const char* what) {
    const std::string quoted = std::string(what) + " '" + name + "'";
    if (err == ENOENT) return Refuse(QMX2_REASON_INVALID_FILE, quoted + " is missing");
    if (err == EACCES || err == EPERM) return Refuse(QMX2_REASON_DEVICE_ACCESS_DENIED, quoted + " may not be read");
    return Refuse(QMX2_REASON_INVALID_FILE, quoted + " cannot be read");
}

// Reads a file the kernel handed over; what names it in the refusal.
Refusal ReadHandedOver(const std::string& source, const std::string& name, const char* what, std::string& out) {
    const int err = ReadWholeFile(source + "/" + name, out);
    return err == 0 ? Refusal{} : HandedOverFailure(err, name, what);
}

// A descriptor that closes itself.
struct Fd {
    int fd = -1;
    Fd() = default;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// All files of a run land in one transfer directory, so a member named like
// another file there would replace it; the kernel may match names without
// regard to case, and takes "*" and "?" as wildcards.
Refusal CheckMemberNames(const PackageDescription& package) {
    std::vector<std::string> taken = {Lower(kDescriptionFile)};
    for (const ConfigArea& area : kConfigAreas) taken.push_back(area.file);
    std::vector<std::string> members = {package.image};
    members.insert(members.end(), package.parts.begin(), package.parts.end());
    for (const std::string& name : members) {
        if (name.find_first_of("*?") != std::string::npos)
            return Refuse(QMX2_REASON_INVALID_FILE, "member '" + name + "' would be taken as a pattern");
        const std::string key = Lower(name);
        for (const std::string& other : taken)
            if (other == key) return Refuse(QMX2_REASON_INVALID_FILE, "member '" + name + "' is named twice");
        taken.push_back(key);
    }
    return {};
}

Refusal ReadDescription(const BoardState& board, const std::string& source, PackageDescription& package) {
    std::string bytes;
    if (Refusal r = ReadHandedOver(source, kDescriptionFile, "package description", bytes); r.reason) return r;
    XmlElement root;
    std::string why;
    if (!ParseXml(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), root, &why) ||
        root.name != "bupinfo2" || !ReadPackage(root, package, &why) || package.consistency == Consistency::kDamaged)
        return Refuse(QMX2_REASON_INVALID_FILE, "package description is damaged" + (why.empty() ? "" : ": " + why));
    if (package.pack_type != PackType::kBios)
        return Refuse(QMX2_REASON_INVALID_FILE, "package is no BIOS package");
    bool fits = false;
    for (const std::string& name : package.boards) fits |= name == board.board;
    if (!fits) return Refuse(QMX2_REASON_INVALID_FILE, "package is not for board " + board.board);
    if (package.secure_platform && !board.secure_platform)
        return Refuse(QMX2_REASON_INVALID_FILE, "package needs a secure platform");
    if (!(package.areas & kAreaBios) || package.image.empty())
        return Refuse(QMX2_REASON_INVALID_FILE, "package carries no BIOS image");
    if (package.parts.size() > static_cast<size_t>(kMaxParts))
        return Refuse(QMX2_REASON_INVALID_FILE, "package has more than 1000 parts");
    return CheckMemberNames(package);
}

// The areas the request selects among those the package carries; a request
// that selects none means everything carried.
Refusal MakePlan(const BoardState& board, const json& request, const std::string& source, Plan& plan) {
    if (Refusal r = ReadDescription(board, source, plan.package); r.reason) return r;
    const PackageDescription& package = plan.package;

    bool any = Flag(request, qmx2key::BiosCodeArea);
    for (const ConfigArea& area : kConfigAreas) any |= Flag(request, area.flag);
    plan.write_image = !any || Flag(request, qmx2key::BiosCodeArea);
    for (const ConfigArea& area : kConfigAreas) {
        if ((package.areas & area.bit) && (!any || Flag(request, area.flag))) plan.areas.push_back(&area);
    }
    if (!plan.write_image && plan.areas.empty())
        return Refuse(QMX2_REASON_INVALID_PARAMETERS, "package carries none of the selected areas");

    if (plan.write_image) {
        for (int32_t n = 0; n < kBlocks; ++n)
            plan.steps.push_back({kStepFirstBlock + n, Kind::kBlock, static_cast<size_t>(n),
                                  n == 0 ? package.image : "", kFromCurrentPackage});
        for (size_t n = 0; n < package.parts.size(); ++n)
            plan.steps.push_back({kStepFirstPart + static_cast<int32_t>(n), Kind::kPart, n, package.parts[n],
                                  board.part_location});
    }
    for (size_t n = 0; n < plan.areas.size(); ++n)
        plan.steps.push_back({kStepFirstArea + static_cast<int32_t>(n), Kind::kArea, n, plan.areas[n]->file,
                              kFromCurrentPackage});
    plan.steps.push_back({kStepCommit, Kind::kCommit, 0, "", ""});
    return {};
}

bool KnownStep(int64_t step) {
    return step == kStepDescription || (step >= kStepFirstBlock && step < kStepFirstBlock + kBlocks) ||
           (step >= kStepFirstPart && step < kStepFirstPart + kMaxParts) ||
           (step >= kStepFirstArea && step < kStepFirstArea + static_cast<int64_t>(std::size(kConfigAreas))) ||
           step == kStepCommit;
}

// Opens the image handed over; it is never read whole, only streamed.
Refusal OpenImage(const std::string& source, const std::string& name, Fd& image, off_t& size) {
    image.fd = ::open((source + "/" + name).c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (image.fd < 0 || ::fstat(image.fd, &st) != 0) return HandedOverFailure(errno, name, "image");
    if (!S_ISREG(st.st_mode)) return Refuse(QMX2_REASON_INVALID_FILE, "image '" + name + "' cannot be read");
    if (st.st_size == 0) return Refuse(QMX2_REASON_INVALID_FILE, "image '" + name + "' is empty");
    size = st.st_size;
    return {};
}

// Appends block n of the image to the staging file, which must hold exactly
// the blocks before it; block 0 starts it afresh.
Refusal WriteBlock(const std::string& state_dir, const std::string& source, const std::string& name, size_t n) {
    Fd image;
    off_t size = 0;
    if (Refusal r = OpenImage(source, name, image, size); r.reason) return r;
    const off_t begin = size * static_cast<off_t>(n) / kBlocks;
    const off_t end = size * static_cast<off_t>(n + 1) / kBlocks;
    const std::string staging = state_dir + "/" + kStagingFile;
    // Block 0 starts a new file, never one found at the name; the rest append to it.
    CrashPoint();
    if (n == 0 && ::unlink(staging.c_str()) != 0 && errno != ENOENT) return Refuse(WriteFailure(errno));
    CrashPoint();
    const int flags = O_WRONLY | O_CLOEXEC | O_NOFOLLOW | (n == 0 ? O_CREAT | O_EXCL : O_APPEND);
    Fd out(::open(staging.c_str(), flags, 0644));
    if (out.fd < 0 && n > 0 && errno == ENOENT)
        return Refuse(QMX2_REASON_INVALID_PARAMETERS, "block " + std::to_string(n + 1) + " does not follow the blocks written");
    if (out.fd < 0) return Refuse(WriteFailure(errno));
    struct stat st {};
    if (::fstat(out.fd, &st) != 0) return Refuse(WriteFailure(errno));
    if (st.st_size != begin)
        return Refuse(QMX2_REASON_INVALID_PARAMETERS, "block " + std::to_string(n + 1) + " does not follow the blocks written");
    CrashPoint();
    const int err = AppendRange(image.fd, begin, end, out.fd);
    if (err == ENODATA) return Refuse(QMX2_REASON_INVALID_FILE, "image '" + name + "' changed during the update");
    if (err != 0) return Refuse(WriteFailure(err));
    return {};
}

// The staging file must hold the image as it is now, byte for byte, and be on
// disk before it is renamed over the flash.
Refusal StagingCheck(const std::string& staging, const std::string& source, const std::string& name) {
    Fd image;
    off_t size = 0;
    if (Refusal r = OpenImage(source, name, image, size); r.reason) return r;
    Fd staged(::open(staging.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    struct stat st {};
    if (staged.fd < 0 && errno != ENOENT) return Refuse(WriteFailure(errno));
    if (staged.fd < 0 || ::fstat(staged.fd, &st) != 0 || st.st_size != size)
        return Refuse(QMX2_REASON_INVALID_PARAMETERS, "the image has not been written in full");
    bool same = false;
    if (const int err = SameBytes(image.fd, staged.fd, same)) return Refuse(WriteFailure(err));
    if (!same) return Refuse(QMX2_REASON_INVALID_FILE, "image '" + name + "' changed during the update");
    if (::fsync(staged.fd) != 0) return Refuse(WriteFailure(errno));
    return {};
}

// Reads everything first, so a file missing at the end changes nothing;
// then parts, areas, the flash and board.json move to the new state together.
Refusal Commit(const BoardState& board, const std::string& state_dir, const std::string& source, const Plan& plan) {
    std::vector<std::pair<std::string, std::string>> parts, areas;
    const std::string staging = state_dir + "/" + kStagingFile;
    if (plan.write_image) {
        if (Refusal r = StagingCheck(staging, source, plan.package.image); r.reason) return r;
        for (const std::string& name : plan.package.parts) {
            std::string bytes;
            if (Refusal r = ReadHandedOver(source, name, "part", bytes); r.reason) return r;
            parts.emplace_back(name, std::move(bytes));
        }
    }
    for (const ConfigArea* area : plan.areas) {
        std::string bytes;
        if (Refusal r = ReadHandedOver(source, area->file, "area file", bytes); r.reason) return r;
        areas.emplace_back(area->file, std::move(bytes));
    }

    StateCommit commit(state_dir);
    for (const auto& [name, bytes] : parts)
        if (const int err = commit.Add(std::string("parts/") + name, bytes)) return Refuse(WriteFailure(err));
    for (const auto& [name, bytes] : areas)
        if (const int err = commit.Add(std::string("config/") + name, bytes)) return Refuse(WriteFailure(err));
    std::optional<FlashRecord> flash;
    if (plan.write_image) {
        flash.emplace();
        flash->bios_version = plan.package.bios_version_text;
        flash->parts = plan.package.parts;
        if (const int err = FlashChecksum(staging, flash->checksum)) return Refuse(WriteFailure(err));
        flash->identity = FlashIdentity(staging);
        if (const int err = commit.AddFile(kFlashFile, staging)) return Refuse(WriteFailure(err));
    }
    LastAction done;
    done.accepted = UtcNow();
    // A cold boot or a pending operation has yet to take effect.
    if (board.faults.end_with == EndWith::kDone) done.executed = done.accepted;
    std::string board_text;
    if (const int err = BoardFileText(state_dir, flash, done, board_text)) return Refuse(WriteFailure(err));
    if (const int err = commit.Add(kBoardFile, board_text)) return Refuse(WriteFailure(err));
    if (const int err = commit.Commit()) return Refuse(WriteFailure(err));
    return {};
}

// Checks that a part or area file has arrived; it is written only at the commit.
Refusal CheckArrived(const std::string& source, const Step& step) {
    std::string bytes;
    return ReadHandedOver(source, step.fetch, step.kind == Kind::kPart ? "part" : "area file", bytes);
}

void Answer(json& j, int32_t seq, uint32_t progress, const std::string& part, const std::string& status,
            const std::string& next_file, const std::string& location) {
    qmxsim::Answer(j, seq, progress, part, status);
    // Old values may linger from an earlier job, so both are always set.
    j[qmx2key::sNextFile] = next_file;
    j[qmx2key::NextFileLoc] = next_file.empty() ? "" : location;
}

// Rises with each step: the description counts as one, the commit is 10000.
uint32_t Progress(size_t done, size_t total) {
    return static_cast<uint32_t>(200 + 9600 * done / total);
}

std::string PartInfo(Kind kind) {
    switch (kind) {
    case Kind::kBlock: return "Writing BIOS image";
    case Kind::kPart: return "Fetching parts";
    case Kind::kArea: return "Fetching configuration areas";
    case Kind::kCommit: break;
    }
    return "BIOS update done";
}

std::string StatusInfo(const Plan& plan, const Step& step) {
    switch (step.kind) {
    case Kind::kBlock: return "block " + std::to_string(step.index + 1) + " of " + std::to_string(kBlocks);
    case Kind::kPart:
        return "part '" + step.fetch + "' received (" + std::to_string(step.index + 1) + " of " +
               std::to_string(plan.package.parts.size()) + ")";
    case Kind::kArea: return "area file '" + step.fetch + "' received";
    case Kind::kCommit: break;
    }
    if (plan.write_image) return "BIOS updated to " + plan.package.bios_version_text;
    const size_t n = plan.areas.size();
    return std::to_string(n) + (n == 1 ? " configuration area updated" : " configuration areas updated");
}

// Any call after the start: works out the plan, carries out its step and
// answers with the next one.
Refusal Continue(const BoardState& board, const std::string& state_dir, int64_t seq, json& j) {
    if (!KnownStep(seq)) return Refuse(QMX2_REASON_INVALID_PARAMETERS);
    const json source_value = j.value(qmx2key::sSourcePath, json());
    // Empty when the kernel found none of the files asked for so far.
    if (!source_value.is_string() || source_value.get<std::string>().empty())
        return Refuse(QMX2_REASON_INVALID_PARAMETERS, "no files were handed over");
    const std::string source = source_value.get<std::string>();
    if (!IsDirectory(source)) return Refuse(QMX2_REASON_INVALID_DIRECTORY, source + " is no directory");

    Plan plan;
    if (Refusal r = MakePlan(board, j, source, plan); r.reason) return r;
    const size_t total = plan.steps.size() + 1;
    if (seq == kStepDescription) {
        const Step& next = plan.steps.front();
        Answer(j, next.seq, Progress(1, total), "Checking the package",
               "package for BIOS " + plan.package.bios_version_text + " accepted", next.fetch, next.location);
        return {};
    }

    size_t i = 0;
    while (i < plan.steps.size() && plan.steps[i].seq != seq) ++i;
    if (i == plan.steps.size()) return Refuse(QMX2_REASON_INVALID_PARAMETERS);
    const Step& step = plan.steps[i];
    Refusal r;
    switch (step.kind) {
    case Kind::kBlock: r = WriteBlock(state_dir, source, plan.package.image, step.index); break;
    case Kind::kPart:
    case Kind::kArea: r = CheckArrived(source, step); break;
    case Kind::kCommit: r = Commit(board, state_dir, source, plan); break;
    }
    if (r.reason) return r;

    if (step.kind == Kind::kCommit) {
        Answer(j, EndStep(board.faults.end_with), 10000, PartInfo(step.kind), StatusInfo(plan, step), "", "");
    } else {
        const Step& next = plan.steps[i + 1];
        Answer(j, next.seq, Progress(i + 2, total), PartInfo(step.kind), StatusInfo(plan, step), next.fetch,
               next.location);
    }
    return {};
}

}  // namespace

uint32_t BiosUpdateStep(const BoardState& board, const std::string& state_dir, std::string& record) {
    json j;
    int64_t step = 0;
    if (!ReadRecord(record, j, step)) return QMX2_REASON_INVALID_PARAMETERS;
    if (!PasswordAccepted(board, j, step)) return QMX2_REASON_INVALID_PASSWORD;

    Refusal refusal;
    const Faults& faults = board.faults;
    if (faults.fail_at_step && step == *faults.fail_at_step) {
        refusal = Refuse(faults.fail_reason, "BIOS update failed at step " + std::to_string(step));
    } else if (step == kStepStart) {
        if (faults.cancel) {
            Answer(j, QMX2_SEQ_CANCELLED, 0, "BIOS update cancelled", "Nothing was changed", "", "");
        } else {
            Answer(j, kStepDescription, 200, "Fetching the package description", "", kDescriptionFile,
                   kFromCurrentPackage);
        }
    } else {
        json answer = j;
        refusal = Continue(board, state_dir, step, answer);
        if (!refusal.reason) j = std::move(answer);
    }

    if (refusal.reason) {
        // A failed update leaves no half-written image behind.
        if (step != kStepStart) ::unlink((state_dir + "/" + kStagingFile).c_str());
        if (refusal.why.empty()) return refusal.reason;
        j[qmx2key::sStatusInfo] = refusal.why;
    }
    record = j.dump(4);
    return refusal.reason;
}

}  // namespace qmxsim
