// Writing a zip archive through libzip. Nothing is written until Close, which builds
// the archive beside its name and renames it over the old one, so a failure leaves
// the old archive as it was.
#pragma once

#include <string>

struct zip;
struct SLibZip;

class CZipWriter {
public:
    CZipWriter() = default;
    ~CZipWriter();  // discards what was not closed
    CZipWriter(const CZipWriter&) = delete;
    CZipWriter& operator=(const CZipWriter&) = delete;

    // fNew: the archive must not exist yet; otherwise it is opened, or created when missing.
    bool Open(const char* pszPath, bool fNew, std::string& strError);
    // The regular file (never a link) under the member name, replacing a member of that
    // name. Its data is read at Close, from the file opened here.
    bool Add(const char* pszFile, const std::string& strMember, std::string& strError);
    bool Close(std::string& strError);

private:
    const SLibZip* m_pLib = nullptr;  // set by Open
    zip* m_pZip = nullptr;
};
