#include "ipc/krnl2_inter.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "ipc/process_fds.h"
#include "ipc/shared_word.h"
#include "support/msc.h"
#include "support/opus_trace.h"
#include "support/win_error.h"

namespace {

using Clock = std::chrono::steady_clock;
// Where there is no descriptor to wait on, look at least this often; the first
// looks come sooner, since the other side usually answers within microseconds.
constexpr auto kLook = std::chrono::milliseconds(5);
constexpr auto kFirstLook = std::chrono::microseconds(20);

Clock::time_point DeadlineTenths(uint32_t ulTenths) { return Clock::now() + std::chrono::milliseconds(100) * ulTenths; }
Clock::time_point DeadlineSeconds(uint32_t ulSeconds) { return Clock::now() + std::chrono::seconds(ulSeconds); }

// Polls cond every few milliseconds until it holds or the deadline has passed.
template <typename Cond>
bool WaitFor(Cond cond, Clock::time_point deadline) {
    Clock::duration pause = kFirstLook;
    for (;;) {
        if (cond())
            return true;
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(pause);
        pause = std::min<Clock::duration>(pause * 2, kLook);
    }
}

// Like WaitFor, for a word of shared memory: sleeps until the other side
// changes or wakes it, looking at least every kLook.
template <typename Word, typename Cond>
bool WaitForWord(const Word& nWord, Cond cond, Clock::time_point deadline) {
    static_assert(sizeof(Word) == sizeof(uint32_t), "a futex word");
    for (;;) {
        const Word nSeen = __atomic_load_n(&nWord, __ATOMIC_ACQUIRE);
        if (cond(nSeen))
            return true;
        const auto now = Clock::now();
        if (now >= deadline)
            return false;
        SharedWordWait(reinterpret_cast<const uint32_t*>(&nWord), static_cast<uint32_t>(nSeen),
                       std::chrono::duration_cast<std::chrono::microseconds>(std::min<Clock::duration>(deadline - now, kLook)));
    }
}

void WordPublish(int32_t& nWord, int32_t nValue) {
    __atomic_store_n(&nWord, nValue, __ATOMIC_RELEASE);
    SharedWordWake(reinterpret_cast<const uint32_t*>(&nWord));
}

CString ResponseFifoPath(pid_t pid) {
    CString cs;
    cs.Format("%s_%d.sync", CKrnl2Inter::s_ResponseFifoBase, static_cast<int>(pid));
    return cs;
}

}  // namespace

const char* IfType2Str(E_IF_TYPE eType) {
    switch (eType) {
    case IF_NOT_AVAILABLE: return "IF_NOT_AVAILABLE";
    case IF_FREE: return "IF_FREE";
    case IF_FORCE_SERVER: return "IF_FORCE_SERVER";
    case IF_FORCE_CLIENT: return "IF_FORCE_CLIENT";
    case IF_SERVER: return "IF_SERVER";
    case IF_CLIENT: return "IF_CLIENT";
    default: return "<unknown>";
    }
}

const char* CKrnl2Inter::Type2Str(int32_t eState) {
    switch (eState) {
    case eQmKrnl2Init: return "eQmKrnl2Init";
    case eQmKrnl2Ready: return "eQmKrnl2Ready";
    case eQmKrnl2Busy: return "eQmKrnl2Busy";
    case eQmKrnl2Err: return "eQmKrnl2Err";
    case eQmKrnl2ErrInsufficentPrivileges: return "eQmKrnl2ErrInsufficentPrivileges";
    case eQmKrnl2ErrInvalidDirectory: return "eQmKrnl2ErrInvalidDirectory";
    case eQmKrnl2ErrOperatingSystemNotSupported: return "eQmKrnl2ErrOperatingSystemNotSupported";
    case eQmKrnl2ErrNoHardwareModuleFound: return "eQmKrnl2ErrNoHardwareModuleFound";
    case eQmKrnl2Invalid: return "eQmKrnl2Invalid";
    default: {
        static char s_szInvalid[32];
        std::snprintf(s_szInvalid, sizeof s_szInvalid, "<invalid=%d>", eState);
        return s_szInvalid;
    }
    }
}

CKrnl2Inter::~CKrnl2Inter() {
    m_SessionCtrlMem.Close();
    m_pSessionCtrl = nullptr;
}

