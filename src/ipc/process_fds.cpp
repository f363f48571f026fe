#include "ipc/process_fds.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <system_error>

namespace {

std::string ProcPath(pid_t pid, const char* pszWhat) {
    return "/proc/" + std::to_string(static_cast<long>(pid)) + "/" + pszWhat;
}

// The open flags of one descriptor: the "flags:" line of its fdinfo, in octal.
bool DescriptorFlagsGet(pid_t pid, const std::string& strFd, unsigned long& ulFlags) {
    std::ifstream in(ProcPath(pid, "fdinfo/") + strFd);
    std::string strKey;
    while (in >> strKey) {
        if (strKey == "flags:")
            return static_cast<bool>(in >> std::oct >> ulFlags);
        in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    return false;
}

}  // namespace

bool ProcessWritesTo(pid_t pid, int fd) {
    struct stat stWanted {};
    if (pid <= 0 || fstat(fd, &stWanted) != 0)
        return false;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(ProcPath(pid, "fd"), ec), end; !ec && it != end; it.increment(ec)) {
        struct stat st {};
        // stat follows the descriptor's link to the object itself.
        if (stat(it->path().c_str(), &st) != 0 || st.st_dev != stWanted.st_dev || st.st_ino != stWanted.st_ino)
            continue;
        unsigned long ulFlags = 0;
        if (DescriptorFlagsGet(pid, it->path().filename().string(), ulFlags) && (ulFlags & O_ACCMODE) != O_RDONLY)
            return true;
    }
    return false;
}

bool ProcessEuidGet(pid_t pid, uid_t& uid) {
    if (pid <= 0)
        return false;
    std::ifstream in(ProcPath(pid, "status"));
    std::string strLine;
    while (std::getline(in, strLine)) {
        if (strLine.compare(0, 4, "Uid:") != 0)
            continue;
        std::istringstream fields(strLine.substr(4));
        unsigned long ulReal = 0, ulEffective = 0;
        if (!(fields >> ulReal >> ulEffective))
            return false;
        uid = static_cast<uid_t>(ulEffective);
        return true;
    }
    return false;
}
