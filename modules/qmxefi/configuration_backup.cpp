#include "configuration_backup.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <nlohmann/json.hpp>

#include "boot_config.h"
#include "bup_description.h"
#include "dmi_identity.h"
#include "file_io.h"
#include "operation_record.h"

namespace qmxefi {

namespace {

using nlohmann::json;

constexpr int32_t kStepStart = 0;
constexpr int32_t kStepVariables = 1;
constexpr int32_t kStepDescription = 2;

// The destination is the kernel's transfer folder: a failure there is its fault.
uint32_t DestinationFailure(int err) {
    return err == ENOSPC || err == EDQUOT ? QMX2_REASON_INSUFFICIENT_DISK_SPACE : QMX2_REASON_INVALID_DIRECTORY;
}

Refusal Variables(const RootPath& root, const std::string& dest, json& j) {
    std::vector<EfiVariable> vars;
    if (BootResult r = CaptureBootConfig(root, vars); r.err) {
        const uint32_t reason = r.err == EACCES || r.err == EPERM ? QMX2_REASON_DEVICE_ACCESS_DENIED : QMX2_REASON_INTERNAL;
        return Refuse(reason, r.why, kDetailBootConfig);
    }
    for (const EfiVariable& v : vars)
        if (const int err = WriteFileAtomic(dest + "/" + v.FileName() + kMemberSuffix, v.Bytes()))
            return Refuse(DestinationFailure(err), v.name + " cannot be written: " + std::strerror(err));
    Answer(j, kStepDescription, 8000, "Writing the package description",
           std::to_string(vars.size()) + (vars.size() == 1 ? " boot variable saved" : " boot variables saved"));
    return {};
}

Refusal DescriptionFile(const RootPath& root, const std::string& dest, json& j) {
    const Identity machine = ReadIdentity(root);
    const std::string board = machine.board_name.empty() ? machine.product_name : machine.board_name;
    if (board.empty() || machine.bios_version.empty())
        return Refuse(QMX2_REASON_INTERNAL, "the firmware reports no board name or BIOS version");
    if (const int err = WriteFileAtomic(dest + "/BupInfo2.xml", ConfigDescription(board, machine.bios_version, Today())))
        return Refuse(DestinationFailure(err), std::string("BupInfo2.xml cannot be written: ") + std::strerror(err));
    Answer(j, QMX2_SEQ_DONE, 10000, "Configuration backup done", "Boot configuration saved");
    return {};
}

Refusal Step(const RootPath& root, int64_t step, json& j) {
    if (Flag(j, qmx2key::DebugCodeArea))
        return Refuse(QMX2_REASON_NOT_IMPLEMENTED, "This board has no debug code to save", kDetailAreaNotSupported);
    if (step == kStepStart) {
        // The kernel fills in the destination only after this first call.
        if (!IsDirectory(root(kEfivarsDir)))
            return Refuse(QMX2_REASON_INTERNAL, "UEFI variables are not available at " + root(kEfivarsDir),
                          kDetailBootConfig);
        Answer(j, kStepVariables, 500, "Reading the boot configuration", "");
        return {};
    }
    if (step != kStepVariables && step != kStepDescription) return Refuse(QMX2_REASON_INVALID_PARAMETERS);
    const std::string dest = Text(j, qmx2key::sDestPath);
    if (dest.empty()) return Refuse(QMX2_REASON_INVALID_PARAMETERS);
    if (!IsDirectory(dest)) return Refuse(QMX2_REASON_INVALID_DIRECTORY);
    return step == kStepVariables ? Variables(root, dest, j) : DescriptionFile(root, dest, j);
}

}  // namespace

uint32_t ConfigurationBackupStep(const RootPath& root, std::string& record) {
    json j;
    int64_t step = 0;
    if (!ReadRecord(record, j, step)) return Error(QMX2_OP_GENERIC, QMX2_REASON_INVALID_PARAMETERS);
    json answer = j;
    const Refusal r = Step(root, step, answer);
    return Finish(QMX2_OP_GENERIC, r, j, answer, record);
}

}  // namespace qmxefi
