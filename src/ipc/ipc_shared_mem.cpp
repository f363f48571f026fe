#include "ipc/ipc_shared_mem.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <cerrno>
#include <cstring>

#include "support/opus_trace.h"

CIpcSharedMem::CIpcSharedMem(int idMem, int iSize, int flag) {
    if (idMem == -1)
        Create(iSize, flag);
    else
        Open(idMem, flag);
}

bool CIpcSharedMem::Create(int iSize, int flag, int iMode) {
    QM_TRACE_ENTER(3, "this=%p, iSize=%d, flag=%d, mode=0%o", static_cast<void*>(this), iSize, flag,
                   static_cast<unsigned>(iMode));
    const int idMem = shmget(IPC_PRIVATE, static_cast<size_t>(iSize), IPC_CREAT | (iMode & 0777));
    bool fRet = false;
    if (idMem == -1) {
        const int nErr = errno;
        QM_TRACE_INTERNAL(1, "shmget(IPC_PRIVATE) failed", "errno=%d (%s)", nErr, strerror(nErr));
    } else {
        fRet = Open(idMem, flag);
    }
    QM_TRACE_LEAVE(3, "this=%p, ret=%s", static_cast<void*>(this), QmBool2Str(fRet));
    return fRet;
}

bool CIpcSharedMem::Open(int idMem, int flag) {
    QM_TRACE_ENTER(3, "this=%p, idMem=%d, flag=%d", static_cast<void*>(this), idMem, flag);
    Close();
    m_idMem = idMem;
    void* pMem = shmat(idMem, nullptr, flag);
    if (pMem == reinterpret_cast<void*>(-1)) {
        const int nErr = errno;
        QM_TRACE_INTERNAL(1, "shmat failed", "errno=%d (%s)", nErr, strerror(nErr));
        QM_TRACE_LEAVE(3, "this=%p, ret=false", static_cast<void*>(this));
        return false;
    }
    m_pMem = pMem;
    // Every attaching process marks it again; a client that does not own the
    // segment is refused here, which is harmless.
    shmid_ds ds {};
    if (shmctl(idMem, IPC_STAT, &ds) != 0 || shmctl(idMem, IPC_RMID, nullptr) != 0)
        QM_TRACE_INTERNAL(3, "", "could not mark segment %d for removal: %s", idMem, strerror(errno));
    QM_TRACE_LEAVE(3, "this=%p, ret=true", static_cast<void*>(this));
    return true;
}

bool CIpcSharedMem::AttachedBy(pid_t pid) const {
    shmid_ds ds {};
    return m_idMem >= 0 && shmctl(m_idMem, IPC_STAT, &ds) == 0 && ds.shm_lpid == pid && ds.shm_nattch >= 2;
}

bool CIpcSharedMem::OwnerSet(uid_t uid, int iMode) {
    shmid_ds ds {};
    if (m_idMem < 0 || shmctl(m_idMem, IPC_STAT, &ds) != 0)
        return false;
    ds.shm_perm.uid = uid;
    ds.shm_perm.mode = static_cast<unsigned short>(iMode & 0777);
    if (shmctl(m_idMem, IPC_SET, &ds) != 0) {
        QM_TRACE_INTERNAL(1, "", "could not hand segment %d to uid %u: %s", m_idMem, static_cast<unsigned>(uid),
                          strerror(errno));
        return false;
    }
    return true;
}

void CIpcSharedMem::Close() {
    if (m_pMem) {
        shmdt(m_pMem);
        m_pMem = nullptr;
    }
}
