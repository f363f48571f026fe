// CKrnl2App: the kernel's one application object.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "cmdline/qm_cmd_line.h"
#include "extension/qmx2_module.h"
#include "ipc/dedure_msg.h"
#include "ipc/krnl2_inter.h"
#include "assessment/bup_assessment.h"
#include "kernel/file_check.h"
#include "kernel/file_name_patterns.h"
#include "kernel/shutdown.h"
#include "support/mem_blk.h"
#include "support/profile.h"
#include "support/str_array.h"
#include "support/string_type.h"
#include "support/time_type.h"

class CBupArchive;
class CBupInfo;

class CKrnl2App {
public:
    // Where the profile is looked for, first match wins.
    static constexpr const char* kProfilePaths[] = {
        "/opt/fleetmon/quillmark/config/quillmark.conf",
        "/etc/quillmark.conf",
    };

    enum E_LOG_LEVEL { LOG_INVALID = 0, LOG_ERROR = 1, LOG_WARNING = 2, LOG_INFO = 3 };
    // Enumerator name for traces, "<invalid>" for other values.
    static const char* LogLevel2Str(int eLevel);
    using E_FILE_CHECK = ::E_FILE_CHECK;
    // The jobs that drive a module through a call sequence.
    enum E_MODULE_JOB { MJ_BIOS_UPDATE, MJ_CONFIGURATION_RESTORE, MJ_CONFIGURATION_BACKUP };
    // The text (string resource) a job shows for a module failure, by its reason; 0 for none.
    static int ModuleFailureTextId(E_MODULE_JOB eJob, uint32_t ulStatus);

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
    void SystemInfoDisplay();
    int RunServer();
    int RunClient();
    void UsageDisplay();

    // What the machine needs once the server has ended: a reboot, or only a log entry.
    void ShutdownDecide();

    // Serves at most one recognised job for one front-end, then ends.
    int TaskLoop();
    // The job's command line into m_JobCmdInfo and the per-job members.
    bool JobCommandLineParse(const char* szCmdLine);
    // Publishes (or, with fClearAll, clears) the module's texts in the announcement block.
    void BroadcastInfoUpdate(bool fClearAll);

    // Messages to the front-end. A level above the job's threshold is not sent and
    // counts as success. ClientMsgWait also waits dwTimeout tenths for the acknowledgement.
    bool ClientMsg(uint32_t dwLevel, E_DEDURE_MSG eType, ...);
    bool ClientMsgWait(uint32_t dwTimeout, uint32_t dwLevel, E_DEDURE_MSG eType, ...);
    bool ClientMsgBase(uint32_t dwLevel, E_DEDURE_MSG eType, va_list args);
    // Progress, status text and part text of the module's current operation.
    void StateInfoSendToClient(uint32_t dwQmxRet);

    // The package description member of an archive, its bytes and its time stamp.
    bool ArcBupInfoGet(const char* pszMember, CBupArchive& arc, CMemBlk& buf, CTime& time);
    bool BupInfoXmlLoad(CBupArchive& arc, CString& csText);

    // Candidate files in a directory, judged by the module; accepted ones are
    // appended to arResult. The code says why nothing was accepted.
    E_FILE_CHECK UpdateFilesFindAndCheck(const char* pszDir, const char* pszPattern,
                                         std::vector<CBupAssessmentEx>& arResult);
    E_FILE_CHECK UpdateFilesCheckSingles(const char* pszDir, const std::vector<CString>& arPrimary,
                                         std::vector<CBupAssessmentEx>& arResult, bool fSilent, bool fBupInfo);
    E_FILE_CHECK ConfigurationFilesFindAndCheck(const char* pszDir, const char* pszPattern,
                                                std::vector<CBupAssessmentEx>& arResult);
    E_FILE_CHECK ConfigurationFilesCheckSingles(const char* pszDir, const std::vector<CString>& arPrimary,
                                                std::vector<CBupAssessmentEx>& arResult, bool fSilent);

    // The best candidate: best usability group first, then the newest build.
    E_FILE_CHECK UpdateFileSelect(const char* pszDir, std::vector<CBupAssessmentEx>& arCandidates,
                                  CBupAssessmentEx& selected);
    E_FILE_CHECK ConfigurationFileSelect(const char* pszDir, std::vector<CBupAssessmentEx>& arCandidates,
                                         CBupAssessmentEx& selected);
    // The areas the job names must all be in the candidate.
    bool checkCommandlineParametersAgainstBupAssessmentUsageFlags(const CBupAssessmentEx& candidate);
    // Every candidate to the log and the front-end.
    void FileResultReport(std::vector<CBupAssessmentEx>& arCandidates);
    // Confirmations the job has already given are no longer asked for.
    void FileResultKillConfirmFlags(std::vector<CBupAssessmentEx>& arCandidates, const CConfirmFlags& flags);

