// CKrnl2App: the kernel's one application object.
#pragma once

#include <memory>

#include "cmdline/qm_cmd_line.h"
#include "kernel/shutdown.h"
#include "support/profile.h"
#include "support/string_type.h"

class CKrnl2App {
public:
    // Where the profile is looked for, first match wins.
    static constexpr const char* kProfilePaths[] = {
        "/opt/fleetmon/quillmark/config/quillmark.conf",
        "/etc/quillmark.conf",
    };

    CKrnl2App();
    virtual ~CKrnl2App();
    CKrnl2App(const CKrnl2App&) = delete;
    CKrnl2App& operator=(const CKrnl2App&) = delete;

    bool Init(int argc, char** argv);
    int Run();

    void StandardPathsInit();
    bool CommandLineParse(int argc, char** argv);
    CProfile* ProfileLocate();

    int RunCommand();
    int RunServer();
    void UsageDisplay();

    // Per-job members back to their empty state after a job.
    void TaskVarsClean();

    const CString& WrkDir() const { return m_csWrkDir; }
    const CString& BinDir() const { return m_csBinDir; }
    const CString& BinPath() const { return m_csBinPath; }
    const CString& TempDir() const { return m_csTempDir; }
    CProfile* Profile() const { return m_pProfile.get(); }
    int SkipReboot() const { return m_fSkipReboot; }
    const CQmCmdLine& CmdInfo() const { return m_CmdInfo; }

private:
    int m_fSkipReboot = 0;
    CString m_csTempDir;
    CString m_csBinDir;
    CString m_csBinPath;
    std::unique_ptr<CProfile> m_pProfile;
    E_SHUTDOWN m_eShutDown = SD_NO;
    bool m_fMadeChanges = false;
    int m_ePowerState = 2;
    CString m_csBupInfoXml;
    CString m_csWrkDir;
    CString m_csLogfile;
    CString m_csCurArcPath;
    CQmCmdLine m_CmdInfo;
    CQmCmdLine m_JobCmdInfo;
    int m_nClientWaitTimeout = 10;
};

// "[0]='qmkrnl2'" then "\n[1]='--server'" ...; returns the string's text.
const char* CommandLineParameters2Str(int argc, char** argv, CString& out);