bool CKrnl2Inter::Open(E_IF_TYPE eIfType, const CTInterface<BROADCASTINFO>::Accept& accept) {
    QM_TRACE_ENTER(3, "eIfType=%s", IfType2Str(eIfType));
    bool fRet = false;
    if (!m_Connect.Open(s_FifoName, eIfType, accept)) {
        QM_TRACE_INTERNAL(1, "m_Connect.Open() failed", "name='%s', type=%s", s_FifoName, IfType2Str(eIfType));
    } else {
        m_pInfo = m_Connect.ptr();
        if (m_Connect.Type() == IF_SERVER) {
            if (m_SessionCtrlMem.Create(sizeof(SESSIONCTRL), 0, 0600)) {
                m_pSessionCtrl = static_cast<SESSIONCTRL*>(m_SessionCtrlMem.PtrGet());
                m_pInfo->idSessionCtrl = m_SessionCtrlMem.HandleGet();
                fRet = true;
            } else {
                QM_TRACE_INTERNAL(1, "", "error creating shared memory for session conl");
            }
        } else if (m_Connect.Type() == IF_CLIENT) {
            // Each session has its own block, handed to the client's user when the
            // kernel accepts the job: it is attached on first use.
            fRet = true;
        } else {
            QM_TRACE_INTERNAL(1, "", "unhandled interface type");
        }
    }
    QM_TRACE_LEAVE(3, "ret=%s", QmBool2Str(fRet));
    return fRet;
}

bool CKrnl2Inter::SessionBegin(uid_t uid) {
    CIpcSharedMem& mem = m_SessionCtrlMem;
    mem.Close();
    m_pSessionCtrl = nullptr;
    if (!mem.Create(sizeof(SESSIONCTRL), 0, 0600) || !mem.OwnerSet(uid, 0600)) {
        QM_TRACE_INTERNAL(1, "", "no session control for uid %u", static_cast<unsigned>(uid));
        return false;
    }
    m_pSessionCtrl = static_cast<SESSIONCTRL*>(mem.PtrGet());
    m_pInfo->idSessionCtrl = mem.HandleGet();
    return true;
}

bool CKrnl2Inter::ResponseFifoOwnerGet(uid_t& uid, std::string& strWhy) const {
    struct stat st {};
    if (!m_ResponseFifo.CheckOpen() || fstat(m_ResponseFifo.FileGet(), &st) != 0 || !S_ISFIFO(st.st_mode)) {
        strWhy = "the response FIFO is not open";
        return false;
    }
    uid = st.st_uid;
    if (!getpwuid(st.st_uid)) {
        strWhy = "the response FIFO belongs to uid " + std::to_string(st.st_uid) + ", which is no known user";
        return false;
    }
    if (st.st_mode & (S_IWGRP | S_IWOTH)) {
        strWhy = "the response FIFO may be written by others than its owner";
        return false;
    }
    return true;
}

bool CKrnl2Inter::RequestOriginCheck(std::string& strWhy) const {
    const pid_t pid = m_jobdata.m_pidClient;
    const std::string strWho = "process " + std::to_string(static_cast<long>(pid));
    struct stat st {};
    uid_t uid = 0;
    if (pid <= 0 || pid == getpid() || !ProcessEuidGet(pid, uid)) {
        strWhy = "there is no " + strWho;
        return false;
    }
    if (!m_ResponseFifo.CheckOpen() || fstat(m_ResponseFifo.FileGet(), &st) != 0 || st.st_uid != uid) {
        strWhy = strWho + " runs as uid " + std::to_string(uid) + ", its response FIFO belongs to another user";
        return false;
    }
    if (!ProcessWritesTo(pid, m_RequestFifo.FileGet())) {
        strWhy = strWho + " does not hold the request FIFO open for writing";
        return false;
    }
    return true;
}

bool CKrnl2Inter::SessionTakenBy(pid_t pid, uint32_t ulTimeoutTenths) const {
    if (!m_pSessionCtrl)
        return false;
    // The client wakes the block's read counter once it has attached the block.
    return WaitForWord(m_pSessionCtrl->nMsgRead, [&](uint32_t) { return m_SessionCtrlMem.AttachedBy(pid); },
                       DeadlineTenths(ulTimeoutTenths));
}

