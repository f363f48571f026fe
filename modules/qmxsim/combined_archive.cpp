#include "combined_archive.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "atomic_file.h"
#include "operation_record.h"
#include "bup_document.h"
#include "bup_package.h"
#include "quillmark/qmx2.h"

namespace qmxsim {
namespace {

using nlohmann::json;

constexpr char kDescriptionFile[] = "BupInfo2.xml";

// Why the package cannot be made; the text goes to "sStatusInfo".
struct Refused {
    uint32_t reason;
    std::string why;
};

[[noreturn]] void Refuse(uint32_t reason, std::string why) {
    throw Refused{reason, std::move(why)};
}

std::string Folder(const json& j, const char* key) {
    auto it = j.find(key);
    if (it == j.end() || !it->is_string() || it->get<std::string>().empty())
        Refuse(QMX2_REASON_INVALID_PARAMETERS, std::string(key) + " must name a folder");
    return it->get<std::string>();
}

void RequireDirectory(const std::string& path, const char* key) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        Refuse(QMX2_REASON_INVALID_DIRECTORY, std::string(key) + " is no folder: " + path);
}

uint32_t ReadFailure(int err) {
    return err == EACCES || err == EPERM ? QMX2_REASON_DEVICE_ACCESS_DENIED : QMX2_REASON_INTERNAL;
}

// The description of an unpacked package; what names the package in refusals.
PackageDescription ReadDescription(const std::string& folder, const std::string& what) {
    std::string bytes;
    const int err = ReadWholeFile(folder + "/" + kDescriptionFile, bytes);
    if (err == EACCES || err == EPERM)
        Refuse(QMX2_REASON_DEVICE_ACCESS_DENIED, what + ": BupInfo2.xml may not be read");
    if (err != 0) Refuse(QMX2_REASON_INVALID_FILE, what + ": no BupInfo2.xml");
    XmlElement root;
    std::string why;
    if (!ParseXml(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), root, &why))
        Refuse(QMX2_REASON_INVALID_FILE, what + ": BupInfo2.xml is no package description (" + why + ")");
    if (root.name != "bupinfo2")
        Refuse(QMX2_REASON_INVALID_FILE, what + ": BupInfo2.xml is no package description");
    PackageDescription p;
    if (!ReadPackage(root, p, &why))
        Refuse(QMX2_REASON_INVALID_FILE, what + ": BupInfo2.xml is damaged (" + why + ")");
    if (p.consistency == Consistency::kDamaged) Refuse(QMX2_REASON_INVALID_FILE, what + ": declared damaged");
    return p;
}

void RequireBoard(const PackageDescription& p, const BoardState& board, const std::string& what) {
    if (std::find(p.boards.begin(), p.boards.end(), board.board) == p.boards.end())
        Refuse(QMX2_REASON_INVALID_FILE, what + ": not for board " + board.board);
}

// The regular files directly in the folder, by name, without its description.
std::vector<std::string> RegularFiles(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name != kDescriptionFile && it->symlink_status(ec).type() == fs::file_type::regular)
            names.push_back(name);
    }
    if (ec) Refuse(ReadFailure(ec.value()), "folder cannot be listed: " + folder);
    std::sort(names.begin(), names.end());
    return names;
}

