// The simulated board as kept in its state directory (format: README.md).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "quillmark/qmx2.h"

namespace qmxsim {

// Used when $QMXSIM_STATE is unset or empty.
constexpr const char kDefaultStateDir[] = "/opt/fleetmon/quillmark/sim";
constexpr const char kBoardFile[] = "board.json";
// In the order the kernel reads the names.
constexpr const char kDefaultPartLocation[] =
    "UPD_NEXT_FILE_COMMON_BUP | UPD_NEXT_FILE_CUR_DIR | UPD_NEXT_FILE_CUR_BUP";

// $QMXSIM_STATE, or kDefaultStateDir.
std::string StateDirectory();

// The capability flags reported as module information, named like its keys.
struct Capabilities {
    bool fBiosUpdate = true;
    bool fBiosShutdownForUpdate = false;
    bool fConfigurationBackup = true;
    bool fConfigurationRestore = true;
    bool fProgressInfo = true;
    bool fDetailInfo = false;
    bool fListBupInfo = false;
    bool fGetGenericModuleInfo = true;
    bool fUpdateLogo = true;
};

// Each flag with its key, in board.json as in the module information.
using CapabilityField = std::pair<const char*, bool Capabilities::*>;
extern const std::array<CapabilityField, 9> kCapabilityFields;

// How a successful update or restore reports its end.
enum class EndWith { kDone, kColdBoot, kPending };

// Switches that make the board misbehave on purpose, for tests and demos.
struct Faults {
    uint32_t install_refuse_reason = 0;   // 0: install normally
    uint32_t check_refuse_reason = 0;     // 0: judge packages normally
    std::optional<int32_t> fail_at_step;  // iSeq at which an operation fails
    uint32_t fail_reason = QMX2_REASON_INTERNAL;
    bool cancel = false;                  // operations end with QMX2_SEQ_CANCELLED
    EndWith end_with = EndWith::kDone;
    bool backup_without_bupinfo = false;  // a backup leaves out its BupInfo2.xml
    std::string backup_rename;            // not empty: a backup answers with this "sDestName"
};

struct LastAction {
    uint32_t status = 0;
    std::string accepted;  // when the action was accepted, UTC "YYYY-MM-DDTHH:MM:SSZ"; empty: never
    std::string executed;  // when it took effect; empty: not yet
};

struct BoardState {
    std::string board = "QMXSIM";
    std::string bios_version = "1.00";
    std::string bios_build_date;
    std::string me_firmware_version;
    std::string bios_id;
    std::string sign_on;
    std::string code_name;
    std::string bios_interface_version;
    Capabilities capabilities;
    bool require_root = false;
    bool secure_platform = true;  // packages that ask for one are refused otherwise
    std::string bios_password;  // empty: the BIOS has no password
    // Where an update lets the kernel look for the package's parts, as
    // "NextFileLoc": UPD_NEXT_FILE_* names joined by " | ".
    std::string part_location = kDefaultPartLocation;
    Faults faults;
    LastAction last_action;
};

enum class LoadResult {
    kOk,
    kNoDirectory,   // the state directory does not exist: no simulated board here
    kBadBoardFile,  // board.json cannot be read, is not JSON or holds a wrong value
};

// Reads dir/board.json over the defaults; a missing file leaves all defaults.
// On kBadBoardFile, why (when given) says what is wrong.
LoadResult LoadBoard(const std::string& dir, BoardState& out, std::string* why = nullptr);

// What an update commits about the flash: the version it holds, the
// checksum of its image and the parts that came with it.
struct FlashRecord {
    std::string bios_version;
    std::string checksum;
    std::vector<std::string> parts;
    std::string identity;  // FlashIdentity of the image as committed; "" makes installs read it
};
constexpr const char kFlashKey[] = "flash";

// The text dir/board.json is to hold after a job: "last_action" and, when
// given, "bios_version" and the flash record replaced, every other key kept.
// Returns 0 or the errno of the failure (EINVAL: the file holds no JSON object).
int BoardFileText(const std::string& dir, const std::optional<FlashRecord>& flash, const LastAction& action,
                  std::string& out);

// Why the state does not hold what board.json records (an image with another
// checksum, a part missing); "" when it does or nothing is recorded.
std::string StateDamage(const std::string& dir);

}  // namespace qmxsim
