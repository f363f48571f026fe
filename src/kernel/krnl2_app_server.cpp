// Server mode: the announcement, the task loop and the job's command line.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "bupinfo/archive_cache.h"
#include "kernel/krnl2_app.h"
#include "quillmark/qmx2.h"
#include "support/msc.h"
#include "support/opus_trace.h"
#include "support/win_error.h"

namespace {

using Clock = std::chrono::steady_clock;
// How long the server waits for a request before it ends.
constexpr auto kIdleSpan = std::chrono::seconds(10);
// After a request record that could not be read.
constexpr auto kBrokenPause = std::chrono::milliseconds(5);

unsigned long Seconds(Clock::time_point t) {
    return static_cast<unsigned long>(std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count());
}

// Strings of the announcement block go behind its fixed fields and are cut at its end.
int32_t BlockStringPut(CKrnl2Inter::BROADCASTINFO& info, int32_t off, const char* psz) {
    constexpr int32_t kEnd = static_cast<int32_t>(sizeof(CKrnl2Inter::BROADCASTINFO));
    char* pBlock = reinterpret_cast<char*>(&info);
    if (off >= kEnd)
        return kEnd;
    const size_t nRoom = static_cast<size_t>(kEnd - off);
    const size_t nLen = std::min(std::strlen(psz), nRoom - 1);
    std::memcpy(pBlock + off, psz, nLen);
    pBlock[off + static_cast<int32_t>(nLen)] = '\0';
    return off + static_cast<int32_t>(nLen) + 1;
}

}  // namespace

int CKrnl2App::RunServer() {
    QM_TRACE_ENTER(3, "%s", "");
    m_If.KernelStateSet(CKrnl2Inter::eQmKrnl2Init);
    QM_TRACE_INTERNAL(4, "", "eKernelState=QMKRNL_INIT");
    BroadcastInfoUpdate(true);
    m_If.ResponseFifoKickOffZombies();
    int nRet = 1;
    if (!m_If.RequestFifo2Prepare()) {
        QM_TRACE_INTERNAL(1, "", "could not create request FIFO");
    } else {
        QM_TRACE_INTERNAL(4, "", "request FIFO is prepared");
        nRet = TaskLoop();
        m_If.RequestFifo2Cleanup();
    }
    QM_TRACE_LEAVE(3, "fRet=%d", nRet);
    return nRet;
}

void CKrnl2App::BroadcastInfoUpdate(bool fClearAll) {
    CKrnl2Inter::BROADCASTINFO* pInfo = m_If.InfoWritable();
    if (!pInfo)
        return;
    constexpr int32_t kStrings = static_cast<int32_t>(offsetof(CKrnl2Inter::BROADCASTINFO, szStrings));
    if (fClearAll) {
        pInfo->szStrings[0] = '\0';
        pInfo->offActiveBios = pInfo->offSystemInfo = pInfo->offMeFirmware = kStrings;
        return;
    }
    pInfo->offActiveBios = kStrings;
    pInfo->offSystemInfo = BlockStringPut(*pInfo, pInfo->offActiveBios, m_csActiveBios);
    pInfo->offMeFirmware = BlockStringPut(*pInfo, pInfo->offSystemInfo, m_csSystemInfo);
    BlockStringPut(*pInfo, pInfo->offMeFirmware, m_csMeFirmware);
}