    // Confirmations given on the job's command line; a request for missing ones
    // (false, with an error to the front-end, when any is missing).
    void ConfirmationsFromCmdLine(CConfirmFlags& flags);
    bool ConfirmationsRequest(const CConfirmFlags& missing);
    // Whether the power states the module needs are all allowed; changes nothing.
    bool PowerStatesSet(uint32_t dwStates, int fAfterUpdate);
    // Packs the module's backup directory into the current archive.
    bool DoTheNvuxAddFiles(const char* pszDirectory);
    // Brings the files a module asks for into csDestDir; false when none came.
    bool NextFileAbsorb(const char* szFileSpec, uint32_t dwLocation, const CString& csDestDir);
    // The module's restore calls until it ends; the last status.
    uint32_t DoTheConfigurationRestoreMainLoop();
    // The module's update calls until it ends; the last status.
    uint32_t DoTheBiosUpdateMainLoop();

    // The jobs the task loop dispatches to.
    void DoTheConfigurationRestore(bool fCheckAndSelect);
    uint32_t DoTheBiosUpdate();
    void DoDisplayActionStatus();
    void DoTheConfigurationBackup();
    uint32_t ExtLocateAndExecuteSynchronousCommand();
    // An archive's members into a new temporary folder; false when it holds none.
    bool extractZipToTemporaryFolder(const char* szZipPath, CString& csCreatedFolder);
    // The combined package from a folder; 0, or 1 with the failure reported.
    int doTheBupAddFiles(const char* szSrcDir);

    // Per-job members back to their empty state after a job.
    void TaskVarsClean();

    // Finds the module that supports this machine and installs it; a status code.
    uint32_t ExtLocateAndInstall();
    // The same search, asking each candidate to make the combined archive instead.
    uint32_t ExtLocateForMakeCommand(const char* szBiosInputFolder, const char* szConfigurationDataInputFolder,
                                     const char* szResultFolder);
    void ExtCleanUp();

    // Names of archives the jobs create, in m_CurArc and the current archive path.
    bool ConfigurationArchiveFileNamePrepare();
    void NvuxNameDefaultMake();
    bool CombinedArchiveFileNamePrepare(const char* pszFile);
    // Token replacement in a path of a file to create, traced before and after.
    bool PathTokensReplace(CString& csPath);

    // Appends one line to the job's log file; nothing when no log file is set.
    void ReportAnEvent(E_LOG_LEVEL eLevel, int idEvent, const char* pszText);
    // The job's log file from a user-given name or the default qm_<node>.log.
    bool LogfileNamePrepare(const CString& csName);

    const CString& WrkDir() const { return m_csWrkDir; }
    const CString& BinDir() const { return m_csBinDir; }
    const CString& BinPath() const { return m_csBinPath; }
    const CString& TempDir() const { return m_csTempDir; }
    CProfile* Profile() const { return m_pProfile.get(); }
    CKrnl2Inter& Inter() { return m_If; }
    E_SHUTDOWN ShutDown() const { return m_eShutDown; }
    void ShutDownSet(E_SHUTDOWN eShutDown) { m_eShutDown = eShutDown; }
    void LogfileSet(const CString& csLogfile) { m_csLogfile = csLogfile; }
    const CConfirmFlags& ConfirmFlags() const { return m_confirmflags; }
    int SkipReboot() const { return m_fSkipReboot; }
    void SkipRebootSet(int fSkip) { m_fSkipReboot = fSkip; }
    const CQmCmdLine& CmdInfo() const { return m_CmdInfo; }
    const CString& Logfile() const { return m_csLogfile; }
    void WrkDirSet(const CString& csDir) { m_csWrkDir = csDir; }
    CFileNamePatterns& FileNamePatterns() { return m_FileNamePatterns; }
    CQmx2Module& Qmx() { return m_Qmx; }
    CQmCmdLine& JobCmdInfo() { return m_JobCmdInfo; }
    CBupAssessmentEx& CurArc() { return m_CurArc; }
    const CString& CurArcPath() const { return m_csCurArcPath; }
    // Replaces the profile (tests point the kernel at their own files).
    void ProfileSet(CProfile* pProfile) { m_pProfile.reset(pProfile); }
    void BinDirSet(const CString& csDir) { m_csBinDir = csDir; }
    void TempDirSet(const CString& csDir) { m_csTempDir = csDir; }

private:
    // One trial of the module search: loads the module at a path and returns the status of using it.
    using CandidateTry = std::function<uint32_t(const CString& csPath)>;
    // Previous module, load order, directory scan, until a trial does not fail.
    // fStopped: a trial failed for a reason that ends the search at once.
    uint32_t ExtSearch(const CandidateTry& tryOne, bool& fStopped);
    struct SCandidateKind;
    E_FILE_CHECK FilesFindAndCheck(const SCandidateKind& kind, const char* pszDir, const char* pszPattern,
                                   std::vector<CBupAssessmentEx>& arResult);
    E_FILE_CHECK CandidatesCheck(const SCandidateKind& kind, const char* pszDir,
                                 const std::vector<CString>& arPrimary, std::vector<CBupAssessmentEx>& arResult,
                                 bool fSilent);
    E_FILE_CHECK FileSelect(bool fConfiguration, const char* pszDir, std::vector<CBupAssessmentEx>& arCandidates,
                            CBupAssessmentEx& selected);

