// CIpcSharedMem: one System V shared-memory segment, attached to this process.
#pragma once

#include <sys/types.h>

class CIpcSharedMem {
public:
    CIpcSharedMem() = default;
    // idMem -1 creates a new segment of iSize bytes, otherwise attaches idMem;
    // the caller tests PtrGet.
    CIpcSharedMem(int idMem, int iSize, int flag);
    virtual ~CIpcSharedMem() { Close(); }
    CIpcSharedMem(const CIpcSharedMem&) = delete;
    CIpcSharedMem& operator=(const CIpcSharedMem&) = delete;

    // A private segment with the permissions given, attached with flag.
    bool Create(int iSize, int flag, int iMode = 0666);
    // Hands the segment to another user: owner and permissions set anew.
    bool OwnerSet(uid_t uid, int iMode);
    // Attaches (flag SHM_RDONLY for read-only) and marks the segment for removal,
    // so it goes away with the last process that detaches or ends.
    bool Open(int idMem, int flag);
    void Close();
    // True when process pid was the last to attach the segment and is still on it
    // beside us: the system's own record, which no client can forge.
    bool AttachedBy(pid_t pid) const;

    void* PtrGet() const { return m_pMem; }
    int HandleGet() const { return m_idMem; }

private:
    int m_idMem = -1;
    void* m_pMem = nullptr;
};