int CKrnl2App::TaskLoop() {
    QM_TRACE_ENTER(3, "%s", "");
    CKrnl2Inter::BROADCASTINFO* pInfo = m_If.InfoWritable();
    const bool fNoExtLocate = m_CmdInfo.OptionExists(eNoExtLocate);
    uint32_t ulStatus = 0;
    if (fNoExtLocate) {
        m_csActiveBios = "unspecified BIOS";
        m_csSystemInfo = "unspecified system";
    } else {
        ulStatus = ExtLocateAndInstall();
        m_csActiveBios = m_Qmx.m_OemInfo.sBiosInfo.c_str();
        m_csSystemInfo = m_Qmx.m_OemInfo.sSystemInfo.c_str();
        m_csMeFirmware = m_Qmx.m_OemInfo.sMeFirmwareVersion.c_str();
    }

    if (Qmx2Failed(ulStatus)) {
        int nRet = 0;
        switch (Qmx2Reason(ulStatus)) {
        case QMX2_REASON_INSUFFICIENT_PRIVILEGES:
        case QMX2_REASON_TXT_ENABLED:
            m_If.KernelStateSet(CKrnl2Inter::eQmKrnl2ErrInsufficentPrivileges);
            QM_TRACE_INTERNAL(1, "", "Insufficient privileges");
            break;
        case QMX2_REASON_INVALID_DIRECTORY:
            m_If.KernelStateSet(CKrnl2Inter::eQmKrnl2ErrInvalidDirectory);
            QM_TRACE_INTERNAL(1, "", "Invalid directory");
            break;
        case QMX2_REASON_OS_NOT_SUPPORTED:
            m_If.KernelStateSet(CKrnl2Inter::eQmKrnl2ErrOperatingSystemNotSupported);
            QM_TRACE_INTERNAL(1, "", "Operating system not supported");
            break;
        default:
            m_If.KernelStateSet(CKrnl2Inter::eQmKrnl2ErrNoHardwareModuleFound);
            QM_TRACE_INTERNAL(1, "", "Hardware module not found");
            break;
        }
        BroadcastInfoUpdate(true);
        m_If.ReadyToUse();
        if (pInfo->eKernelState == CKrnl2Inter::eQmKrnl2ErrNoHardwareModuleFound) {
            QM_TRACE_INTERNAL(1, "", "Leaving kernel immediately as hardware is not supported by these kernel modules");
            nRet = 3;
        } else {
            // Front-ends get the whole idle span to read the state.
            std::this_thread::sleep_for(kIdleSpan);
        }
        QM_TRACE_LEAVE(3, "ret=%d (ExitCode)", nRet);
        return nRet;
    }

    BroadcastInfoUpdate(false);
    m_FileNamePatterns.SetToken("baseboard", m_csSystemInfo);
    m_FileNamePatterns.SetToken("system", "base_board");
    m_FileNamePatterns.SetToken("model", "product_name");
    m_FileNamePatterns.SetToken("biosversion", m_csActiveBios);
    m_If.KernelStateSet(CKrnl2Inter::eQmKrnl2Ready);
    QM_TRACE_INTERNAL(4, "", "eKernelState=eQmKrnl2Ready");
    m_If.ReadyToUse();

    auto ctQuit = Clock::now() + kIdleSpan;
    // The hard break keeps its meaning in time: ten seconds without a request.
    auto ctDeadSince = Clock::now();
    int nDead = 0;
    bool fJobDone = false;
    while (m_eShutDown == SD_NO && !fJobDone && Clock::now() < ctQuit) {
        QM_TRACE_INTERNAL(5, "", "ctQuit=%lu, current=%lu, nDead=%d", Seconds(ctQuit), Seconds(Clock::now()), nDead);
        const auto ctLook = Clock::now();
        if (m_If.Connect(1) != ERROR_SUCCESS) {
            if (nDead++ == 0)
                ctDeadSince = Clock::now();
            if (Clock::now() - ctDeadSince >= kIdleSpan) {
                QM_TRACE_INTERNAL(2, "", "hard break after 10 seconds");
                break;
            }
            QM_TRACE_INTERNAL(6, "", "no client request");
            // Connect waited in poll for a request; one that failed at once (a
            // broken record) gets a pause, so a stream of junk cannot spin us.
            if (Clock::now() - ctLook < kBrokenPause)
                std::this_thread::sleep_for(kBrokenPause);
            continue;
        }
        nDead = 0;
        QM_TRACE_INTERNAL(3, "client requests service", "cmd='%s', pid=%d",
                          MscFilterPasswordSwitches(m_If.m_jobdata.m_csCmdLine),
                          static_cast<int>(m_If.m_jobdata.m_pidClient));
        if (m_If.m_jobdata.m_csCmdLine.IsEmpty())
            continue;
        ctQuit = Clock::now() + kIdleSpan;
        if (!m_If.ResponseFifo2Prepare(m_If.m_jobdata.m_pidClient)) {
            QM_TRACE_INTERNAL(1, "", "m_If.ResponseFifo2Prepare(%d) failed", static_cast<int>(m_If.m_jobdata.m_pidClient));
            continue;
        }
        // Nothing of a request is acted on, not even its log file, before its
        // origin is checked.
        std::string strForged;
        if (!m_If.RequestOriginCheck(strForged)) {
            RequestIgnored(strForged);
            m_If.ResponseFifo2Cleanup();
            continue;
        }
        JobCommandLineParse(m_If.m_jobdata.m_csCmdLine);
        if (m_JobCmdInfo.OptionExists(eError)) {
            QM_TRACE_INTERNAL(1, "", "error parsing command line");
            m_If.ResponseFifo2Cleanup();
            continue;
        }
        fJobDone = RequestServe();
        ctQuit = Clock::now() + kIdleSpan;
    }

    if (!fNoExtLocate)
        ExtCleanUp();
    QM_TRACE_LEAVE(3, "ret=%d (ExitCode)", 0);
    return 0;
}

