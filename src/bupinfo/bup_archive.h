// CBupArchive: the kernel's way into update packages (.bup) and configuration archives
// (.nvux), which are zip archives. Every member is judged against the rules and the
// process's limits before anything of an archive is used: a package that breaks one
// is refused whole, and RefusalGet says which member and rule. Listings and
// descriptions come from the job's cache when the file is unchanged; member data
// always from a fresh, judged opening.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/string_type.h"
#include "support/time_type.h"

class CZipReader;
struct SArchiveListing;

class CBupArchive {
public:
    CBupArchive() = default;
    // The path is kept as given; whether the file exists is found out by the operations.
    CBupArchive(const char* pszBupFile) : m_csBupFile(pszBupFile) {}
    CBupArchive(const CBupArchive&) = default;
    CBupArchive& operator=(const CBupArchive&) = default;
    CBupArchive& operator=(const char* pszBupFile) {
        m_csBupFile = pszBupFile;
        return *this;
    }

    bool Init() { return true; }
    const char* ArchiveNameGet() const { return m_csBupFile; }
    operator const char*() const { return ArchiveNameGet(); }

    // Member names are patterns ("*", "?", "[...]"), matched against whole names in the
    // archive's order.

    // Appends the names of the members matching the pattern ("*", "*.*" or empty: all)
    // to the emptied list; true when it holds one at least. A name with blanks is
    // listed by its part behind the last blank.
    bool FileFind(const char* pcsFileSpec, std::vector<CString>& list, bool fIgnoreCase) const;
    // Extracts every matching member (case-sensitive; empty: all) into the directory,
    // replacing existing files, after checking the free space. True also when nothing
    // matched: callers look for the result. False when the package is refused or a
    // member could not be written; whatever this call wrote is then removed again.
    bool FileGet(const char* pcsFile, const char* pcsDirDestin) const;
    bool FileGet(const std::vector<CString>& files, const char* pcsDirDestin) const;
    // Reads the first matching member into the buffer. ulSize is the capacity on entry
    // and the number of bytes read on return; a member larger than the capacity fails
    // and leaves it.
    bool FileGet(const char* pcsFile, uint8_t* pBuffer, uint32_t& ulSize) const;
    // Adds the file under its base name, replacing a member of that name and creating
    // the archive when needed.
    bool FileAdd(const char* pcsFilePath) const;
    // Length and time stamp (local time, seconds dropped) of the first member matching
    // the name, which is compared case-sensitively.
    bool FileInfoGet(const char* pcsFile, uint32_t& ulSize, CTime& time) const;

    // The content of a token of the package's description (BupInfo2.xml), such as
    // "bupinfo2\\packtype", read and parsed once per job and file. False when the
    // package has no readable description or the description lacks the token.
    bool DescriptionTokenGet(const char* pszToken, CString& csValue) const;

    // Why the last operation refused the package or failed to write: the member and
    // the rule, or the error. Empty when it went through or the archive was simply not
    // there or no zip archive, which callers treat as a file that does not fit.
    const std::string& RefusalGet() const { return m_strRefusal; }

private:
    // Opens and judges the archive; its listing goes into this job's cache. False
    // when it is not there, no zip archive or refused (RefusalGet says which).
    bool Open(CZipReader& reader, std::shared_ptr<SArchiveListing>* pListing = nullptr) const;
    // The judged listing, from this job's cache when the same file was read before;
    // null as Open is false. When it had to be read now, pReader is left open on it.
    std::shared_ptr<SArchiveListing> Listing(CZipReader* pReader = nullptr, bool* pfReaderOpen = nullptr) const;
    std::shared_ptr<SArchiveListing> Read(int fd, const struct stat& st, CZipReader& reader) const;
    // The listing when it is a zip archive the judge accepted; otherwise null, with
    // the refusal kept and the reason traced.
    std::shared_ptr<SArchiveListing> Verdict(const std::shared_ptr<SArchiveListing>& listing,
                                             const std::string& strError) const;
    // The members matching any of the patterns, from one opening of the archive.
    bool Extract(const std::vector<const char*>& patterns, const char* pcsDirDestin) const;

    CString m_csBupFile;
    mutable std::string m_strRefusal;
};
