#include "bupinfo/zip_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "bupinfo/lib_zip.h"
#include "support/msc.h"

namespace {

std::string ErrnoText(const char* pszWhat) { return std::string(pszWhat) + ": " + strerror(errno); }

SArchiveMember::EKind KindOf(const SLibZip& z, zip_t* pZip, zip_uint64_t i, const std::string& name) {
    using K = SArchiveMember::EKind;
    if (!name.empty() && name.back() == '/')
        return K::eDirectory;
    zip_uint8_t opsys = 0;
    zip_uint32_t attributes = 0;
    if (z.zip_file_get_external_attributes(pZip, i, 0, &opsys, &attributes) != 0 || opsys != ZIP_OPSYS_UNIX)
        return K::eFile;
    const mode_t mode = attributes >> 16;
    // Producers that leave the type out mean a plain file.
    if ((mode & S_IFMT) == 0 || S_ISREG(mode))
        return K::eFile;
    if (S_ISDIR(mode))
        return K::eDirectory;
    return S_ISLNK(mode) ? K::eLink : K::eSpecial;
}

// One descriptor, closed on every way out.
class CFd {
public:
    explicit CFd(int fd = -1) : m_fd(fd) {}
    ~CFd() {
        if (m_fd >= 0)
            close(m_fd);
    }
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    CFd& operator=(int fd) {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = fd;
        return *this;
    }
    int get() const { return m_fd; }
    int release() {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

// The folder for the member's path below dirfd, made where missing; "" and "." steps stay.
bool FolderEnter(CFd& cur, const std::string& step, std::string& strError) {
    if (step.empty() || step == ".")
        return true;
    if (mkdirat(cur.get(), step.c_str(), 0700) != 0 && errno != EEXIST) {
        strError = ErrnoText(("cannot make folder '" + step + "'").c_str());
        return false;
    }
    const int fd = openat(cur.get(), step.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        strError = ErrnoText(("cannot enter folder '" + step + "'").c_str());
        return false;
    }
    cur = fd;
    return true;
}

}  // namespace

CZipReader::~CZipReader() {
    if (m_pZip)
        m_pLib->zip_discard(m_pZip);
}

int CZipReader::OpenRegular(const char* pszPath, struct stat& st, std::string& strError) {
    CFd fd(open(pszPath ? pszPath : "", O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0 || fstat(fd.get(), &st) != 0) {
        strError = ErrnoText("cannot open");
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        strError = "not a regular file";
        return -1;
    }
    return fd.release();
}

bool CZipReader::Open(const char* pszPath, uint32_t ulMaxMembers, std::string& strError) {
    struct stat st {};
    const int fd = OpenRegular(pszPath, st, strError);
    return fd >= 0 && Open(fd, ulMaxMembers, strError);
}

bool CZipReader::Open(int fdTaken, uint32_t ulMaxMembers, std::string& strError) {
    CFd fd(fdTaken);
    if (!(m_pLib = SLibZip::Get(strError)))
        return false;
    const SLibZip& z = *m_pLib;
    int nErr = 0;
    m_pZip = z.zip_fdopen(fd.get(), ZIP_CHECKCONS, &nErr);
    if (!m_pZip) {
        zip_error_t error;
        z.zip_error_init_with_code(&error, nErr);
        strError = std::string("not a readable zip archive: ") + z.zip_error_strerror(&error);
        z.zip_error_fini(&error);
        return false;
    }
    fd.release();  // libzip owns it now
    const zip_int64_t n = z.zip_get_num_entries(m_pZip, 0);
    for (zip_int64_t i = 0; i < n && m_members.size() <= ulMaxMembers; ++i) {
        zip_stat_t sb;
        if (z.zip_stat_index(m_pZip, static_cast<zip_uint64_t>(i), ZIP_FL_ENC_RAW, &sb) != 0) {
            strError = std::string("cannot read the member list: ") + z.zip_strerror(m_pZip);
            return false;
        }
        SArchiveMember m;
        m.strName = (sb.valid & ZIP_STAT_NAME) && sb.name ? sb.name : "";
        m.ullSize = (sb.valid & ZIP_STAT_SIZE) ? sb.size : 0;
        m.ullCompressedSize = (sb.valid & ZIP_STAT_COMP_SIZE) ? sb.comp_size : 0;
        m.tModified = (sb.valid & ZIP_STAT_MTIME) ? sb.mtime : 0;
        m.fEncrypted = (sb.valid & ZIP_STAT_ENCRYPTION_METHOD) && sb.encryption_method != ZIP_EM_NONE;
        m.eKind = KindOf(z, m_pZip, static_cast<zip_uint64_t>(i), m.strName);
        m_members.push_back(std::move(m));
    }
    return true;
}

bool CZipReader::Stream(size_t nMember, const std::function<bool(const char*, size_t)>& sink,
                        std::string& strError) const {
    const SArchiveMember& m = m_members.at(nMember);
    const SLibZip& z = *m_pLib;
    std::unique_ptr<zip_file_t, int (*)(zip_file_t*)> file(z.zip_fopen_index(m_pZip, nMember, 0), z.zip_fclose);
    if (!file) {
        strError = std::string("cannot read: ") + z.zip_strerror(m_pZip);
        return false;
    }
    static constexpr size_t kPiece = 64 * 1024;
    std::unique_ptr<char[]> buf(new char[kPiece]);
    uint64_t ullDone = 0;
    for (;;) {
        const zip_int64_t n = z.zip_fread(file.get(), buf.get(), kPiece);
        if (n < 0) {
            strError = std::string("damaged data: ") + z.zip_file_strerror(file.get());
            return false;
        }
        if (n == 0)
            break;
        ullDone += static_cast<uint64_t>(n);
        // The limits were checked against the listed size; longer data is a lie.
        if (ullDone > m.ullSize) {
            strError = "its data is longer than its listed size";
            return false;
        }
        if (!sink(buf.get(), static_cast<size_t>(n))) {
            strError = ErrnoText("cannot store the data");
            return false;
        }
    }
    if (ullDone != m.ullSize) {
        strError = "its data is shorter than its listed size";
        return false;
    }
    return true;
}

bool CZipReader::Extract(size_t nMember, int dirfd, std::string& strError) const {
    const SArchiveMember& m = m_members.at(nMember);
    CFd cur(dup(dirfd));
    if (cur.get() < 0) {
        strError = ErrnoText("cannot use the folder");
        return false;
    }
    std::string name = m.strName;
    const bool fFolder = m.eKind == SArchiveMember::EKind::eDirectory;
    if (fFolder)
        name += '/';
    size_t start = 0;
    for (size_t slash; (slash = name.find('/', start)) != std::string::npos; start = slash + 1)
        if (!FolderEnter(cur, name.substr(start, slash - start), strError))
            return false;
    if (fFolder)
        return true;
    const std::string leaf = name.substr(start);
    // Replaced, not written through: whatever stands under the name goes first.
    if (unlinkat(cur.get(), leaf.c_str(), 0) != 0 && errno != ENOENT) {
        strError = ErrnoText("cannot replace the file");
        return false;
    }
    CFd out(openat(cur.get(), leaf.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (out.get() < 0) {
        strError = ErrnoText("cannot create the file");
        return false;
    }
    bool fOk = Stream(nMember, [&](const char* p, size_t n) { return MscWriteAll(out.get(), p, n); }, strError);
    if (fOk) {
        const timespec times[2] = {{m.tModified, 0}, {m.tModified, 0}};
        futimens(out.get(), times);
        if (close(out.release()) != 0) {
            strError = ErrnoText("cannot store the data");
            fOk = false;
        }
    }
    if (!fOk)
        unlinkat(cur.get(), leaf.c_str(), 0);
    return fOk;
}
