// CIpcSharedMem: one System V shared-memory segment, attached to this process.
#pragma once

class CIpcSharedMem {
public:
    CIpcSharedMem() = default;
    // idMem -1 creates a new segment of iSize bytes, otherwise attaches idMem;
    // the caller tests PtrGet.
    CIpcSharedMem(int idMem, int iSize, int flag);
    virtual ~CIpcSharedMem() { Close(); }
    CIpcSharedMem(const CIpcSharedMem&) = delete;
    CIpcSharedMem& operator=(const CIpcSharedMem&) = delete;

    // A private segment, permissions 0666, attached with flag.
    bool Create(int iSize, int flag);
    // Attaches (flag SHM_RDONLY for read-only) and marks the segment for removal,
    // so it goes away with the last process that detaches or ends.
    bool Open(int idMem, int flag);
    void Close();

    void* PtrGet() const { return m_pMem; }
    int HandleGet() const { return m_idMem; }

private:
    int m_idMem = -1;
    void* m_pMem = nullptr;
};
