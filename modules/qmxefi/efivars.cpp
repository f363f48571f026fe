#include "efivars.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "file_io.h"

namespace qmxefi {

namespace {

constexpr long kEfivarfsMagic = 0xde5e81e4;

bool IsHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool IsGuid(const std::string& s) {
    if (s.size() != 36) return false;
    for (size_t i = 0; i < s.size(); ++i) {
        const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash ? s[i] != '-' : !IsHex(s[i])) return false;
    }
    return true;
}

int GetFlags(int fd, int& flags) { return ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 ? 0 : errno; }
int SetFlags(int fd, int flags) { return ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0 ? 0 : errno; }

// File systems without inode flags answer one of these.
bool NoFlagsHere(int err) { return err == ENOTTY || err == ENOTSUP || err == EINVAL || err == ENOSYS; }

struct Fd {
    int fd;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

std::string EfiVariable::Bytes() const {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((attributes >> (8 * i)) & 0xFF);
    return out + data;
}

bool SplitFileName(const std::string& file, std::string& name, std::string& guid) {
    if (file.size() < 38 || file[file.size() - 37] != '-') return false;
    guid = file.substr(file.size() - 36);
    name = file.substr(0, file.size() - 37);
    return IsGuid(guid);
}

bool FromBytes(const std::string& bytes, EfiVariable& out) {
    if (bytes.size() < 4) return false;
    out.attributes = 0;
    for (int i = 0; i < 4; ++i) out.attributes |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    out.data = bytes.substr(4);
    return true;
}

int ReadVariable(const RootPath& root, const std::string& file, EfiVariable& out) {
    if (!SplitFileName(file, out.name, out.guid)) return EINVAL;
    std::string bytes;
    if (const int err = ReadWholeFile(root(std::string(kEfivarsDir) + "/" + file), bytes)) return err;
    return FromBytes(bytes, out) ? 0 : EBADMSG;
}

int ListVariableFiles(const RootPath& root, std::vector<std::string>& out) {
    DIR* dir = ::opendir(root(kEfivarsDir).c_str());
    if (!dir) return errno;
    out.clear();
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name != "." && name != "..") out.push_back(name);
    }
    ::closedir(dir);
    std::sort(out.begin(), out.end());
    return 0;
}

const FlagOps& InodeFlagOps() {
    static const FlagOps ops{GetFlags, SetFlags};
    return ops;
}

WriteResult WriteVariable(const RootPath& root, const EfiVariable& var, const FlagOps& ops) {
    const std::string path = root(std::string(kEfivarsDir) + "/" + var.FileName());
    // An immutable file cannot even be opened for writing, so its flag is
    // looked at through a read-only descriptor.
    int flags = 0;
    bool immutable = false;
    {
        Fd probe(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        if (probe.fd < 0 && errno != ENOENT) return {errno, "open"};
        if (probe.fd >= 0) {
            if (const int err = ops.get(probe.fd, flags)) {
                if (!NoFlagsHere(err)) return {err, "read the inode flags"};
            } else if (flags & FS_IMMUTABLE_FL) {
                if (const int serr = ops.set(probe.fd, flags & ~FS_IMMUTABLE_FL))
                    return {serr, "clear the immutable flag"};
                immutable = true;
            }
        }
    }
    WriteResult result;
    {
        Fd out(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644));
        if (out.fd < 0) {
            result = {errno, "open"};
        } else {
            // efivarfs takes the new value from one write; anywhere else (a test
            // tree) the old bytes must go first.
            struct statfs fs {};
            if (::fstatfs(out.fd, &fs) == 0 && static_cast<long>(fs.f_type) != kEfivarfsMagic &&
                ::ftruncate(out.fd, 0) != 0)
                result = {errno, "write"};
            const std::string bytes = var.Bytes();
            if (result.err == 0) {
                ssize_t n;
                do {
                    n = ::write(out.fd, bytes.data(), bytes.size());
                } while (n < 0 && errno == EINTR);
                if (n < 0) result = {errno, "write"};
                else if (static_cast<size_t>(n) != bytes.size()) result = {EIO, "write"};
            }
            const int fd = out.fd;
            out.fd = -1;
            if (::close(fd) != 0 && result.err == 0) result = {errno, "write"};
        }
    }
    if (immutable) {
        Fd again(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        if (again.fd >= 0) ops.set(again.fd, flags);
    }
    return result;
}

}  // namespace qmxefi
