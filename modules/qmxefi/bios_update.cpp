#include "bios_update.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <nlohmann/json.hpp>

#include "boot_config.h"
#include "bup_description.h"
#include "capsule_header.h"
#include "dmi_identity.h"
#include "efivars.h"
#include "file_io.h"
#include "last_action.h"
#include "operation_record.h"
#include "pending_file.h"
#include "power_supply.h"

namespace qmxefi {

namespace {

using nlohmann::json;

constexpr int32_t kStepStart = 0;
constexpr int32_t kStepDescription = 1;
constexpr int32_t kStepHandOver = 2;

constexpr const char kDescriptionFile[] = "BupInfo2.xml";
constexpr const char kFromCurrentPackage[] = "UPD_NEXT_FILE_CUR_BUP";

std::string ErrnoText(int err) { return std::string(std::strerror(err)) + " (errno " + std::to_string(err) + ")"; }

// What must hold before anything is handed over, checked at the start and again just before.
Refusal MachineReady(const RootPath& root) {
    if (!LoaderPresent(root))
        return Refuse(QMX2_REASON_UNSUPPORTED_OS,
                      "No capsule loader at " + root(kCapsuleLoader) + ": load the kernel module efi_capsule_loader",
                      kDetailNoCapsuleLoader);
    if (ReadPowerSource(root) == PowerSource::kBattery)
        return Refuse(QMX2_REASON_INTERNAL, "The machine runs on battery power: connect it to mains power and try again",
                      kDetailOnBattery);
    if (!IsDirectory(root(kEfivarsDir)))
        return Refuse(QMX2_REASON_INTERNAL, "UEFI variables are not available at " + root(kEfivarsDir),
                      kDetailBootConfig);
    return {};
}

Refusal OnlyBiosCode(const json& j) {
    for (const char* key : {qmx2key::SystemDataArea, qmx2key::SetupSettingsArea, qmx2key::LogoArea,
                            qmx2key::PasswordArea, qmx2key::BootOrderVariablesArea})
        if (Flag(j, key))
            return Refuse(QMX2_REASON_NOT_IMPLEMENTED, std::string("This board updates the BIOS code only, not ") + key,
                          kDetailAreaNotSupported);
    return {};
}

Refusal SourceDirectory(const json& j, std::string& source) {
    source = Text(j, qmx2key::sSourcePath);
    if (source.empty()) return Refuse(QMX2_REASON_INVALID_PARAMETERS, "no files were handed over");
    if (!IsDirectory(source)) return Refuse(QMX2_REASON_INVALID_DIRECTORY, source + " is no directory");
    return {};
}

// The description the kernel extracted, for this machine, naming its capsule.
Refusal ReadPackage(const std::string& source, const Identity& machine, Description& d) {
    std::string bytes;
    if (const int err = ReadWholeFile(source + "/" + kDescriptionFile, bytes))
        return Refuse(err == EACCES || err == EPERM ? QMX2_REASON_DEVICE_ACCESS_DENIED : QMX2_REASON_INVALID_FILE,
                      std::string("package description cannot be read: ") + std::strerror(err));
    std::string why;
    if (ReadDescription(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), d, &why) != ReadOutcome::kOk)
        return Refuse(QMX2_REASON_INVALID_FILE, "package description is damaged: " + why);
    if (d.pack_type != PackType::kBios) return Refuse(QMX2_REASON_INVALID_FILE, "package is no BIOS package");
    if (std::none_of(d.boards.begin(), d.boards.end(), [&](const std::string& b) { return NamesThisMachine(machine, b); }))
        return Refuse(QMX2_REASON_INVALID_FILE, "package is not for board " + SystemName(machine));
    if (!(d.areas & kAreaBios) || d.image.empty())
        return Refuse(QMX2_REASON_INVALID_FILE, "package carries no BIOS image");
    if (d.image == kDescriptionFile) return Refuse(QMX2_REASON_INVALID_FILE, "the image is named like the description");
    return {};
}

// Saves the boot configuration, then hands the capsule over; a failed hand-over
// takes the pending file back, since no update will follow.
Refusal HandOver(const RootPath& root, const Identity& machine, const Description& d, const std::string& capsule,
                 int wait_ms, const LoaderOps& ops) {
    PendingBoot pending;
    if (BootResult r = CaptureBootConfig(root, pending.variables); r.err)
        return Refuse(QMX2_REASON_INTERNAL, "boot configuration cannot be saved: " + r.why, kDetailBootConfig);
    pending.created = UtcNow();
    pending.board = SystemName(machine);
    pending.bios_version_before = machine.bios_version;
    pending.bios_version_expected = d.bios_version_text;
    if (const int err = WritePending(root, pending))
        return Refuse(WriteFailure(err), "boot configuration cannot be saved to " + root(kPendingFile) + ": " + ErrnoText(err),
                      kDetailBootConfig);
    const HandOverResult h = HandOverCapsule(root, capsule, wait_ms, ops);
    if (h.err == 0) return {};
    ::unlink(root(kPendingFile).c_str());
    if (h.step == "read")
        return Refuse(QMX2_REASON_INVALID_FILE, "image '" + d.image + "' cannot be read: " + ErrnoText(h.err));
    const uint32_t reason = h.err == EACCES || h.err == EPERM ? QMX2_REASON_DEVICE_ACCESS_DENIED : QMX2_REASON_INTERNAL;
    return Refuse(reason, "capsule loader failed on " + h.step + ": " + ErrnoText(h.err), kDetailLoaderRefused);
}

Refusal Continue(const RootPath& root, int64_t step, json& j, int wait_ms, const LoaderOps& ops,
                 std::string& expected) {
    if (step != kStepDescription && step != kStepHandOver) return Refuse(QMX2_REASON_INVALID_PARAMETERS);
    std::string source;
    if (Refusal r = SourceDirectory(j, source); r.reason) return r;
    const Identity machine = ReadIdentity(root);
    Description d;
    if (Refusal r = ReadPackage(source, machine, d); r.reason) return r;
    expected = d.bios_version_text;
    if (step == kStepDescription) {
        Answer(j, kStepHandOver, 3000, "Checking the package", "package for BIOS " + d.bios_version_text + " accepted",
               d.image, kFromCurrentPackage);
        return {};
    }
    CapsuleHeader header;
    const std::string capsule = source + "/" + d.image;
    if (const std::string problem = CheckCapsuleFile(capsule, header); !problem.empty())
        return Refuse(QMX2_REASON_INVALID_FILE, "image '" + d.image + "' " + problem, kDetailBadCapsule);
    if (Refusal r = MachineReady(root); r.reason) return r;
    if (Refusal r = HandOver(root, machine, d, capsule, wait_ms, ops); r.reason) return r;
    Answer(j, QMX2_SEQ_DONE_COLD_BOOT_FIRST, 10000, "Capsule handed to the firmware",
           "BIOS " + d.bios_version_text + " is applied at the next restart");
    return {};
}

void Record(const RootPath& root, uint32_t status, const std::string& text, const std::string& expected) {
    LastAction a;
    a.action = "BIOS update";
    a.status = status;
    a.text = text;
    a.accepted = UtcNow();
    a.expected_bios_version = status == 0 ? expected : "";
    WriteLastAction(root, a);  // the update's outcome does not hang on its record
}

}  // namespace

uint32_t BiosUpdateStep(const RootPath& root, std::string& record, int wait_ms, const LoaderOps& ops) {
    json j;
    int64_t step = 0;
    if (!ReadRecord(record, j, step)) return Error(QMX2_OP_DO_BIOS_UPDATE, QMX2_REASON_INVALID_PARAMETERS);
    json answer = j;
    Refusal r = OnlyBiosCode(j);
    std::string expected;
    if (r.reason == 0 && step == kStepStart) {
        r = MachineReady(root);
        if (r.reason == 0)
            Answer(answer, kStepDescription, 1000, "Fetching the package description", "", kDescriptionFile,
                   kFromCurrentPackage);
    } else if (r.reason == 0) {
        r = Continue(root, step, answer, wait_ms, ops, expected);
    }
    const uint32_t status = Finish(QMX2_OP_DO_BIOS_UPDATE, r, j, answer, record);
    if (step == kStepHandOver || (r.reason && step != kStepStart))
        Record(root, status, r.reason ? r.why : Text(answer, qmx2key::sStatusInfo), expected);
    return status;
}

}  // namespace qmxefi
