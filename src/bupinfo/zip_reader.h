// Read-only access to a zip archive through libzip: the member list with what the
// rules need to judge it, member data streamed into memory or into a folder.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "bupinfo/archive_judge.h"

struct zip;
struct SLibZip;

class CZipReader {
public:
    CZipReader() = default;
    ~CZipReader();
    CZipReader(const CZipReader&) = delete;
    CZipReader& operator=(const CZipReader&) = delete;

    // Only a regular file is opened (never a device or FIFO someone named): its
    // descriptor, with its status in st; -1 otherwise.
    static int OpenRegular(const char* pszPath, struct stat& st, std::string& strError);
    // At most ulMaxMembers + 1 members are described, enough to tell that there are
    // too many.
    bool Open(const char* pszPath, uint32_t ulMaxMembers, std::string& strError);
    // The same for a descriptor from OpenRegular, which the reader takes over.
    bool Open(int fd, uint32_t ulMaxMembers, std::string& strError);
    const std::vector<SArchiveMember>& Members() const { return m_members; }

    // The member's data in pieces of at most 64 KiB; false when libzip fails, the sink
    // refuses, or the data is not exactly as long as the listing says.
    bool Stream(size_t nMember, const std::function<bool(const char*, size_t)>& sink, std::string& strError) const;

    // Writes the member below the folder open as dirfd, creating its folders and replacing
    // a file of its name. Nothing on the way is followed if it is a link, so the write
    // stays below the folder; a partial file is removed.
    bool Extract(size_t nMember, int dirfd, std::string& strError) const;

private:
    const SLibZip* m_pLib = nullptr;  // set by Open
    zip* m_pZip = nullptr;
    std::vector<SArchiveMember> m_members;
};
