// The fixture shared by the qmxsim tests: the module loaded with dlopen, as
// the kernel loads it, and a fresh state directory for each case.
#pragma once

#include <dlfcn.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "quillmark/qmx2.h"

namespace qmxsim_test {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr uint32_t Error(uint32_t operation, uint32_t reason) {
    return Qmx2Status(QMX2_SEV_ERROR, operation, reason);
}

// A whole file, byte for byte; "" when it cannot be read.
inline std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void Put(const fs::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }

// The configuration areas a backup holds and a restore takes.
inline const std::vector<std::string> kAreaFiles = {"setup_settings.bin", "password.bin", "logo.bin",
                                                    "boot_order.bin", "system_data.bin"};

// The record fields every operation shares, with those of the operation.
inline json Record(const json& more) {
    json r = {{"iSeq", 0}, {"ulProgress", 0}, {"sPartInfo", ""}, {"sStatusInfo", ""}, {"sFeedback", "fb"}};
    r.update(more);
    return r;
}

// A fresh temporary directory, readable by all for an unprivileged child.
struct ScratchDir {
    fs::path path;
    ScratchDir() {
        std::string name = ::testing::TempDir() + "qmxsim-XXXXXX";
        if (::mkdtemp(name.data())) path = name;
        ::chmod(name.c_str(), 0755);
    }
    ~ScratchDir() { fs::remove_all(path); }
};

struct Api {
    PFN_QMX2_INSTALL install; PFN_QMX2_UNINSTALL uninstall; PFN_QMX2_GET_MODULE_INFO get_module_info;
    PFN_QMX2_GET_MESSAGE_TEXT get_message_text; PFN_QMX2_CHECK_BUP_INFO check_bup_info;
};

class ModuleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        handle_ = ::dlopen(QMXSIM_SO, RTLD_NOW | RTLD_LOCAL);
        if (!handle_) return void(load_error_ = ::dlerror());
        auto init = Sym<PFN_QMX2_INIT>("Init");
        api_ = {Sym<PFN_QMX2_INSTALL>("QMX2_Install"), Sym<PFN_QMX2_UNINSTALL>("QMX2_Uninstall"),
                Sym<PFN_QMX2_GET_MODULE_INFO>("QMX2_GetModuleInfo"),
                Sym<PFN_QMX2_GET_MESSAGE_TEXT>("QMX2_GetMessageText"), Sym<PFN_QMX2_CHECK_BUP_INFO>("QMX2_CheckBupInfo")};
        for (const char* later : {"QMX2_DoBiosUpdate", "QMX2_DoConfigurationRestore",
                                  "QMX2_DoConfigurationBackup", "QMX2_GetGenericModuleInfo",
                                  "QMX2_DoMakeCombinedArchive"})
            Sym<void*>(later);
        ready_ = init && init() != 0;
    }
    template <class F>
    static F Sym(const char* name) {
        void* p = ::dlsym(handle_, name);
        if (!p) missing_ += std::string(name) + " ";
        return reinterpret_cast<F>(p);
    }

    void SetUp() override {
        ASSERT_TRUE(handle_) << load_error_;
        ASSERT_TRUE(ready_ && missing_.empty()) << "missing: " << missing_;
        ASSERT_FALSE(dir_.path.empty());
        ::setenv("QMXSIM_STATE", dir_.path.c_str(), 1);
    }
    void TearDown() override {
        if (api_.uninstall) api_.uninstall();
        ::unsetenv("QMXSIM_STATE");
    }

    void WriteBoard(const std::string& text) { Put(dir_.path / "board.json", text); }
    json Board() { return json::parse(Slurp(dir_.path / "board.json")); }

    // Hands the record over as text, as the kernel does, and reads the answer back.
    template <class F, class... Extra>
    static uint32_t Invoke(const char* entry, json& record, Extra... extra) {
        std::string text = record.dump();
        const uint32_t status = Sym<F>(entry)(text, extra...);
        record = json::parse(text);
        return status;
    }

    // Calls until the series ends or fails, keeping every answer; between()
    // plays the kernel's part before the next call.
    static uint32_t Series(const std::function<uint32_t(json&)>& call, json record, std::vector<json>& answers,
                           const std::function<void(json&)>& between = nullptr) {
        for (int n = 0; n < 30; ++n) {
            const uint32_t status = call(record);
            answers.push_back(record);
            const int32_t seq = record["iSeq"];
            if (status != 0 || seq >= 10000 || seq <= -10000) return status;
            if (between) between(record);
        }
        ADD_FAILURE() << "the series did not end";
        return 0;
    }

    uint32_t Install(std::string request = "{}") { return api_.install(request); }
    json ModuleInfo() {
        std::string reply;
        EXPECT_EQ(api_.get_module_info(reply), 0u);
        return json::parse(reply);
    }

    // The verdict on a document, handed over at its exact size without a
    // terminating NUL, so a read past its end shows under ASan.
    json Verdict(const std::string& doc, uint32_t expected_status = 0) {
        std::vector<uint8_t> bytes(doc.begin(), doc.end());
        std::string reply;
        EXPECT_EQ(api_.check_bup_info(bytes.data(), static_cast<uint32_t>(bytes.size()), reply), expected_status);
        return json::parse(reply);
    }

    // Install in a child process without root rights; empty when they cannot
    // be dropped or the state is out of the unprivileged user's reach.
    std::optional<uint32_t> InstallUnprivileged() {
        int fds[2];
        if (::pipe(fds) != 0) return std::nullopt;
        pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            uint32_t status = 0xFFFFFFFF;
            bool dropped = ::geteuid() != 0 ||
                           (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0);
            if (dropped && ::access(dir_.path.c_str(), R_OK | X_OK) == 0) status = Install();
            bool sent = ::write(fds[1], &status, sizeof status) == sizeof status;
            ::_exit(sent ? 0 : 1);
        }
        ::close(fds[1]);
        uint32_t status = 0xFFFFFFFF;
        bool got = ::read(fds[0], &status, sizeof status) == sizeof status;
        ::close(fds[0]);
        ::waitpid(pid, nullptr, 0);
        if (!got || status == 0xFFFFFFFF) return std::nullopt;
        return status;
    }

    static inline void* handle_ = nullptr;
    static inline std::string load_error_, missing_;
    static inline bool ready_ = false;
    static inline Api api_{};
    ScratchDir dir_;
};

}  // namespace qmxsim_test