bool CKrnl2Inter::RequestsWaitingFrom(pid_t pid, std::string& strWhy) {
    // Enough for every front-end of a busy desktop; a flood beyond it proves nothing.
    constexpr size_t kAheadMax = 256;
    bool fNamed = false;
    int nBytes = 0;
    // Broken records count too, so a writer streaming garbage cannot keep us here.
    for (size_t nReads = 0; ioctl(m_RequestFifo.FileGet(), FIONREAD, &nBytes) == 0 && nBytes > 0; ++nReads) {
        if (m_RequestsAhead.size() >= kAheadMax || nReads >= 4 * kAheadMax) {
            strWhy = "more than " + std::to_string(kAheadMax) + " requests are waiting";
            return true;
        }
        CJobData record;
        if (record.FromFifo(m_RequestFifo, 1) != ERROR_SUCCESS)
            continue;  // what the server would have skipped as well
        if (record.m_eJobType == CDEdureMsg::eRequestAction && record.m_pidClient == pid) {
            QM_TRACE_INTERNAL(1, "", "a second request names pid %d", static_cast<int>(pid));
            fNamed = true;
            continue;
        }
        m_RequestsAhead.push_back({record.m_eJobType, record.m_csCmdLine, record.m_pidClient});
    }
    if (fNamed)
        strWhy = "another request names process " + std::to_string(static_cast<long>(pid));
    return fNamed;
}

bool CKrnl2Inter::SessionCtrlAttach() {
    m_SessionCtrlMem.Close();
    m_pSessionCtrl = nullptr;
    if (!m_SessionCtrlMem.Open(m_pInfo->idSessionCtrl, SHM_RND)) {
        QM_TRACE_INTERNAL(1, "", "error opening shared memory for session control");
        return false;
    }
    m_pSessionCtrl = static_cast<SESSIONCTRL*>(m_SessionCtrlMem.PtrGet());
    // The kernel waits for this attachment: it takes the session.
    SharedWordWake(&m_pSessionCtrl->nMsgRead);
    return true;
}

void CKrnl2Inter::Kill() {
    m_Connect.Kill(s_FifoName);
    m_SessionCtrlMem.Close();
    m_pSessionCtrl = nullptr;
}

void CKrnl2Inter::ResponseFifoKickOffZombies() {
    CString csPattern;
    csPattern.Format("%s_*.sync", s_ResponseFifoBase);
    MscFileRemoveWild(csPattern, false);
}

bool CKrnl2Inter::RequestFifo2Prepare() {
    QM_TRACE_ENTER(3, "type=%s", IfType2Str(Type()));
    bool fRet = false;
    if (Type() == IF_SERVER) {
        QM_TRACE_INTERNAL(4, "KILL", "REQUEST=%s", s_RequestFifoName);
        m_Connect.Kill(s_RequestFifoName);
        m_RequestFifo = s_RequestFifoName;
        // Others may write a request, never read one: requests carry passwords.
        const int nErr = m_RequestFifo.Create(0600, 0622);
        if (nErr == 0) {
            QM_TRACE_INTERNAL(4, "", "request FIFO  was created");
            // Holding a write end too, a read waits in poll until a request comes,
            // never seeing the end of file between one writer and the next.
            fRet = m_RequestFifo.Open(O_NONBLOCK | O_RDWR) == 0;
            QM_TRACE_INTERNAL(fRet ? 4 : 1, "", "%s",
                              fRet ? "created fifo was opened" : "fifo was created but could not be opened");
        } else if (nErr == EEXIST) {
            QM_TRACE_INTERNAL(1, "", "request fifo '%s' already exists", s_RequestFifoName);
        } else {
            QM_TRACE_INTERNAL(1, "", "unknown error during creating / opening request fifo");
        }
    } else if (Type() == IF_CLIENT) {
        m_RequestFifo = s_RequestFifoName;
        fRet = m_RequestFifo.Open(O_NONBLOCK | O_WRONLY) == 0;
        if (!fRet)
            QM_TRACE_INTERNAL(1, "", "fifo could not be openend");
        // A job goes only into a kernel's FIFO: root's, or our own user's.
        struct stat st {};
        if (fRet && (fstat(m_RequestFifo.FileGet(), &st) != 0 || (st.st_uid != 0 && st.st_uid != geteuid()))) {
            QM_TRACE_INTERNAL(1, "refused", "request FIFO belongs to uid %u", static_cast<unsigned>(st.st_uid));
            m_RequestFifo.Close();
            fRet = false;
        }
    } else {
        QM_TRACE_INTERNAL(1, "", "fatal error");
    }
    QM_TRACE_LEAVE(3, "ret=%s", QmBool2Str(fRet));
    return fRet;
}

