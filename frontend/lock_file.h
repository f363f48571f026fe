// CLockFile: a best-effort exclusive flock, so that two front-ends looking for
// a kernel at the same moment do not start two.
#pragma once

#include <string>

class CLockFile {
public:
    // Root's lock lives where only root can create anything; another user's is
    // their own file in the temporary directory.
    static constexpr const char kRootDir[] = "/run/quillmark";

    // The lock for this process's user; its folder is made when it is missing.
    static std::string PathForUs();

    // Waits up to nWaitSeconds for the lock; without it, work goes on unlocked.
    // Only a regular file of our own (0600) is locked: no other user can open
    // it, so no other user can hold it against us.
    explicit CLockFile(const char* pszPath, int nWaitSeconds = 30);
    ~CLockFile();
    CLockFile(const CLockFile&) = delete;
    CLockFile& operator=(const CLockFile&) = delete;

    bool Locked() const { return m_fLocked; }

private:
    int m_fd = -1;
    bool m_fLocked = false;
};
