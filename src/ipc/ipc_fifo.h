// CIpcFifo: one named pipe of the front-end/kernel protocol.
#pragma once

#include <sys/types.h>

#include <cstdint>

#include "support/string_type.h"

// Writing into a pipe whose reader has gone must fail with EPIPE, not end the
// process; FIFOs cannot use send() with MSG_NOSIGNAL. Process-wide and idempotent.
void IpcSigPipeIgnore();

class CIpcFifo {
public:
    CIpcFifo() { Init(); }
    // The path has environment variables expanded.
    explicit CIpcFifo(const char* pszPath);
    // Shares the path only, never the descriptor.
    CIpcFifo(const CIpcFifo& other);
    virtual ~CIpcFifo() { CleanUp(); }

    CIpcFifo& operator=(const char* pszPath);
    CIpcFifo& operator=(const CIpcFifo& other);

    void Init();
    // Makes the node (replacing a stale one), then sets modeFinal on it: 0777
    // for the nodes every user meets, 0600 for one user's own. EPERM when the node
    // found after mkfifo is not ours. 0 or an errno value; EINVAL for an empty path.
    int Create(mode_t mode, mode_t modeFinal = 0777);
    // open(2) flags; symbolic links are not followed, and a node that is not a
    // FIFO is refused with EINVAL. 0 or an errno value.
    int Open(int iMode);
    // Reads until count bytes have arrived or the time-out (tenths of a second)
    // has run out; 0 makes a single attempt. Returns the bytes read.
    unsigned int Read(void* pBuffer, unsigned int count, int32_t lTimeoutInDecileSeconds);
    // One write; count, or 0 when not all bytes were written.
    unsigned int Write(const void* pBuffer, unsigned int count);
    int Close();
    // Removes the node only if this object created it. 0 or an errno value.
    int Destroy();
    void CleanUp();

    bool CheckOpen() const { return m_iFile != -1; }
    int FileGet() const { return m_iFile; }
    const char* PathGet() const { return m_csPath; }
    operator const char*() const { return m_csPath; }

private:
    void PathSet(const char* pszPath);

    CString m_csPath;
    bool m_fCreated = false;
    int m_iFile = -1;
};