    // The module-driven jobs: their entry points read top to bottom, the steps
    // they share are written once (krnl2_app_job_steps.cpp), and one loop drives
    // every call sequence (krnl2_app_module_run.cpp).
    class CModuleRun;
    class CBiosUpdateRun;
    class CConfigurationRestoreRun;
    class CConfigurationBackupRun;
    uint32_t ModuleRun(CModuleRun& run);
    // The same, traced with the job's options.
    uint32_t ModuleRunWithOptions(CModuleRun& run);
    uint32_t DoTheConfigurationBackupMainLoop();
    // The restore and update jobs; their result (31 for a failure before the module ran).
    uint32_t ConfigurationRestoreRun(bool fCheckAndSelect);
    uint32_t BiosUpdateRun();
    // A job that cannot go on: the text (a string resource) as event 2012 and to the front-end; 31.
    uint32_t JobRefused(int idText);
    // A package refused by the archive rules, or one that could not be unpacked: the
    // package and the reason as event 2012, and to the front-end when fClient. Nothing
    // when the archive gave no reason (it was simply no usable archive).
    void ArchiveRefusalReport(const CBupArchive& arc, bool fClient);
    // A step announced to the front-end, and to the log (event 2010) when fLogged.
    void JobStep(int idText, bool fLogged);
    // The module's transfer directory; false, told to the front-end, when it cannot be made.
    bool TransferDirReady();
    // The job's working directory, when it names one, replaces the kernel's.
    void WrkDirFromJob();
    // Scan, report and select a package (or a configuration archive) into m_CurArc;
    // false, reported, when there is none to use.
    bool FileChoose(bool fConfiguration);
    // The chosen file to the log and the front-end, then a request for the confirmations
    // it needs that the job did not give; false when any is missing.
    bool ChosenFileConfirm(const CConfirmFlags& given);
    bool ConfirmationsEnsure(const CConfirmFlags& missing);
    // The request fields of a module record, from the job's options.
    void OperationRequestFromJob(CQmx2OperationBase& rec) const;
    void RequestFromJob(CQmx2UpdateInfo& rec) const;
    // The end of an update or restore run: success, or its failure reported by reason; 0.
    uint32_t RunOutcomeReport(E_MODULE_JOB eJob, uint32_t ulStatus, const CQmx2OperationBase& rec);

    // Whether the job changes the machine or reads its secrets.
    bool JobNeedsRights() const;
    // Why the user may not have this job done; empty when they may.
    CString JobRefusalFor(unsigned uUid) const;
    // A session from an untrusted response FIFO, or a job the user may not have
    // done: the reason to the front-end and, with the uid, to the event log. True
    // when refused.
    bool SessionRefused(bool fTrusted, const std::string& strUntrusted, unsigned uUid);
    // A request that did not come from the process it names: traced and logged,
    // nothing sent.
    void RequestIgnored(const std::string& strWhy);
    // One line for the job just done in the history of jobs; fFailed adds to the
    // errors the job reported.
    void HistoryAppend(const char* pszJob, unsigned uUid, bool fFailed);
    // Ends the session: the announcement shows the kernel ready again. Returns fJob.
    bool SessionEnd(bool fJob);
    // One task-loop turn for a request that arrived: the session and its job.
    // True when the request was a job this kernel carries out.
    bool RequestServe();

    int m_fSkipReboot = 0;
    CFileNamePatterns m_FileNamePatterns;
    CString m_csTempDir;
    CString m_csBinDir;
    CString m_csBinPath;
    CKrnl2Inter m_If;
    std::unique_ptr<CProfile> m_pProfile;
    E_SHUTDOWN m_eShutDown = SD_NO;
    CQmx2Module m_Qmx;
    bool m_fMadeChanges = false;
    CString m_csWrkDir;
    CString m_csLogfile;
    CBupAssessmentEx m_CurArc;
    CString m_csCurArcPath;
    // The first error the job reported to the front-end, for the history.
    std::string m_strJobError;
    CConfirmFlags m_confirmflags;
    CQmCmdLine m_CmdInfo;
    CQmCmdLine m_JobCmdInfo;
    int m_nClientWaitTimeout = 10;
    // Published in the announcement block.
    CString m_csActiveBios;
    CString m_csSystemInfo;
    CString m_csMeFirmware;
};

// Appends <parent><name>value</name></parent> as the last child of the document's
// root and replaces the block's text by the rewritten document.
void AppendToken(CBupInfo& bupinfo, CMemBlk& block, const char* pszParent, const char* pszName,
                 const char* pszValue);

// "[0]='qmkrnl2'" then "\n[1]='--server'" ...; returns the string's text.
const char* CommandLineParameters2Str(int argc, char** argv, CString& out);
