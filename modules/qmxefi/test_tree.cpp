#include "test_tree.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

namespace qmxefi_test {

namespace fs = std::filesystem;

namespace {

std::string MakeTemp(const char* prefix) {
    std::string name = ::testing::TempDir() + prefix + "XXXXXX";
    return ::mkdtemp(name.data()) ? name : std::string();
}

std::string Le32(uint32_t v) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(v >> (8 * i));
    return out;
}

}  // namespace

FakeTree::FakeTree() : root_(MakeTemp("qmxefi-tree-")) {}
FakeTree::~FakeTree() {
    std::error_code ec;
    fs::remove_all(root_, ec);
}

void FakeTree::Write(const std::string& rel, const std::string& bytes) const {
    const fs::path p = Path(rel);
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << bytes;
}

std::string FakeTree::Read(const std::string& rel) const {
    std::ifstream in(Path(rel), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool FakeTree::Exists(const std::string& rel) const { return fs::exists(Path(rel)); }

FakeTree& FakeTree::Uefi() {
    fs::create_directories(Path("sys/firmware/efi/efivars"));
    return *this;
}

FakeTree& FakeTree::Dmi(const std::string& board, const std::string& bios_version, const std::string& product,
                        const std::string& bios_date, const std::string& vendor) {
    const std::string dmi = "sys/class/dmi/id/";
    Write(dmi + "board_name", board + "\n");
    Write(dmi + "bios_version", bios_version + "\n");
    Write(dmi + "product_name", product + "\n");
    Write(dmi + "bios_date", bios_date + "\n");
    Write(dmi + "board_vendor", vendor + "\n");
    return *this;
}

FakeTree& FakeTree::Me(const std::string& fw_ver_text) {
    Write("sys/class/mei/mei0/fw_ver", fw_ver_text);
    return *this;
}

FakeTree& FakeTree::Var(const std::string& name, const std::string& data, uint32_t attributes,
                        const std::string& guid) {
    Write(VarFile(name, guid), Le32(attributes) + data);
    return *this;
}

FakeTree& FakeTree::VarBytes(const std::string& file, const std::string& bytes) {
    Write("sys/firmware/efi/efivars/" + file, bytes);
    return *this;
}

FakeTree& FakeTree::Supply(const std::string& name, const std::string& type, bool online) {
    Write("sys/class/power_supply/" + name + "/type", type + "\n");
    if (type != "Battery") Write("sys/class/power_supply/" + name + "/online", online ? "1\n" : "0\n");
    return *this;
}

FakeTree& FakeTree::LoaderFile() {
    Write("dev/efi_capsule_loader", "");
    return *this;
}

std::string Capsule(uint32_t total, uint32_t flags, int64_t header_size, int64_t image_size) {
    // The FMP capsule GUID 6dcbd5ed-e82d-4c44-bda1-7194199ad92a, as stored.
    const unsigned char guid[16] = {0xed, 0xd5, 0xcb, 0x6d, 0x2d, 0xe8, 0x44, 0x4c,
                                    0xbd, 0xa1, 0x71, 0x94, 0x19, 0x9a, 0xd9, 0x2a};
    std::string c(reinterpret_cast<const char*>(guid), 16);
    c += Le32(header_size < 0 ? 28u : static_cast<uint32_t>(header_size));
    c += Le32(flags);
    c += Le32(image_size < 0 ? total : static_cast<uint32_t>(image_size));
    for (uint32_t i = 0; c.size() < total; ++i) c += static_cast<char>('A' + i % 26);
    c.resize(total);
    return c;
}

FifoLoader::FifoLoader(const FakeTree& tree, bool read) : read_(read) {
    const std::string path = tree.Path("dev/efi_capsule_loader");
    fs::create_directories(fs::path(path).parent_path());
    ::mkfifo(path.c_str(), 0600);
    // Opened before the module opens its end, so its non-blocking open finds a reader.
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (!read_) {
        ::fcntl(fd_, F_SETPIPE_SZ, 4096);
        return;
    }
    reader_ = std::thread([this] {
        char buf[65536];
        // Ends when the writer has closed, or after 10 s, or when stopped.
        for (int slices = 0; slices < 500 && !stop_; ++slices) {
            pollfd pfd{fd_, POLLIN, 0};
            if (::poll(&pfd, 1, 20) <= 0) continue;
            ssize_t n;
            while ((n = ::read(fd_, buf, sizeof buf)) > 0) received_.append(buf, static_cast<size_t>(n));
            if (n == 0 && (pfd.revents & POLLHUP)) return;
            slices = 0;
        }
    });
}

FifoLoader::~FifoLoader() {
    stop_ = true;
    if (reader_.joinable()) reader_.join();
    if (fd_ >= 0) ::close(fd_);
}

std::string FifoLoader::Received() {
    if (reader_.joinable()) reader_.join();
    return received_;
}

void FifoLoader::CloseReader() {
    stop_ = true;
    if (reader_.joinable()) reader_.join();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

Scratch::Scratch() : path(MakeTemp("qmxefi-scratch-")) {}
Scratch::~Scratch() {
    std::error_code ec;
    fs::remove_all(path, ec);
}

nlohmann::json Record(const nlohmann::json& more) {
    nlohmann::json r = {{"iSeq", 0},         {"ulProgress", 0},   {"ulDuration", 0},     {"sPartInfo", ""},
                        {"sStatusInfo", ""}, {"sFeedback", ""},   {"sSourcePath", ""},   {"sNextFile", ""},
                        {"sPassword", ""},   {"NextFileLoc", ""}, {"fExtendedStatus", false}};
    r.update(more);
    return r;
}

namespace {
template <class T>
T Sym(void* handle, const char* name) {
    return reinterpret_cast<T>(::dlsym(handle, name));
}
}  // namespace

const ModuleApi& Module() {
    static const ModuleApi api = [] {
        void* h = ::dlopen(QMXEFI_SO, RTLD_NOW | RTLD_LOCAL);
        if (!h) {
            ADD_FAILURE() << ::dlerror();
            std::abort();
        }
        return ModuleApi{Sym<PFN_QMX2_INSTALL>(h, "QMX2_Install"),
                         Sym<PFN_QMX2_UNINSTALL>(h, "QMX2_Uninstall"),
                         Sym<PFN_QMX2_GET_MODULE_INFO>(h, "QMX2_GetModuleInfo"),
                         Sym<PFN_QMX2_GET_MESSAGE_TEXT>(h, "QMX2_GetMessageText"),
                         Sym<PFN_QMX2_CHECK_BUP_INFO>(h, "QMX2_CheckBupInfo"),
                         Sym<PFN_QMX2_DO_BIOS_UPDATE>(h, "QMX2_DoBiosUpdate"),
                         Sym<PFN_QMX2_DO_CONFIGURATION_RESTORE>(h, "QMX2_DoConfigurationRestore"),
                         Sym<PFN_QMX2_DO_CONFIGURATION_BACKUP>(h, "QMX2_DoConfigurationBackup"),
                         Sym<PFN_QMX2_GET_GENERIC_MODULE_INFO>(h, "QMX2_GetGenericModuleInfo"),
                         Sym<PFN_QMX2_DO_MAKE_COMBINED_ARCHIVE>(h, "QMX2_DoMakeCombinedArchive")};
    }();
    return api;
}

uint32_t InstallOn(const FakeTree& tree) {
    ::setenv("QMXEFI_ROOT", tree.root().c_str(), 1);
    std::string request = R"({"sAppRegRoot":"","sInstDir":"/opt","sLogFile":"","sOemProfile":"","fEventLog":false,"fForceReboot":false})";
    return Module().install(request);
}

uint32_t Call(uint32_t (*entry)(std::string&), nlohmann::json& record) {
    std::string text = record.dump();
    const uint32_t status = entry(text);
    record = nlohmann::json::parse(text);
    return status;
}

uint32_t Call(uint32_t (*entry)(std::string&, void*, int32_t), nlohmann::json& record) {
    std::string text = record.dump();
    const uint32_t status = entry(text, nullptr, 0);
    record = nlohmann::json::parse(text);
    return status;
}

}  // namespace qmxefi_test