bool Contains(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The kernel packs only names with a point; a member without one would
// be missing from the package the update later unpacks.
void RequirePayload(const std::vector<std::string>& files, const std::string& name, const char* role) {
    const std::string what = std::string("BIOS package: ") + role + " " + name;
    if (!Contains(files, name)) Refuse(QMX2_REASON_INVALID_FILE, what + " missing");
    if (name.find('.') == std::string::npos) Refuse(QMX2_REASON_INVALID_FILE, what + " has no point in its name");
}

// The areas taken over from a configuration archive: its data, not its BIOS.
constexpr unsigned kTakenFromConfiguration = kConfigurationAreas | kAreaDebugCode;

// The BIOS package's settings for the update plus the archive's areas. The
// result is no more permissive than either part: secure platform and
// consistency take the stricter, and the configuration data fits other
// BIOS versions when the archive's did.
PackageDescription Combined(const PackageDescription& bios, const PackageDescription& config) {
    PackageDescription p = bios;
    p.areas |= config.areas & kTakenFromConfiguration;
    p.nvram_cross_update = bios.nvram_cross_update || config.nvram_cross_update;
    p.secure_platform = bios.secure_platform || config.secure_platform;
    p.consistency = std::min(bios.consistency, config.consistency);
    p.skip_bios_compare = false;  // the kernel's own parameter, never packed
    return p;
}

struct Copy {
    std::string from;
    std::string name;  // in the destination
};

// Either every file is written or none stays behind: a half-made package
// must not be packed.
class Writer {
public:
    explicit Writer(std::string dest) : dest_(std::move(dest)) {}
    ~Writer() {
        for (const std::string& name : written_) ::unlink((dest_ + "/" + name).c_str());
    }

    void Write(const std::string& name, const std::string& bytes) {
        const int err = WriteFileAtomic(dest_ + "/" + name, bytes);
        if (err != 0) Refuse(WriteFailure(err), name + " cannot be written into " + dest_);
        written_.push_back(name);
    }
    void CopyFile(const Copy& copy) {
        std::string bytes;
        const int err = ReadWholeFile(copy.from, bytes);
        if (err != 0) Refuse(ReadFailure(err), copy.from + " cannot be read");
        Write(copy.name, bytes);
    }
    size_t Keep() {
        const size_t count = written_.size();
        written_.clear();
        return count;
    }

private:
    std::string dest_;
    std::vector<std::string> written_;
};

// Checks everything before the first write; returns the number of files written.
size_t Make(const BoardState& board, const json& j) {
    const std::string bios_dir = Folder(j, qmx2key::sSourceBiosInput);
    const std::string config_dir = Folder(j, qmx2key::sSourceConfigurationDataInput);
    const std::string dest = Folder(j, qmx2key::sDestPath);
    RequireDirectory(bios_dir, qmx2key::sSourceBiosInput);
    RequireDirectory(config_dir, qmx2key::sSourceConfigurationDataInput);
    RequireDirectory(dest, qmx2key::sDestPath);

    const PackageDescription bios = ReadDescription(bios_dir, "BIOS package");
    if (bios.pack_type != PackType::kBios) Refuse(QMX2_REASON_INVALID_FILE, "BIOS package: not of packtype BIOS");
    RequireBoard(bios, board, "BIOS package");
    if (!(bios.areas & kAreaBios) || bios.image.empty())
        Refuse(QMX2_REASON_INVALID_FILE, "BIOS package: carries no BIOS image");

    const PackageDescription config = ReadDescription(config_dir, "configuration archive");
    if (config.pack_type != PackType::kConfig)
        Refuse(QMX2_REASON_INVALID_FILE, "configuration archive: not of packtype CONFIG");
    RequireBoard(config, board, "configuration archive");
    // Settings of another BIOS would be restored over the new one.
    if (!config.nvram_cross_update && config.bios_version->Compare(*bios.bios_version) != 0)
        Refuse(QMX2_REASON_INVALID_FILE, "configuration archive is for BIOS " + config.bios_version_text +
                                             ", the BIOS package carries " + bios.bios_version_text);

    const std::vector<std::string> bios_files = RegularFiles(bios_dir);
    RequirePayload(bios_files, bios.image, "image");
    for (const std::string& part : bios.parts) RequirePayload(bios_files, part, "part");

    std::vector<Copy> copies;
    for (const std::string& name : bios_files) copies.push_back({bios_dir + "/" + name, name});
    const std::vector<std::string> config_files = RegularFiles(config_dir);
    for (const AreaMember& member : kAreaMembers) {
        if (!(config.areas & member.area)) continue;
        if (!Contains(config_files, member.file))
            Refuse(QMX2_REASON_INVALID_FILE, std::string("configuration archive: ") + member.file + " missing");
        if (Contains(bios_files, member.file))
            Refuse(QMX2_REASON_INVALID_FILE, std::string("both packages hold ") + member.file);
        copies.push_back({config_dir + "/" + member.file, member.file});
    }

    Writer writer(dest);
    for (const Copy& copy : copies) writer.CopyFile(copy);
    // Last, so a folder with a description always holds its payload.
    writer.Write(kDescriptionFile, WritePackage(Combined(bios, config)));
    return writer.Keep();
}

// A file name in a status text need not be UTF-8.
std::string Dump(const json& j) {
    return j.dump(4, ' ', false, json::error_handler_t::replace);
}

}  // namespace

uint32_t MakeCombinedArchive(const BoardState& board, std::string& record) {
    json j;
    int64_t step = 0;
    if (!ReadRecord(record, j, step)) return QMX2_REASON_INVALID_PARAMETERS;
    const Faults& faults = board.faults;
    if (faults.fail_at_step && step == *faults.fail_at_step) {
        j[qmx2key::sStatusInfo] = "Combined package failed at step " + std::to_string(step);
        record = Dump(j);
        return faults.fail_reason;
    }
    if (faults.cancel) {
        Answer(j, QMX2_SEQ_CANCELLED, 0, "Combined package cancelled", "Nothing was written");
        record = Dump(j);
        return 0;
    }
    try {
        const size_t files = Make(board, j);
        Answer(j, QMX2_SEQ_DONE, 10000, "Combined package made", std::to_string(files) + " files");
        j[qmx2key::sNextFile] = "";
    } catch (const Refused& refused) {
        j[qmx2key::sStatusInfo] = refused.why;
        record = Dump(j);
        return refused.reason;
    }
    record = Dump(j);
    return 0;
}

}  // namespace qmxsim
