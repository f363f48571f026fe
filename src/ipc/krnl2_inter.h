// CKrnl2Inter: where a front-end and a kernel meet. The server announces
// itself, reads job requests and streams session messages to one client;
// both sides count messages in a shared session-control block.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <chrono>
#include <deque>
#include <string>

#include "ipc/ipc_fifo.h"
#include "ipc/ipc_shared_mem.h"
#include "ipc/job_data.h"
#include "ipc/session_data.h"
#include "ipc/t_interface.h"

class CKrnl2Inter {
public:
    enum E_STATE : int32_t {
        eQmKrnl2Init = 0,
        eQmKrnl2Ready = 1,
        eQmKrnl2Busy = 2,
        eQmKrnl2Err = -1,
        eQmKrnl2ErrInsufficentPrivileges = -2,
        eQmKrnl2ErrInvalidDirectory = -3,
        eQmKrnl2ErrOperatingSystemNotSupported = -4,
        eQmKrnl2ErrNoHardwareModuleFound = -5,
        eQmKrnl2Invalid = -100,
    };

    // The announcement block every front-end may read.
    struct BROADCASTINFO {
        int32_t reserved0;
        int32_t pidClient;  // owner of the current session, 0 when none
        int32_t eKernelState;
        int32_t reserved1[6];
        int32_t idSessionCtrl;
        int32_t offActiveBios;
        int32_t offSystemInfo;
        int32_t offMeFirmware;
        char szStrings[2052];
    };
    static_assert(sizeof(BROADCASTINFO) == 2104, "announcement block layout");

    struct SESSIONCTRL {
        uint32_t nMsgSent;  // written by the server
        uint32_t nMsgRead;  // written by the client
    };

    static constexpr const char s_FifoName[] = "/tmp/F85FBA5E_12E3_4EC9_B0AA_B84E5A3CA632.sync";
    static constexpr const char s_RequestFifoName[] = "/tmp/158955C3_846D_4F01_84A4_ED2AE14208FC.sync";
    static constexpr const char s_ResponseFifoBase[] = "/tmp/DC787BDB_3880_47FC_B905_DDAA308E7031";

    CKrnl2Inter() = default;
    virtual ~CKrnl2Inter();
    CKrnl2Inter(const CKrnl2Inter&) = delete;
    CKrnl2Inter& operator=(const CKrnl2Inter&) = delete;

    // A client may judge the announcements it finds (see CTInterface::Open).
    bool Open(E_IF_TYPE eIfType, const CTInterface<BROADCASTINFO>::Accept& accept = nullptr);
    void Kill();
    void ResponseFifoKickOffZombies();
    bool RequestFifo2Prepare();
    void RequestFifo2Cleanup();
    bool ResponseFifo2Prepare(pid_t pid);
    void ResponseFifo2Cleanup();
    // Server: the requesting user, as the kernel sees the response FIFO it opened:
    // its owner, a known user, and nobody else may write to it. False, with the
    // reason, otherwise.
    bool ResponseFifoOwnerGet(uid_t& uid, std::string& strWhy) const;
    // Server: a fresh session-control block for the session's user alone (0600),
    // named in the announcement; one left from an earlier session is no longer used.
    bool SessionBegin(uid_t uid);
    // Server: whether the request just read may have come from the process it
    // names: that process holds the request FIFO open for writing and runs as the
    // owner of its response FIFO. False, with the reason, otherwise.
    bool RequestOriginCheck(std::string& strWhy) const;
    // Server: waits up to the time-out until the named client has attached the
    // session's block, which only the session's user and root can do.
    bool SessionTakenBy(pid_t pid, uint32_t ulTimeoutTenths) const;
    // Server: reads every record already waiting. True, with the reason, when one
    // of them names pid as well, or too many wait to tell; the others are served
    // next, in order.
    bool RequestsWaitingFrom(pid_t pid, std::string& strWhy);
    uint32_t Connect(uint32_t ulTimeoutTenths);
    uint32_t SendJob(uint32_t ulTimeoutSeconds);
    uint32_t ReceiveJob(uint32_t ulTimeoutSeconds);
    uint32_t SessionRequest(uint32_t ulTimeoutSeconds);
    uint32_t SessionDataCheck(uint32_t ulTimeoutTenths);
    // Server: writes m_sessiondata to the client's response FIFO.
    uint32_t SessionDataSend();
    void SessionClose(uint32_t ulUnused);
    void SessionWaitForDelivery(uint32_t) {}
    uint32_t ResponseAckWait(uint32_t ulTimeoutTenths);
    uint32_t CountMessageSent();
    uint32_t CountMessageRead();
    uint32_t CountersMessagesSentAndReadReset();

    static const char* Type2Str(int32_t eState);
    E_IF_TYPE Type() const { return m_Connect.Type(); }
    int32_t ServerPid() const { return m_Connect.ServerPid(); }
    // System V identifier of the announcement block.
    int32_t InfoId() const { return m_Connect.BlockId(); }
    const char* ResponseFifoName() const { return m_ResponseFifo.PathGet(); }
    BROADCASTINFO* Info() const { return m_pInfo; }
    // The server's view of the block; null on a client, which attaches it read-only.
    BROADCASTINFO* InfoWritable() const { return Type() == IF_SERVER ? m_pInfo : nullptr; }
    void ReadyToUse() { m_Connect.ReadyToUse(); }
    // Server: publishes the kernel's state or the session's owner and wakes the
    // clients waiting for it to change.
    void KernelStateSet(int32_t eState);
    void SessionOwnerSet(int32_t pid);
    // Client: returns when the announced state is no longer eSeen, or after maxWait.
    void KernelStateChangeWait(int32_t eSeen, std::chrono::microseconds maxWait) const;

    CJobData m_jobdata;
    CSessionData m_sessiondata;

private:
    // Counts one message on this side of the session-control block.
    uint32_t CountMessage(uint32_t SESSIONCTRL::*counter);
    // Client: the session-control block the announcement names now.
    bool SessionCtrlAttach();

    // Records read ahead while a session was being checked.
    struct SRequestAhead {
        E_DEDURE_MSG eType;
        CString csCmdLine;
        pid_t pid;
    };
    std::deque<SRequestAhead> m_RequestsAhead;

    CTInterface<BROADCASTINFO> m_Connect;
    BROADCASTINFO* m_pInfo = nullptr;
    CIpcFifo m_ResponseFifo;
    CIpcFifo m_RequestFifo;
    CIpcSharedMem m_SessionCtrlMem;
    SESSIONCTRL* m_pSessionCtrl = nullptr;
};
