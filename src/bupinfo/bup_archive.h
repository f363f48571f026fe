// CBupArchive: the kernel's way into update packages (.bup) and configuration archives
// (.nvux), which are zip archives. It never opens the archive itself: it runs the
// external zip and unzip programs and reads what they print.
#pragma once

#include <cstdint>
#include <vector>

#include "support/string_type.h"
#include "support/time_type.h"

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

    // Appends the names of the members matching the pattern ("*", "*.*" or empty: all)
    // to the emptied list; true when it holds one at least. A name with blanks is
    // listed by its part behind the last blank.
    bool FileFind(const char* pcsFileSpec, std::vector<CString>& list, bool fIgnoreCase) const;
    // Extracts into the directory, replacing existing files. True even when nothing
    // was extracted: callers look for the result.
    bool FileGet(const char* pcsFile, const char* pcsDirDestin) const;
    bool FileGet(const std::vector<CString>& files, const char* pcsDirDestin) const;
    // Reads the member into the buffer. ulSize is the capacity on entry and the number
    // of bytes read on return; a member larger than the capacity fails and leaves it.
    bool FileGet(const char* pcsFile, uint8_t* pBuffer, uint32_t& ulSize) const;
    // Adds the file under its base name, creating the archive when needed. Always true.
    bool FileAdd(const char* pcsFilePath) const;
    // Length and time stamp (local time) of the first member matching the name, which
    // is compared case-sensitively.
    bool FileInfoGet(const char* pcsFile, uint32_t& ulSize, CTime& time) const;

private:
    CString m_csBupFile;
};
