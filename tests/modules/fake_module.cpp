// A board module for the binding and discovery tests, shaped by macros:
// FAKE_REFUSE (install reason), FAKE_NO_INIT, FAKE_NO_MODULE_INFO, FAKE_NO_MAKE,
// FAKE_MAKE_REFUSE (combined archive reason).
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

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
}