void CKrnl2Inter::RequestFifo2Cleanup() {
    if (Type() == IF_SERVER)
        m_RequestFifo.CleanUp();
    else if (Type() == IF_CLIENT)
        m_RequestFifo.Close();
    else
        QM_TRACE_INTERNAL(1, "", "interface not open as IF_SERVER or IF_CLIENT");
}

bool CKrnl2Inter::ResponseFifo2Prepare(pid_t pid) {
    QM_TRACE_ENTER(3, "pid=%d, type=%s", static_cast<int>(pid), IfType2Str(Type()));
    bool fRet = false;
    m_ResponseFifo = ResponseFifoPath(pid);
    if (Type() == IF_SERVER) {
        // Opened without following links and only when the node is a FIFO.
        fRet = m_ResponseFifo.Open(O_NONBLOCK | O_WRONLY) == 0;
        if (!fRet)
            QM_TRACE_INTERNAL(1, "", "fifo could not be openend");
    } else if (Type() == IF_CLIENT) {
        // This user's alone: nobody else may read the session or write into it.
        const int nErr = m_ResponseFifo.Create(0600, 0600);
        if (nErr == 0) {
            QM_TRACE_INTERNAL(4, "", "FIFO was created");
            // Read and write: until the kernel opens its end, a read waits in poll.
            fRet = m_ResponseFifo.Open(O_NONBLOCK | O_RDWR) == 0;
            QM_TRACE_INTERNAL(fRet ? 4 : 1, "", "%s",
                              fRet ? "created FIFO was opened" : "fifo was created but could not be opened");
        } else if (nErr == EEXIST) {
            QM_TRACE_INTERNAL(1, "", "fifo already exists");
        } else {
            QM_TRACE_INTERNAL(1, "", "unknown error during creating/opening fifo");
        }
    } else {
        QM_TRACE_INTERNAL(1, "", "unhandled interface type");
    }
    QM_TRACE_LEAVE(3, "ret=%s", QmBool2Str(fRet));
    return fRet;
}

void CKrnl2Inter::ResponseFifo2Cleanup() {
    if (Type() == IF_SERVER)
        m_ResponseFifo.Close();
    else
        m_ResponseFifo.CleanUp();
}

uint32_t CKrnl2Inter::Connect(uint32_t ulTimeoutTenths) {
    if (Type() == IF_SERVER) {
        if (ulTimeoutTenths == 0)
            return ERROR_GEN_FAILURE;
        const bool fReady = WaitFor([this] { return m_pInfo->eKernelState == eQmKrnl2Ready; },
                                    DeadlineTenths(ulTimeoutTenths - 1));
        if (!fReady) {
            QM_TRACE_INTERNAL(4, "", "I am not ready for accepting job");
            return ERROR_TIMEOUT;
        }
        if (!m_RequestsAhead.empty()) {
            const SRequestAhead& request = m_RequestsAhead.front();
            m_jobdata.m_eJobType = request.eType;
            m_jobdata.m_csCmdLine = request.csCmdLine;
            m_jobdata.m_pidClient = request.pid;
            m_RequestsAhead.pop_front();
            return ERROR_SUCCESS;
        }
        return m_jobdata.FromFifo(m_RequestFifo, 10);
    }
    if (Type() == IF_CLIENT) {
        const bool fReady = WaitForWord(m_pInfo->eKernelState, [](int32_t eState) { return eState == eQmKrnl2Ready; },
                                        DeadlineTenths(ulTimeoutTenths));
        if (!fReady) {
            QM_TRACE_INTERNAL(2, "kernel is locked by a process", "PID=%d", m_pInfo->pidClient);
            return WAIT_TIMEOUT;
        }
        return ERROR_SUCCESS;
    }
    QM_TRACE_INTERNAL(1, "", "interface not open as IF_SERVER or IF_CLIENT");
    return ERROR_GEN_FAILURE;
}

