// The fake machine the qmxefi tests run the module against: a temporary
// folder holding the parts of sys/, dev/ and var/ the module reads and writes.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "quillmark/qmx2.h"

namespace qmxefi_test {

constexpr const char kGlobal[] = "8be4df61-93ca-11d2-aa0d-00e098032b8c";

class FakeTree {
public:
    FakeTree();  // an empty tree: no UEFI, nothing at all
    ~FakeTree();
    FakeTree(const FakeTree&) = delete;
    FakeTree& operator=(const FakeTree&) = delete;

    const std::string& root() const { return root_; }
    std::string Path(const std::string& rel) const { return root_ + "/" + rel; }

    // sys/firmware/efi with an empty efivars folder.
    FakeTree& Uefi();
    // sys/class/dmi/id files, each ending in a line feed as the kernel writes them.
    FakeTree& Dmi(const std::string& board, const std::string& bios_version, const std::string& product = "",
                  const std::string& bios_date = "01/15/2024", const std::string& vendor = "Quill Boards");
    FakeTree& Me(const std::string& fw_ver_text);
    // An efivarfs file: 4-byte attributes, then the data.
    FakeTree& Var(const std::string& name, const std::string& data, uint32_t attributes = 7,
                  const std::string& guid = kGlobal);
    // The file's bytes as they stand, for short or odd files.
    FakeTree& VarBytes(const std::string& file, const std::string& bytes);
    // A power supply: type "Mains", "USB" or "Battery".
    FakeTree& Supply(const std::string& name, const std::string& type, bool online);
    // dev/efi_capsule_loader as a regular file, which records what is written.
    FakeTree& LoaderFile();

    // A whole file below the root; "" when missing.
    std::string Read(const std::string& rel) const;
    void Write(const std::string& rel, const std::string& bytes) const;
    bool Exists(const std::string& rel) const;
    std::string VarFile(const std::string& name, const std::string& guid = kGlobal) const {
        return "sys/firmware/efi/efivars/" + name + "-" + guid;
    }

private:
    std::string root_;
};

// A capsule of total bytes: a header (GUID, header size, flags, image size)
// and a payload; header_size and image_size default to the consistent values.
std::string Capsule(uint32_t total, uint32_t flags = 0x00050000, int64_t header_size = -1, int64_t image_size = -1);

// dev/efi_capsule_loader as a FIFO whose reader records what arrives. With
// read false the reader opens the FIFO but never reads, so it fills.
class FifoLoader {
public:
    FifoLoader(const FakeTree& tree, bool read = true);
    ~FifoLoader();
    FifoLoader(const FifoLoader&) = delete;
    FifoLoader& operator=(const FifoLoader&) = delete;
    // The bytes read until the writer closed (waits for that).
    std::string Received();
    // Closes the read end, so the next write fails with EPIPE.
    void CloseReader();

private:
    int fd_ = -1;
    bool read_;
    std::atomic<bool> stop_{false};
    std::string received_;
    std::thread reader_;
};

// A fresh scratch folder, removed with everything in it.
struct Scratch {
    std::string path;
    Scratch();
    ~Scratch();
};

// The update, restore and backup record as the kernel sends it.
nlohmann::json Record(const nlohmann::json& more = nlohmann::json::object());

// The built module, loaded as the kernel loads it, once for all tests.
struct ModuleApi {
    PFN_QMX2_INSTALL install;
    PFN_QMX2_UNINSTALL uninstall;
    PFN_QMX2_GET_MODULE_INFO get_module_info;
    PFN_QMX2_GET_MESSAGE_TEXT get_message_text;
    PFN_QMX2_CHECK_BUP_INFO check_bup_info;
    PFN_QMX2_DO_BIOS_UPDATE do_bios_update;
    PFN_QMX2_DO_CONFIGURATION_RESTORE do_configuration_restore;
    PFN_QMX2_DO_CONFIGURATION_BACKUP do_configuration_backup;
    PFN_QMX2_GET_GENERIC_MODULE_INFO get_generic_module_info;
    PFN_QMX2_DO_MAKE_COMBINED_ARCHIVE do_make_combined_archive;
};
const ModuleApi& Module();

// Installs the module on the tree ($QMXEFI_ROOT pointed at it). Returns the status.
uint32_t InstallOn(const FakeTree& tree);

// Calls an operation with the record; the record comes back as the module left it.
uint32_t Call(uint32_t (*entry)(std::string&), nlohmann::json& record);
uint32_t Call(uint32_t (*entry)(std::string&, void*, int32_t), nlohmann::json& record);

constexpr uint32_t Error(uint32_t op, uint32_t reason, uint32_t detail = 0) {
    return Qmx2Status(QMX2_SEV_ERROR, op, reason, detail);
}

}  // namespace qmxefi_test