bool CKrnl2App::RequestServe() {
    CArchiveCache::ForJob().Clear();
    uid_t uid = 0;
    std::string strUntrusted;
    const bool fOwnerKnown = m_If.ResponseFifoOwnerGet(uid, strUntrusted);
    if (!m_If.SessionBegin(uid)) {
        m_If.ResponseFifo2Cleanup();
        TaskVarsClean();
        return false;
    }
    m_If.KernelStateSet(CKrnl2Inter::eQmKrnl2Busy);
    QM_TRACE_INTERNAL(4, "", "eKernelState=QMKRNL_BUSY");
    m_If.SessionOwnerSet(static_cast<int32_t>(m_If.m_jobdata.m_pidClient));
    QM_TRACE_INTERNAL(4, "", "Sending acknowledge to client");
    m_If.m_jobdata.m_eJobType = CDEdureMsg::eAccept;
    m_If.SendJob(50);
    QM_TRACE_INTERNAL(4, "", "Working Directory: '%s'", m_csWrkDir.c_str());

    // The named client takes the session by attaching its block; a request whose
    // twin waits behind it may be another user's forgery, so neither is served.
    const pid_t pidClient = m_If.m_jobdata.m_pidClient;
    // Generous: a front-end takes it at once, but a loaded machine must not cost a
    // real client its job.
    constexpr uint32_t kTakeTenths = 50;
    if (!m_If.SessionTakenBy(pidClient, std::max<uint32_t>(kTakeTenths, static_cast<uint32_t>(m_nClientWaitTimeout)))) {
        RequestIgnored("process " + std::to_string(pidClient) + " did not take the session");
        return SessionEnd(false);
    }
    bool fTrusted = fOwnerKnown;
    if (fTrusted && m_If.RequestsWaitingFrom(pidClient, strUntrusted))
        fTrusted = false;

    bool fJob = true;
    m_strJobError.clear();
    const char* pszHistoryJob = nullptr;  // the jobs the history keeps
    bool fMakeFailed = false;
    if (SessionRefused(fTrusted, strUntrusted, uid)) {
        fJob = false;
    } else if (!m_CmdInfo.OptionExists(eNoExtLocate)) {
        if (m_JobCmdInfo.OptionExists(ePwc))
            m_JobCmdInfo.DecodePassword();
        if (m_JobCmdInfo.OptionExists(eNvramUpdate)) {
            pszHistoryJob = "restore";
            DoTheConfigurationRestore(true);
        } else if (m_JobCmdInfo.OptionExists(eUpdate)) {
            pszHistoryJob = "update";
            DoTheBiosUpdate();
        } else if (m_JobCmdInfo.OptionExists(eActionStatus)) {
            pszHistoryJob = "last_action";
            DoDisplayActionStatus();
        } else if (m_JobCmdInfo.OptionExists(eArchiveConfiguration)) {
            pszHistoryJob = "backup";
            DoTheConfigurationBackup();
        } else if (m_JobCmdInfo.OptionExists(eUsage)) {
            QM_TRACE_INTERNAL(3, "", "Usage client request, nothing to do");
        } else if (m_JobCmdInfo.OptionExists(eInfo)) {
            QM_TRACE_INTERNAL(3, "", "Info client request, nothing to do");
        } else {
            CString csOptions;
            QM_TRACE_INTERNAL(1, "Unknown client request for asynchronous mode, check options", "options: %s",
                              m_JobCmdInfo.m_Options.ToString(csOptions));
            fJob = false;
        }
    } else if (m_JobCmdInfo.OptionExists(eMake)) {
        pszHistoryJob = "combine";
        fMakeFailed = ExtLocateAndExecuteSynchronousCommand() != ERROR_SUCCESS;
    } else {
        CString csOptions;
        QM_TRACE_INTERNAL(1, "Unknown client request for synchronous mode, check options", "options: %s",
                          m_JobCmdInfo.m_Options.ToString(csOptions));
        fJob = false;
    }

    if (m_eShutDown != SD_NO)
        ClientMsgWait(m_nClientWaitTimeout, 5, CDEdureMsg::eWarning,
                      m_JobCmdInfo.OptionExists(eNoReboot)
                          ? "Automatic reboot skipped. Manual reboot needed to activate new BIOS!"
                          : "Rebooting system...");
    if (pszHistoryJob)
        HistoryAppend(pszHistoryJob, uid, fMakeFailed);
    ClientMsgWait(20, 5, CDEdureMsg::eJobDone);
    return SessionEnd(fJob);
}

