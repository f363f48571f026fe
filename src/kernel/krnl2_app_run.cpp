// Choice of run mode and the modes themselves.
#include <cstdio>

#include "kernel/krnl2_app.h"
#include "support/msc.h"
#include "support/opus_trace.h"

int CKrnl2App::Run() {
    QM_TRACE_ENTER(3, "%s", "");
    int nRet = 0;
    if (m_CmdInfo.OptionExists(eUsage)) {
        UsageDisplay();
    } else if (m_CmdInfo.OptionExists(eLoadModule) || m_CmdInfo.OptionExists(eVersion)) {
        nRet = RunCommand();
    } else {
        if (m_CmdInfo.OptionExists(eForceServer)) {
            m_If.Kill();
            m_If.ResponseFifoKickOffZombies();
        }
        bool fOpen = false;
        for (int nTry = 0; nTry < 2 && !fOpen; ++nTry) {
            fOpen = m_If.Open(IF_FREE);
            if (!fOpen)
                m_If.Kill();
        }
        if (!fOpen) {
            QM_TRACE_INTERNAL(1, "", "Could not open interface");
            nRet = 1;
        } else {
            if (m_If.Type() == IF_SERVER)
                nRet = RunServer();
            else if (m_If.Type() == IF_CLIENT)
                nRet = RunClient();
            else
                QM_TRACE_INTERNAL(1, "", "Interface is missing");
            ShutdownDecide();
        }
    }
    QM_TRACE_LEAVE(3, "ret=%d", nRet);
    return nRet;
}

void CKrnl2App::ShutdownDecide() {
    switch (m_eShutDown) {
    case SD_NO:
        break;
    case SD_ACTIVATE_CHANGES:
    case SD_OP_PENDING:
    case SD_ACTIVATE_CHANGES_COLD_BOOT:
        if (m_fSkipReboot) {
            ReportAnEvent(LOG_WARNING, 2047, "");
        } else {
            ReportAnEvent(LOG_WARNING, 2037, "");
            MscShutdown(2, m_JobCmdInfo.OptionExists(eNvramUpdate)
                               ? "The system is going down because the system configuration data was updated"
                               : "The system is going down because the system BIOS was flashed with a new BIOS "
                                 "version");
        }
        break;
    default:
        QM_TRACE_INTERNAL(1, "", " unknown value for m_eShutDown: %d", static_cast<int>(m_eShutDown));
        break;
    }
}

int CKrnl2App::RunClient() {
    std::puts("Das ist der Client");
    return 0;
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
