#include "bupinfo/zip_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "bupinfo/lib_zip.h"

CZipWriter::~CZipWriter() {
    if (m_pZip)
        m_pLib->zip_discard(m_pZip);
}

bool CZipWriter::Open(const char* pszPath, bool fNew, std::string& strError) {
    if (!(m_pLib = SLibZip::Get(strError)))
        return false;
    const SLibZip& z = *m_pLib;
    int nErr = 0;
    m_pZip = z.zip_open(pszPath ? pszPath : "", ZIP_CREATE | (fNew ? ZIP_EXCL : ZIP_CHECKCONS), &nErr);
    if (!m_pZip) {
        zip_error_t error;
        z.zip_error_init_with_code(&error, nErr);
        strError = z.zip_error_strerror(&error);
        z.zip_error_fini(&error);
        return false;
    }
    return true;
}

bool CZipWriter::Add(const char* pszFile, const std::string& strMember, std::string& strError) {
    if (!m_pZip) {
        strError = "the archive is not open";
        return false;
    }
    const int fd = open(pszFile ? pszFile : "", O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    struct stat st {};
    if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        strError = fd < 0 ? strerror(errno) : "not a regular file";
        if (fd >= 0)
            close(fd);
        return false;
    }
    FILE* pFile = fdopen(fd, "rb");
    if (!pFile) {
        strError = strerror(errno);
        close(fd);
        return false;
    }
    const SLibZip& z = *m_pLib;
    // The source owns the stream from here, also when adding fails.
    zip_source_t* pSource = z.zip_source_filep(m_pZip, pFile, 0, -1);
    if (!pSource) {
        fclose(pFile);
        strError = z.zip_strerror(m_pZip);
        return false;
    }
    const zip_int64_t index = z.zip_file_add(m_pZip, strMember.c_str(), pSource, ZIP_FL_OVERWRITE | ZIP_FL_ENC_GUESS);
    if (index < 0) {
        z.zip_source_free(pSource);
        strError = z.zip_strerror(m_pZip);
        return false;
    }
    // Marked as a plain file, so readers that judge the type see what it is.
    z.zip_file_set_external_attributes(m_pZip, static_cast<zip_uint64_t>(index), 0, ZIP_OPSYS_UNIX,
                                     static_cast<zip_uint32_t>(S_IFREG | 0644) << 16);
    return true;
}

bool CZipWriter::Close(std::string& strError) {
    if (!m_pZip) {
        strError = "the archive is not open";
        return false;
    }
    if (m_pLib->zip_close(m_pZip) != 0) {
        strError = m_pLib->zip_strerror(m_pZip);
        return false;
    }
    m_pZip = nullptr;
    return true;
}
