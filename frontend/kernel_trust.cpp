#include "frontend/kernel_trust.h"

#include <sys/shm.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <fstream>

namespace {

bool Trusted(uid_t uid) { return uid == 0 || uid == geteuid(); }

std::string Owner(uid_t uid) { return "uid " + std::to_string(uid); }

std::string BlockDistrust(int idBlock) {
    shmid_ds ds {};
    if (shmctl(idBlock, IPC_STAT, &ds) != 0)
        return "its announcement block cannot be examined";
    if (!Trusted(ds.shm_perm.uid) || !Trusted(ds.shm_perm.cuid))
        return "its announcement block belongs to " + Owner(ds.shm_perm.cuid) + ", not to root";
    if (ds.shm_perm.mode & 022)
        return "its announcement block may be written by other users";
    return "";
}

std::string FifoDistrust(const char* pszFifo) {
    // A starting kernel makes it after its announcement; sending checks it again on the descriptor.
    struct stat st {};
    if (lstat(pszFifo, &st) != 0)
        return "";
    if (!S_ISFIFO(st.st_mode))
        return std::string("its request FIFO ") + pszFifo + " is no FIFO";
    if (!Trusted(st.st_uid))
        return std::string("its request FIFO ") + pszFifo + " belongs to " + Owner(st.st_uid) + ", not to root";
    return "";
}

std::string ProcessDistrust(pid_t pid) {
    const std::string proc = "/proc/" + std::to_string(pid);
    // A kernel that has ended is the locator's business: it gets no job.
    struct stat st {};
    if (pid <= 0 || stat(proc.c_str(), &st) != 0)
        return "";
    if (!Trusted(st.st_uid))
        return "its process " + std::to_string(pid) + " runs as " + Owner(st.st_uid) + ", not as root";
    std::string comm;
    std::getline(std::ifstream(proc + "/comm"), comm);
    if (comm != "qmkrnl2")
        return "its process " + std::to_string(pid) + " is '" + comm + "', not qmkrnl2";
    // A root process's executable is hidden from other users; root's own processes are trusted as such.
    char szExe[PATH_MAX] = {};
    const ssize_t n = readlink((proc + "/exe").c_str(), szExe, sizeof(szExe) - 1);
    if (n < 0)
        return st.st_uid == 0 && errno == EACCES ? "" : "the executable of its process cannot be examined";
    const std::string exe(szExe, static_cast<size_t>(n));
    const size_t nSlash = exe.rfind('/');
    if (exe.compare(nSlash + 1, std::string::npos, "qmkrnl2") != 0)
        return "its process runs " + exe + ", not qmkrnl2";
    struct stat stExe {};
    if (stat((proc + "/exe").c_str(), &stExe) != 0 || !Trusted(stExe.st_uid))
        return "its executable " + exe + " does not belong to root";
    return "";
}

}  // namespace

std::string KernelDistrust(int idBlock, const char* pszRequestFifo, pid_t pidKernel) {
    for (const std::string& why : {BlockDistrust(idBlock), FifoDistrust(pszRequestFifo), ProcessDistrust(pidKernel)})
        if (!why.empty())
            return "the kernel is not trusted: " + why;
    return "";
}
