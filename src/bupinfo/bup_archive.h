// CBupArchive: the kernel's way into update packages (.bup) and configuration archives
// (.nvux), which are zip archives. Each operation opens the archive afresh and judges
// every member against the rules and the process's limits first: a package that breaks
// one is refused whole, and RefusalGet says which member and rule.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/string_type.h"
#include "support/time_type.h"

class CZipReader;

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

    // Why the last operation refused the package or failed to write: the member and
    // the rule, or the error. Empty when it went through or the archive was simply not
    // there or no zip archive, which callers treat as a file that does not fit.
    const std::string& RefusalGet() const { return m_strRefusal; }

private:
    bool Open(CZipReader& reader) const;
    // The members matching any of the patterns, from one opening of the archive.
    bool Extract(const std::vector<const char*>& patterns, const char* pcsDirDestin) const;

    CString m_csBupFile;
    mutable std::string m_strRefusal;
};
