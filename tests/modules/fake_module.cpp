// A board module for the binding and discovery tests, shaped by macros:
// FAKE_REFUSE (install reason), FAKE_NO_INIT, FAKE_NO_MODULE_INFO, FAKE_NO_MAKE,
// FAKE_MAKE_REFUSE (combined archive reason), FAKE_SEQUENCE (update, restore and
// backup answer with the iSeq values listed in $FAKE_SEQ, one per call).
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef FAKE_SEQUENCE
#include <nlohmann/json.hpp>
#endif

#include "quillmark/qmx2.h"

namespace {
// Appends "<what> <this module's path>" to $FAKE_CALL_LOG, so tests see the order of trials.
void logCall(const char* what) {
    const char* log = std::getenv("FAKE_CALL_LOG");
    Dl_info info{};
    if (!log || !dladdr(reinterpret_cast<void*>(&logCall), &info))
        return;
    if (FILE* f = std::fopen(log, "a")) {
        std::fprintf(f, "%s %s\n", what, info.dli_fname);
        std::fclose(f);
    }
}
}  // namespace

extern "C" {
// How often each entry point ran, read by the tests through dlsym.
int fake_calls_install = 0;
int fake_calls_make = 0;

#ifndef FAKE_NO_INIT
uint16_t Init(void) { return 1; }
#endif

uint32_t QMX2_Install(std::string&) {
    ++fake_calls_install;
    logCall("install");
#ifdef FAKE_REFUSE
    return Qmx2Status(QMX2_SEV_ERROR, QMX2_OP_INSTALL, FAKE_REFUSE);
#else
    return Qmx2Status(QMX2_SEV_WARNING, QMX2_OP_INSTALL, 0);  // a warning still installs
#endif
}

uint32_t QMX2_Uninstall(void) { return 0; }

#ifndef FAKE_NO_MODULE_INFO
uint32_t QMX2_GetModuleInfo(std::string& json) {
    json = R"({"fBiosUpdate": true, "fBiosShutdownForUpdate": false, "fConfigurationBackup": false,
        "fConfigurationRestore": false, "fProgressInfo": false, "fDetailInfo": false, "fListBupInfo": false,
        "fGetGenericModuleInfo": false, "fUpdateLogo": false, "sBiosInfo": "FAKE 1.0", "sBiosID": "",
        "sSystemInfo": "FakeBoard", "sMeFirmwareVersion": "", "sSignOnInfo": "", "sBiosInterfaceVersion": "",
        "sCodeName": "", "sBuildDate": ""})";
    return 0;
}
#endif

#ifndef FAKE_NO_MAKE
uint32_t QMX2_DoMakeCombinedArchive(std::string&) {
    ++fake_calls_make;
    logCall("make");
#ifdef FAKE_MAKE_REFUSE
    return Qmx2Status(QMX2_SEV_ERROR, QMX2_OP_GENERIC, FAKE_MAKE_REFUSE);
#else
    return 0;
#endif
}
#endif

#ifdef FAKE_SEQUENCE
// Index into $FAKE_SEQ of the next answer; tests set it back to 0.
int fake_seq_next = 0;
// The request comes back with the next iSeq of $FAKE_SEQ ("1,10003"); past its end, 10000.
static uint32_t answerInSequence(const char* what, std::string& json) {
    const size_t next = static_cast<size_t>(fake_seq_next++);
    logCall(what);
    const char* seq = std::getenv("FAKE_SEQ");
    std::string list = seq ? seq : "";
    int32_t value = 10000;
    size_t pos = 0;
    for (size_t i = 0; pos != std::string::npos && pos < list.size(); ++i) {
        const size_t end = list.find(',', pos);
        if (i == next) {
            value = std::stoi(list.substr(pos, end - pos));
            break;
        }
        pos = end == std::string::npos ? end : end + 1;
    }
    nlohmann::json reply = nlohmann::json::parse(json);
    reply["iSeq"] = value;
    json = reply.dump();
    return 0;
}
uint32_t QMX2_DoBiosUpdate(std::string& json, void*, int32_t) { return answerInSequence("update", json); }
uint32_t QMX2_DoConfigurationRestore(std::string& json, void*, int32_t) { return answerInSequence("restore", json); }
uint32_t QMX2_DoConfigurationBackup(std::string& json) { return answerInSequence("backup", json); }
#endif
}
