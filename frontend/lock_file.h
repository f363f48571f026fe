// CLockFile: a best-effort exclusive flock, so that two front-ends looking for
// a kernel at the same moment do not start two.
#pragma once

class CLockFile {
public:
    static constexpr const char kPath[] = "/tmp/quillmark.lock";

    // Waits up to nWaitSeconds for the lock; without it, work goes on unlocked.
    explicit CLockFile(const char* pszPath, int nWaitSeconds = 30);
    ~CLockFile();
    CLockFile(const CLockFile&) = delete;
    CLockFile& operator=(const CLockFile&) = delete;

    bool Locked() const { return m_fLocked; }

private:
    int m_fd = -1;
    bool m_fLocked = false;
};