uint32_t CKrnl2Inter::SendJob(uint32_t ulTimeoutSeconds) {
    if (Type() != IF_SERVER && Type() != IF_CLIENT) {
        QM_TRACE_INTERNAL(1, "", "unhandled interface type: %d", Type());
        return ERROR_GEN_FAILURE;
    }
    CIpcFifo& fifo = Type() == IF_SERVER ? m_ResponseFifo : m_RequestFifo;
    const bool fSent = WaitFor([&] { return m_jobdata.ToFifo(fifo, 0) == ERROR_SUCCESS; },
                               DeadlineSeconds(ulTimeoutSeconds));
    if (!fSent) {
        QM_TRACE_INTERNAL(1, "", "SendJob failed during timeout");
        return ERROR_TIMEOUT;
    }
    if (Type() == IF_SERVER)
        QM_TRACE_INTERNAL(4, "", "sent response to client");
    else
        QM_TRACE_INTERNAL(4, "", "sent request to server: type=%s, cmdline='%s'",
                          CDEdureMsg::ToString(m_jobdata.m_eJobType),
                          MscFilterPasswordSwitches(m_jobdata.m_csCmdLine));
    return ERROR_SUCCESS;
}

uint32_t CKrnl2Inter::ReceiveJob(uint32_t ulTimeoutSeconds) {
    if (Type() != IF_CLIENT)
        return ERROR_GEN_FAILURE;
    const auto start = Clock::now();
    const bool fReceived = WaitFor(
        [&] {
            const uint32_t ulStatus = m_jobdata.FromFifo(m_ResponseFifo, 10);
            if (ulStatus != ERROR_SUCCESS)
                QM_TRACE_INTERNAL(2, "FromQueue returned error", "error %lu, %s",
                                  static_cast<unsigned long>(ulStatus), MscLastErr2Str(ulStatus));
            return ulStatus == ERROR_SUCCESS;
        },
        DeadlineSeconds(ulTimeoutSeconds));
    if (!fReceived) {
        QM_TRACE_INTERNAL(1, "", "ReceiveJob failed during timeout");
        return ERROR_TIMEOUT;
    }
    // The session is taken by attaching its block: the kernel waits for that.
    if (m_jobdata.m_eJobType == CDEdureMsg::eAccept && !SessionCtrlAttach())
        QM_TRACE_INTERNAL(1, "", "accepted, but the session's block cannot be attached");
    QM_TRACE_INTERNAL(4, "", "succeeded after %u seconds",
                      static_cast<unsigned>(std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start).count()));
    return ERROR_SUCCESS;
}

uint32_t CKrnl2Inter::SessionRequest(uint32_t ulTimeoutSeconds) {
    QM_TRACE_ENTER(3, "ulTimeoutSeconds=%u", ulTimeoutSeconds);
    const auto deadline = DeadlineSeconds(ulTimeoutSeconds);
    for (;;) {
        uint32_t ulStatus = Connect(20);
        if (ulStatus != ERROR_SUCCESS) {
            QM_TRACE_INTERNAL(2, "", "could not create QmKrnl interface");
        } else {
            ulStatus = SendJob(ulTimeoutSeconds / 2);
            if (ulStatus != ERROR_SUCCESS) {
                QM_TRACE_INTERNAL(2, "SendJob failed", "error=%lu, %s", static_cast<unsigned long>(ulStatus),
                                  MscLastErr2Str(ulStatus));
            } else if ((ulStatus = ReceiveJob(ulTimeoutSeconds / 2)) != ERROR_SUCCESS) {
                QM_TRACE_INTERNAL(2, "", "ReceiveJob failed");
            } else if (m_jobdata.m_eJobType == CDEdureMsg::eAccept) {
                QM_TRACE_LEAVE(3, "ret=%d", 0);
                return ERROR_SUCCESS;
            } else {
                QM_TRACE_INTERNAL(2, "", "got response, but job was not accepted");
            }
        }
        if (Clock::now() > deadline) {
            QM_TRACE_INTERNAL(1, "", "could not create QmKrnl interface");
            QM_TRACE_LEAVE(3, "ret=%d", ERROR_TIMEOUT);
            return ERROR_TIMEOUT;
        }
        std::this_thread::sleep_for(kLook);
    }
}

uint32_t CKrnl2Inter::SessionDataCheck(uint32_t ulTimeoutTenths) {
    if (m_pInfo->pidClient != m_jobdata.m_pidClient) {
        QM_TRACE_INTERNAL(2, "PID mismatch, session is closed", "m_jobdata.m_pidClient=%d, m_pInfo->pidClient=%d",
                          static_cast<int>(m_jobdata.m_pidClient), m_pInfo->pidClient);
        return ERROR_NOT_CONNECTED;
    }
    return m_sessiondata.FromFifo(m_ResponseFifo, ulTimeoutTenths);
}

