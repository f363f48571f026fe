// CTInterface<T>: the announcement of a server — an initialisation FIFO holding
// the server's process id and the id of a shared block of type T.
#pragma once

#include <sys/shm.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>

#include "ipc/ipc_fifo.h"
#include "ipc/ipc_shared_mem.h"
#include "support/msc.h"
#include "support/opus_trace.h"

enum E_IF_TYPE : int32_t {
    IF_NOT_AVAILABLE = 0,
    IF_FREE = 1,
    IF_FORCE_SERVER = 2,
    IF_FORCE_CLIENT = 3,
    IF_SERVER = 4,
    IF_CLIENT = 5,
};

const char* IfType2Str(E_IF_TYPE eType);

template <typename T>
class CTInterface {
public:
    struct ACCESSINFO {
        int32_t pidServer;
        int32_t idMem;
    };
    static_assert(sizeof(ACCESSINFO) == 8, "access information is 8 bytes on the FIFO");

    CTInterface() = default;
    virtual ~CTInterface() = default;
    CTInterface(const CTInterface&) = delete;
    CTInterface& operator=(const CTInterface&) = delete;

    // A client may judge the access records it reads: one refused is dropped from
    // the FIFO (not written back) and the next is read.
    using Accept = std::function<bool(int32_t pidServer, int32_t idMem)>;
    bool Open(const char* szInitFifo, E_IF_TYPE eIfType, const Accept& accept = nullptr);
    // Removes the initialisation FIFO (or the node at path).
    void Kill(const char* pszPath = nullptr);
    // The server writes its access information once more (state final or ready).
    void ReadyToUse();

    T* ptr() const { return static_cast<T*>(m_pMem ? m_pMem->PtrGet() : nullptr); }
    E_IF_TYPE Type() const { return m_eType; }
    // The server's process id as announced (a client's view), or our own on a server.
    int32_t ServerPid() const { return m_access.pidServer; }
    int32_t BlockId() const { return m_access.idMem; }
    const char* IfType2Str() const { return ::IfType2Str(m_eType); }

private:
    bool OpenAsClient(const Accept& accept);

    E_IF_TYPE m_eType = IF_NOT_AVAILABLE;
    ACCESSINFO m_access{};
    CIpcFifo m_InitFifo;
    std::unique_ptr<CIpcSharedMem> m_pMem;
};

template <typename T>
bool CTInterface<T>::Open(const char* szInitFifo, E_IF_TYPE eIfType, const Accept& accept) {
    QM_TRACE_ENTER(3, "szInitFifo='%s', eIfType=%s", szInitFifo, ::IfType2Str(eIfType));
    m_pMem.reset();
    m_eType = IF_NOT_AVAILABLE;
    m_InitFifo = szInitFifo;
    bool fRet = false;
    if (eIfType == IF_FREE || eIfType == IF_FORCE_SERVER) {
        const int nErr = m_InitFifo.Create(0664);
        if (nErr == 0) {
            if (m_InitFifo.Open(O_NONBLOCK | O_RDWR) != 0) {
                QM_TRACE_INTERNAL(1, "", "fifo '%s' was created but could not be opened: %s",
                                  m_InitFifo.PathGet(), strerror(errno));
            // Only the kernel writes the announcement.
            } else if (!(m_pMem = std::make_unique<CIpcSharedMem>())->Create(sizeof(T), 0, 0644)) {
                QM_TRACE_INTERNAL(1, "new CIpcSharedMem failed", "sizeof(T)=%d", static_cast<int>(sizeof(T)));
                m_pMem.reset();
            } else {
                m_access.pidServer = static_cast<int32_t>(getpid());
                m_access.idMem = m_pMem->HandleGet();
                std::memset(m_pMem->PtrGet(), 0, sizeof(T));
                m_eType = IF_SERVER;
                m_InitFifo.Write(&m_access, sizeof m_access);
                fRet = true;
            }
        } else if (nErr == EEXIST && eIfType == IF_FREE) {
            fRet = OpenAsClient(accept);
        } else if (nErr != EEXIST) {
            QM_TRACE_INTERNAL(1, "", "unknown error <%d> during creating/opening fifo '%s': %s", nErr,
                              m_InitFifo.PathGet(), strerror(nErr));
        }
    } else if (eIfType == IF_FORCE_CLIENT) {
        fRet = OpenAsClient(accept);
    }
    QM_TRACE_LEAVE(3, "ret=%s, type=%s", QmBool2Str(fRet), IfType2Str());
    return fRet;
}

template <typename T>
bool CTInterface<T>::OpenAsClient(const Accept& accept) {
    if (m_InitFifo.Open(O_NONBLOCK | O_RDWR) != 0) {
        QM_TRACE_INTERNAL(1, "", "fifo could not be opened");
        return false;
    }
    // Anyone may write into the FIFO: records the caller refuses are dropped, a
    // bounded number of them, so planted ones cannot keep a client from the server's.
    constexpr int kMaxRecords = 16;
    for (int nRecord = 0;; ++nRecord) {
        // Further records are there at once or not at all.
        const int nWait = nRecord == 0 ? 100 : 1;
        if (nRecord == kMaxRecords || m_InitFifo.Read(&m_access, sizeof m_access, nWait) != sizeof m_access) {
            QM_TRACE_INTERNAL(1, "", "no acceptable access record in the FIFO");
            m_InitFifo.Close();
            return false;
        }
        if (!accept || accept(m_access.pidServer, m_access.idMem))
            break;
        QM_TRACE_INTERNAL(1, "dropped", "access record pid=%d, id=%d", m_access.pidServer, m_access.idMem);
    }
    QM_TRACE_INTERNAL(4, "", "PID server = %d, shared mem id = %d", m_access.pidServer, m_access.idMem);
    QM_TRACE_INTERNAL(4, "", "writing access information");
    // Put the bytes back for the next client.
    m_InitFifo.Write(&m_access, sizeof m_access);
    m_pMem = std::make_unique<CIpcSharedMem>();
    const bool fAttached = m_pMem->Open(m_access.idMem, SHM_RDONLY);
    m_InitFifo.Close();
    if (!fAttached) {
        QM_TRACE_INTERNAL(1, "", "new CIpcSharedMem(%d, 0, SHM_RDONLY) failed", m_access.idMem);
        m_pMem.reset();
        return false;
    }
    m_eType = IF_CLIENT;
    return true;
}

template <typename T>
void CTInterface<T>::ReadyToUse() {
    if (m_eType != IF_SERVER)
        return;
    QM_TRACE_INTERNAL(4, "writing initial access information", "pidServer=%d, idMem=%d", m_access.pidServer,
                      m_access.idMem);
    m_InitFifo.Write(&m_access, sizeof m_access);
}

template <typename T>
void CTInterface<T>::Kill(const char* pszPath) {
    const char* pszFifo = pszPath ? pszPath : m_InitFifo.PathGet();
    if (!MscFileExists(pszFifo))
        return;
    if (std::remove(pszFifo) != 0)
        QM_TRACE_INTERNAL(1, " error on deleting", "szFifo='%s': errno='%s'", pszFifo, strerror(errno));
    else
        QM_TRACE_INTERNAL(4, "", "removed: %s", pszFifo);
}
