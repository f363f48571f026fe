// Choice of run mode and the modes themselves.
#include <cstdio>

#include "kernel/krnl2_app.h"
#include "support/opus_trace.h"

int CKrnl2App::Run() {
    QM_TRACE_ENTER(3, "%s", "");
    int nRet = 0;
    if (m_CmdInfo.OptionExists(eUsage)) {
        UsageDisplay();
    } else if (m_CmdInfo.OptionExists(eLoadModule) || m_CmdInfo.OptionExists(eVersion)) {
        nRet = RunCommand();
    } else {
        nRet = RunServer();
    }
    QM_TRACE_LEAVE(3, "ret=%d", nRet);
    return nRet;
}

void CKrnl2App::UsageDisplay() {
    std::fputs("\n"
               "Parameters:\n"
               "-h | --help                 Display this help screen\n"
               "-v | --version              Display version information\n"
               "-lm | --loadmodule          Load an unload OEM module\n"
               "-sv | --server              Force qmkrnl2 start as server\n",
               stdout);
}

int CKrnl2App::RunCommand() {
    QM_TRACE_ENTER(3, "%s", "");
    const uint32_t ulStatus = ExtLocateAndInstall();
    if (!Qmx2Failed(ulStatus)) {
        SystemInfoDisplay();
        m_Qmx.Uninstall();
    } else {
        std::puts("Error loading any OEM module");
    }
    QM_TRACE_LEAVE(3, "ret=%d", 0);
    return 0;
}

void CKrnl2App::SystemInfoDisplay() {
    if (m_Qmx.m_pActionInfo)
        std::printf("Status info . . . . . . . : %s\n", m_Qmx.m_pActionInfo->m_sStatusInfo.c_str());
    std::printf("Active BIOS . . . . . . . : %s\n", m_Qmx.m_OemInfo.sBiosInfo.c_str());
    std::printf("System info . . . . . . . : %s\n", m_Qmx.m_OemInfo.sSystemInfo.c_str());
    std::printf("MeFirmwareVersion . . . . : %s\n", m_Qmx.m_OemInfo.sMeFirmwareVersion.c_str());
}

int CKrnl2App::RunServer() {
    QM_TRACE_ENTER(3, "%s", "");
    // The front-end interface is not part of this build, so it can never be opened.
    QM_TRACE_INTERNAL(1, "", "Could not open interface");
    std::fputs("qmkrnl2: the front-end interface is not available in this build\n", stderr);
    QM_TRACE_LEAVE(3, "fRet=%d", 1);
    return 1;
}