uint32_t CKrnl2Inter::SessionDataSend() { return m_sessiondata.ToFifo(m_ResponseFifo, 0); }

void CKrnl2Inter::SessionClose(uint32_t) {
    if (Type() == IF_SERVER) {
        SessionOwnerSet(0);
        return;
    }
    const int32_t pidOwn = static_cast<int32_t>(getpid());
    if (!WaitForWord(m_pInfo->pidClient, [&](int32_t pid) { return pid != pidOwn; }, DeadlineTenths(20)))
        QM_TRACE_INTERNAL(2, "timeout for waiting kernel resetting", "PID=%d", pidOwn);
}

uint32_t CKrnl2Inter::ResponseAckWait(uint32_t ulTimeoutTenths) {
    if (!m_pSessionCtrl) {
        QM_TRACE_INTERNAL(1, "", "Important interface pointer 'm_pSessionCtrl' not initialized");
        return ERROR_INVALID_HANDLE;
    }
    // The client wakes us when it counts; one that does not is looked at every kLook.
    const auto deadline = DeadlineTenths(ulTimeoutTenths);
    for (;;) {
        const uint32_t ulRead = __atomic_load_n(&m_pSessionCtrl->nMsgRead, __ATOMIC_ACQUIRE);
        if (__atomic_load_n(&m_pSessionCtrl->nMsgSent, __ATOMIC_ACQUIRE) == ulRead)
            return ERROR_SUCCESS;
        const auto now = Clock::now();
        if (now >= deadline) {
            QM_TRACE_INTERNAL(2, "", "TIMEOUT");
            return ERROR_TIMEOUT;
        }
        SharedWordWait(&m_pSessionCtrl->nMsgRead, ulRead,
                       std::chrono::duration_cast<std::chrono::microseconds>(std::min<Clock::duration>(deadline - now, kLook)));
    }
}

uint32_t CKrnl2Inter::CountMessage(uint32_t SESSIONCTRL::*counter) {
    // A client follows the block the announcement names: each session has its own.
    const bool fStale = Type() == IF_CLIENT && m_pInfo && m_SessionCtrlMem.HandleGet() != m_pInfo->idSessionCtrl;
    if ((!m_pSessionCtrl || fStale) && (Type() != IF_CLIENT || !SessionCtrlAttach()))
        return ERROR_INVALID_HANDLE;
    __atomic_add_fetch(&(m_pSessionCtrl->*counter), 1, __ATOMIC_RELEASE);
    if (counter == &SESSIONCTRL::nMsgRead)
        SharedWordWake(&m_pSessionCtrl->nMsgRead);
    QM_TRACE_INTERNAL(4, "Send / receive counters", "nMsgSent=%u nMsgRead=%u => %s", m_pSessionCtrl->nMsgSent,
                      m_pSessionCtrl->nMsgRead,
                      m_pSessionCtrl->nMsgSent == m_pSessionCtrl->nMsgRead ? "OK" : "going out of sync");
    return ERROR_SUCCESS;
}

uint32_t CKrnl2Inter::CountMessageSent() { return CountMessage(&SESSIONCTRL::nMsgSent); }

uint32_t CKrnl2Inter::CountMessageRead() { return CountMessage(&SESSIONCTRL::nMsgRead); }

uint32_t CKrnl2Inter::CountersMessagesSentAndReadReset() {
    if (!m_pSessionCtrl)
        return ERROR_INVALID_HANDLE;
    __atomic_store_n(&m_pSessionCtrl->nMsgSent, 0, __ATOMIC_RELEASE);
    __atomic_store_n(&m_pSessionCtrl->nMsgRead, 0, __ATOMIC_RELEASE);
    return ERROR_SUCCESS;
}

void CKrnl2Inter::KernelStateSet(int32_t eState) {
    if (BROADCASTINFO* pInfo = InfoWritable())
        WordPublish(pInfo->eKernelState, eState);
}

void CKrnl2Inter::SessionOwnerSet(int32_t pid) {
    if (BROADCASTINFO* pInfo = InfoWritable())
        WordPublish(pInfo->pidClient, pid);
}

void CKrnl2Inter::KernelStateChangeWait(int32_t eSeen, std::chrono::microseconds maxWait) const {
    if (m_pInfo)
        SharedWordWait(reinterpret_cast<const uint32_t*>(&m_pInfo->eKernelState), static_cast<uint32_t>(eSeen), maxWait);
}
