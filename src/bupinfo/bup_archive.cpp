// Archive access in-process through libzip.
#include "bupinfo/bup_archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "bupinfo/archive_cache.h"
#include "bupinfo/bup_info.h"
#include "bupinfo/zip_reader.h"
#include "bupinfo/zip_writer.h"
#include "support/msc.h"
#include "support/opus_trace.h"

namespace {

// The package description, by the name the kernel reads it under.
constexpr const char* kDescription = "BupInfo2.xml";

bool IsAll(const char* pszSpec) {
    return !pszSpec || !*pszSpec || strcmp(pszSpec, "*") == 0 || strcmp(pszSpec, "*.*") == 0;
}

bool Matches(const char* pszSpec, const std::string& strName, bool fIgnoreCase) {
    return !pszSpec || !*pszSpec || MscRegularMatch(pszSpec, strName.c_str(), fIgnoreCase) == 1;
}

// The listing has always named a member by the part behind its last blank.
CString ListedName(const std::string& strName) {
    std::string s = strName.substr(0, strName.find_last_not_of(" \t\r\n") + 1);
    const size_t nBlank = s.find_last_of(' ');
    return CString(nBlank == std::string::npos ? s : s.substr(nBlank + 1));
}

// Local time to the minute, as the listing has always shown it.
CTime MemberTime(time_t t) {
    struct tm tmLocal {};
    localtime_r(&t, &tmLocal);
    return CTime(tmLocal.tm_year + 1900, tmLocal.tm_mon + 1, tmLocal.tm_mday, tmLocal.tm_hour, tmLocal.tm_min, 0);
}

// The first member the name matches, case-sensitively; -1 when none does.
long FirstMatch(const std::vector<SArchiveMember>& members, const char* pszName) {
    for (size_t i = 0; i < members.size(); ++i)
        if (Matches(pszName, members[i].strName, false))
            return static_cast<long>(i);
    return -1;
}

// The destination, made when missing as the extraction has always done; never a link.
int FolderOpen(const char* pszDir) {
    const char* psz = pszDir && *pszDir ? pszDir : ".";
    if (mkdir(psz, 0700) != 0 && errno != EEXIST)
        return -1;
    return open(psz, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

}  // namespace

std::shared_ptr<SArchiveListing> CBupArchive::Read(int fd, const struct stat& st, CZipReader& reader) const {
    auto listing = std::make_shared<SArchiveListing>();
    const SArchiveLimits& limits = ArchiveLimitsGet();
    listing->fZip = reader.Open(fd, limits.ulMaxMembers, listing->strError);
    if (listing->fZip) {
        listing->members = reader.Members();
        if (const std::optional<SArchiveRefusal> refusal = ArchiveJudge(listing->members, limits))
            listing->strRefusal = refusal->Text();
    }
    CArchiveCache::ForJob().Put(st, listing);
    return listing;
}

std::shared_ptr<SArchiveListing> CBupArchive::Listing(CZipReader* pReader, bool* pfReaderOpen) const {
    m_strRefusal.clear();
    if (pfReaderOpen)
        *pfReaderOpen = false;
    struct stat st {};
    std::string strError;
    const int fd = CZipReader::OpenRegular(m_csBupFile, st, strError);
    std::shared_ptr<SArchiveListing> listing;
    if (fd >= 0 && (listing = CArchiveCache::ForJob().Find(st))) {
        close(fd);
    } else if (fd >= 0) {
        CZipReader own;
        CZipReader& reader = pReader ? *pReader : own;
        listing = Read(fd, st, reader);
        if (pfReaderOpen)
            *pfReaderOpen = listing->fZip;
    }
    return Verdict(listing, strError);
}

std::shared_ptr<SArchiveListing> CBupArchive::Verdict(const std::shared_ptr<SArchiveListing>& listing,
                                                      const std::string& strError) const {
    if (!listing || !listing->fZip) {
        QM_TRACE_INTERNAL(2, "", "cannot open '%s': %s", m_csBupFile.c_str(),
                          (listing ? listing->strError : strError).c_str());
        return nullptr;
    }
    if (!listing->strRefusal.empty()) {
        m_strRefusal = listing->strRefusal;
        QM_TRACE_INTERNAL(1, "refused", "'%s': %s", m_csBupFile.c_str(), m_strRefusal.c_str());
        return nullptr;
    }
    return listing;
}

bool CBupArchive::Open(CZipReader& reader, std::shared_ptr<SArchiveListing>* pListing) const {
    m_strRefusal.clear();
    struct stat st {};
    std::string strError;
    const int fd = CZipReader::OpenRegular(m_csBupFile, st, strError);
    const std::shared_ptr<SArchiveListing> listing = Verdict(fd >= 0 ? Read(fd, st, reader) : nullptr, strError);
    if (listing && pListing)
        *pListing = listing;
    return listing != nullptr;
}

bool CBupArchive::FileFind(const char* pcsFileSpec, std::vector<CString>& list, bool fIgnoreCase) const {
    list.clear();
    QM_TRACE_ENTER(3, "pcsFileSpec='%s', fIgnoreCase=%s", MscOrEmpty(pcsFileSpec), QmBool2Str(fIgnoreCase));
    if (const std::shared_ptr<SArchiveListing> listing = Listing()) {
        const bool fAll = IsAll(pcsFileSpec);
        for (const SArchiveMember& m : listing->members) {
            if (!fAll && !Matches(pcsFileSpec, m.strName, fIgnoreCase))
                continue;
            list.push_back(ListedName(m.strName));
            QM_TRACE_INTERNAL(4, "", "FileName is: '%s'", list.back().c_str());
        }
    }
    const bool fRet = !list.empty();
    QM_TRACE_LEAVE(3, "ret=%d", fRet ? 1 : 0);
    return fRet;
}

bool CBupArchive::Extract(const std::vector<const char*>& patterns, const char* pcsDirDestin) const {
    CZipReader reader;
    // An archive that is simply not there extracts nothing, as before.
    bool fRet = Open(reader) || m_strRefusal.empty();
    std::vector<size_t> wanted;
    uint64_t ullNeeded = 0;
    // In the patterns' order, each member once, as one extraction per pattern would leave them.
    for (const char* pszPattern : patterns)
        for (size_t i = 0; i < reader.Members().size(); ++i)
            if (Matches(pszPattern, reader.Members()[i].strName, false) &&
                std::find(wanted.begin(), wanted.end(), i) == wanted.end()) {
                wanted.push_back(i);
                ullNeeded += reader.Members()[i].ullSize;
            }
    if (fRet && !wanted.empty()) {
        const int dirfd = FolderOpen(pcsDirDestin);
        struct statvfs fs {};
        if (dirfd < 0) {
            m_strRefusal = std::string("cannot use the folder '") + MscOrEmpty(pcsDirDestin) + "': " + strerror(errno);
            fRet = false;
        } else if (fstatvfs(dirfd, &fs) == 0 && ullNeeded > static_cast<uint64_t>(fs.f_bavail) * fs.f_frsize) {
            m_strRefusal = "not enough free space in '" + std::string(MscOrEmpty(pcsDirDestin)) + "' for " +
                           std::to_string(ullNeeded) + " bytes";
            fRet = false;
        }
        for (size_t i = 0; fRet && i < wanted.size(); ++i) {
            std::string strError;
            if (!reader.Extract(wanted[i], dirfd, strError)) {
                m_strRefusal = "member '" + reader.Members()[wanted[i]].strName + "' could not be written: " + strError;
                fRet = false;
            }
        }
        if (dirfd >= 0)
            close(dirfd);
    }
    if (!fRet)
        QM_TRACE_INTERNAL(1, "", "'%s': %s", m_csBupFile.c_str(), m_strRefusal.c_str());
    return fRet;
}

bool CBupArchive::FileGet(const char* pcsFile, const char* pcsDirDestin) const {
    QM_TRACE_ENTER(3, "pcsFile='%s', pcsDirDestin='%s'", MscOrEmpty(pcsFile), MscOrEmpty(pcsDirDestin));
    const bool fRet = Extract({pcsFile}, pcsDirDestin);
    QM_TRACE_LEAVE(3, "ret=%s", QmBool2Str(fRet));
    return fRet;
}

bool CBupArchive::FileGet(const std::vector<CString>& files, const char* pcsDirDestin) const {
    QM_TRACE_ENTER(3, "pcsDirDestin='%s'", MscOrEmpty(pcsDirDestin));
    // One opening and one judgement for all of them; an empty list extracts nothing.
    std::vector<const char*> patterns;
    for (const CString& csFile : files)
        patterns.push_back(csFile.c_str());
    const bool fRet = patterns.empty() || Extract(patterns, pcsDirDestin);
    QM_TRACE_LEAVE(3, "ret=%s", QmBool2Str(fRet));
    return fRet;
}

bool CBupArchive::FileGet(const char* pcsFile, uint8_t* pBuffer, uint32_t& ulSize) const {
    QM_TRACE_ENTER(3, "pcsFile='%s'", MscOrEmpty(pcsFile));
    CZipReader reader;
    bool fReaderOpen = false;
    std::shared_ptr<SArchiveListing> listing = Listing(&reader, &fReaderOpen);
    long nMember = listing ? FirstMatch(listing->members, pcsFile) : -1;
    bool fRet = false;
    if (nMember < 0) {
        QM_TRACE_INTERNAL(1, "", "FileInfoGet failed");
    } else if (listing->members[static_cast<size_t>(nMember)].ullSize > ulSize) {
        QM_TRACE_INTERNAL(1, "", "ulSize > ulMaxSize");
    } else if (!pBuffer && ulSize > 0) {
        QM_TRACE_INTERNAL(1, "", "no buffer");
    } else if (const auto it = listing->descriptions.find(static_cast<size_t>(nMember));
               it != listing->descriptions.end() &&
               ArchiveIsDescription(listing->members[static_cast<size_t>(nMember)].strName)) {
        if (!it->second.empty())
            memcpy(pBuffer, it->second.data(), it->second.size());
        ulSize = static_cast<uint32_t>(it->second.size());
        fRet = true;
    } else if ((fReaderOpen || Open(reader, &listing)) && (nMember = FirstMatch(listing->members, pcsFile)) >= 0 &&
               listing->members[static_cast<size_t>(nMember)].ullSize <= ulSize) {
        // Member data comes from an opening judged just now, never from the cache.
        std::string strData, strError;
        fRet = reader.Stream(static_cast<size_t>(nMember),
                             [&](const char* p, size_t n) {
                                 strData.append(p, n);
                                 return true;
                             },
                             strError);
        if (fRet) {
            if (!strData.empty())
                memcpy(pBuffer, strData.data(), strData.size());
            ulSize = static_cast<uint32_t>(strData.size());
            CArchiveCache& cache = CArchiveCache::ForJob();
            if (ArchiveIsDescription(listing->members[static_cast<size_t>(nMember)].strName) &&
                cache.RoomFor(strData.size())) {
                cache.Counted(strData.size());
                listing->descriptions[static_cast<size_t>(nMember)] = std::move(strData);
            }
        } else {
            m_strRefusal = "member '" + listing->members[static_cast<size_t>(nMember)].strName + "': " + strError;
            QM_TRACE_INTERNAL(1, "", "'%s': %s", m_csBupFile.c_str(), m_strRefusal.c_str());
        }
    }
    QM_TRACE_LEAVE(3, "ret=%s, ulSize=%u", QmBool2Str(fRet), ulSize);
    return fRet;
}

bool CBupArchive::DescriptionTokenGet(const char* pszToken, CString& csValue) const {
    const std::shared_ptr<SArchiveListing> listing = Listing();
    if (!listing)
        return false;
    const std::string strToken = MscOrEmpty(pszToken);
    auto it = listing->tokens.find(strToken);
    if (it == listing->tokens.end()) {
        std::optional<std::string> value;
        // Its size from the listing in hand; the bytes from the cache or one reading.
        const long nMember = FirstMatch(listing->members, kDescription);
        uint32_t ulSize = nMember < 0 ? 0 : static_cast<uint32_t>(listing->members[static_cast<size_t>(nMember)].ullSize);
        if (ulSize > 0) {
            std::vector<uint8_t> text(ulSize);
            CBupInfo doc;
            CString cs;
            if (FileGet(kDescription, text.data(), ulSize) &&
                doc.BufferLoadFrom(reinterpret_cast<const char*>(text.data()), ulSize) == 0 &&
                doc.TokenContentGet(strToken.c_str(), 0, cs) == 0)
                value = cs.c_str();
        }
        it = listing->tokens.emplace(strToken, std::move(value)).first;
    }
    if (it->second)
        csValue = it->second->c_str();
    return it->second.has_value();
}

bool CBupArchive::FileAdd(const char* pcsFilePath) const {
    QM_TRACE_ENTER(3, "pcsFilePath='%s', m_csBupFile='%s'", MscOrEmpty(pcsFilePath), m_csBupFile.c_str());
    m_strRefusal.clear();
    const std::string strPath = MscOrEmpty(pcsFilePath);
    CZipWriter writer;
    std::string strError;
    const bool fRet = writer.Open(m_csBupFile, false, strError) &&
                      writer.Add(strPath.c_str(), strPath.substr(strPath.find_last_of('/') + 1), strError) &&
                      writer.Close(strError);
    if (!fRet) {
        m_strRefusal = "cannot add '" + strPath + "': " + strError;
        QM_TRACE_INTERNAL(1, "", "'%s': %s", m_csBupFile.c_str(), m_strRefusal.c_str());
    }
    QM_TRACE_LEAVE(3, "ret=%s", QmBool2Str(fRet));
    return fRet;
}

bool CBupArchive::FileInfoGet(const char* pcsFile, uint32_t& ulSize, CTime& time) const {
    QM_TRACE_ENTER(3, "archive = '%s'", m_csBupFile.c_str());
    const std::shared_ptr<SArchiveListing> listing = Listing();
    const long nMember = listing ? FirstMatch(listing->members, pcsFile) : -1;
    if (nMember < 0) {
        QM_TRACE_INTERNAL(1, "", "did not get file info of '%s'", MscOrEmpty(pcsFile));
    } else {
        const SArchiveMember& m = listing->members[static_cast<size_t>(nMember)];
        ulSize = static_cast<uint32_t>(m.ullSize);
        time = MemberTime(m.tModified);
    }
    QM_TRACE_LEAVE(3, "ret=%s", QmBool2Str(nMember >= 0));
    return nMember >= 0;
}