bool CKrnl2App::SessionEnd(bool fJob) {
    m_If.ResponseFifo2Cleanup();
    m_If.SessionOwnerSet(0);
    if (m_eShutDown == SD_NO) {
        m_If.KernelStateSet(CKrnl2Inter::eQmKrnl2Ready);
        QM_TRACE_INTERNAL(4, "", "eKernelState=eQmKrnl2Ready");
    }
    if (m_fSkipReboot == 0 && m_JobCmdInfo.OptionExists(eNoReboot))
        m_fSkipReboot = 1;
    TaskVarsClean();
    return fJob;
}

bool CKrnl2App::JobCommandLineParse(const char* szCmdLine) {
    QM_TRACE_ENTER(3, "szCmdLine='%s'", MscFilterPasswordSwitches(szCmdLine));
    m_JobCmdInfo.Parse(szCmdLine);
    if (m_JobCmdInfo.OptionExists(eError)) {
        QM_TRACE_INTERNAL(1, "", "m_JobCmdInfo.Parse failed");
        QM_TRACE_LEAVE(3, "ret=%s", QmBool2Str(false));
        return false;
    }
    CString csOptions;
    QM_TRACE_INTERNAL(3, "These are the parsed parameters", "%s", m_JobCmdInfo.m_Options.ToString(csOptions));

    bool fRet = true;
    WrkDirFromJob();
    if (m_JobCmdInfo.OptionExists(eObjectFile)) {
        CString csDir, csName, csExt;
        MscPathSplit(m_JobCmdInfo.m_csTarget, &csDir, &csName, &csExt);
        if (csDir.IsEmpty())
            csDir = m_csWrkDir + "/";
        m_CurArc.m_csName = csName + csExt;
        m_csCurArcPath = csDir + csName + csExt;
        if (csExt.CompareNoCase(".bup") == 0 || csExt.CompareNoCase(".nvux") == 0) {
            m_CurArc.m_ArcType = CArcType::eArcTypeArchive;
        } else {
            m_CurArc.m_csName.Empty();
            m_csCurArcPath.Empty();
            m_CurArc.m_ArcType = CArcType::eArcTypeNone;
            QM_TRACE_INTERNAL(1, "", "unknown file extension '%s'", csExt.c_str());
            fRet = false;
        }
    }
    if (m_JobCmdInfo.OptionExists(eLogfile) && !LogfileNamePrepare(m_JobCmdInfo.m_csLogfile))
        fRet = false;
    m_confirmflags.Set(CConfirmFlags::BiosOverwrite, m_JobCmdInfo.OptionExists(eOverwrite));
    m_confirmflags.Set(CConfirmFlags::BootForUpdate | CConfirmFlags::BootAfterUpdate,
                       m_JobCmdInfo.OptionExists(eAllowReboot));
    QM_TRACE_LEAVE(3, "ret=%s", QmBool2Str(fRet));
    return fRet;
}
