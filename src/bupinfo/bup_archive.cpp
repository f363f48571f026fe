// Archive access through the external zip and unzip programs. Every path, name and
// pattern is one argument of its own, so nothing in them is ever interpreted by a shell.
#include "bupinfo/bup_archive.h"

#include <string>

#include "bupinfo/archive_listing.h"
#include "support/msc.h"
#include "support/opus_trace.h"
#include "support/pipe_child.h"

namespace {

// unzip reads options after the archive too, so such a member name could change the command.
bool IsOptionLike(const char* psz) { return psz && psz[0] == '-'; }

// The same file, but no longer readable as an option.
std::string PathArg(const char* pszPath) {
    std::string s = MscOrEmpty(pszPath);
    if (IsOptionLike(pszPath))
        s.insert(0, "./");
    return s;
}

// An empty name adds no argument, as it added none to a shell command line.
void MemberArgAdd(std::vector<std::string>& argv, const char* pszMember) {
    if (pszMember && *pszMember)
        argv.emplace_back(pszMember);
}

// A whole output line; the runner hands long lines over in pieces.
bool LineRead(CPipeChild& child, CString& csLine) {
    csLine.Empty();
    while (const char* psz = child.LineGet()) {
        csLine += psz;
        if (csLine.Right(1) == "\n")
            break;
    }
    return !csLine.IsEmpty();
}

// Reads past the header; false when the output ends before the first member line.
bool ListingHeaderSkip(CPipeChild& child, CString& csLine) {
    while (LineRead(child, csLine)) {
        if (ArcListingIsHeaderRule(csLine))
            return LineRead(child, csLine);
    }
    return false;
}

}  // namespace

bool CBupArchive::FileFind(const char* pcsFileSpec, std::vector<CString>& list, bool fIgnoreCase) const {
    list.clear();
    QM_TRACE_ENTER(3, "pcsFileSpec='%s', fIgnoreCase=%s", MscOrEmpty(pcsFileSpec), QmBool2Str(fIgnoreCase));
    if (IsOptionLike(pcsFileSpec)) {
        QM_TRACE_INTERNAL(1, "refused", "pattern '%s' would be read as an option", pcsFileSpec);
        QM_TRACE_LEAVE(3, "ret=%d", 0);
        return false;
    }
    std::vector<std::string> argv = {"unzip", "-l"};
    if (fIgnoreCase)
        argv.emplace_back("-C");
    argv.push_back(PathArg(m_csBupFile));
    const CString csPattern = MscOrEmpty(pcsFileSpec);
    if (csPattern != "*" && csPattern != "*.*")
        MemberArgAdd(argv, csPattern);

    CPipeChild child(std::move(argv));
    QM_TRACE_INTERNAL(4, "", "cmd='%s'", child.CommandTextGet().c_str());
    CString csLine;
    bool fLine = ListingHeaderSkip(child, csLine);
    for (; fLine && !ArcListingIsClosingRule(csLine); fLine = LineRead(child, csLine)) {
        CString csName;
        const int nBlank = ArcListingNameGet(csLine, csName);
        if (nBlank <= 0)
            continue;
        csLine.TrimRight();
        QM_TRACE_INTERNAL(4, "", "Searching in: %s %d", csLine.c_str(), nBlank);
        QM_TRACE_INTERNAL(4, "", "FileName is: '%s'", csName.c_str());
        list.push_back(csName);
    }
    const bool fRet = !list.empty();
    QM_TRACE_LEAVE(3, "ret=%d", fRet ? 1 : 0);
    return fRet;
}

bool CBupArchive::FileGet(const char* pcsFile, const char* pcsDirDestin) const {
    QM_TRACE_ENTER(3, "pcsFile='%s', pcsDirDestin='%s'", MscOrEmpty(pcsFile), MscOrEmpty(pcsDirDestin));
    if (IsOptionLike(pcsFile)) {
        QM_TRACE_INTERNAL(1, "refused", "member '%s' would be read as an option", pcsFile);
    } else {
        std::vector<std::string> argv = {"unzip", "-qq", "-o", PathArg(m_csBupFile)};
        MemberArgAdd(argv, pcsFile);
        argv.emplace_back("-d");
        argv.emplace_back(MscOrEmpty(pcsDirDestin));
        CPipeChild child(std::move(argv));
        QM_TRACE_INTERNAL(4, "", "cmd='%s'", child.CommandTextGet().c_str());
        // Quiet: the output ends when the program does.
        while (child.LineGet()) {
        }
    }
    QM_TRACE_LEAVE(3, "ret=%s", "true");
    return true;
}

bool CBupArchive::FileGet(const std::vector<CString>& files, const char* pcsDirDestin) const {
    QM_TRACE_ENTER(3, "pcsDirDestin='%s'", MscOrEmpty(pcsDirDestin));
    for (const CString& csFile : files)
        FileGet(csFile, pcsDirDestin);
    QM_TRACE_LEAVE(3, "ret=%s", "true");
    return true;
}

bool CBupArchive::FileGet(const char* pcsFile, uint8_t* pBuffer, uint32_t& ulSize) const {
    QM_TRACE_ENTER(3, "pcsFile='%s'", MscOrEmpty(pcsFile));
    uint32_t ulFileSize = 0;
    CTime time;
    // Also refuses option-like names, before anything is started.
    if (!FileInfoGet(pcsFile, ulFileSize, time)) {
        QM_TRACE_INTERNAL(1, "", "FileInfoGet failed");
        QM_TRACE_LEAVE(3, "ret=%s", "false");
        return false;
    }
    if (ulSize < ulFileSize) {
        QM_TRACE_INTERNAL(1, "", "ulSize > ulMaxSize");
        QM_TRACE_LEAVE(3, "ret=%s", "false");
        return false;
    }
    if (!pBuffer && ulFileSize > 0) {
        QM_TRACE_INTERNAL(1, "", "no buffer");
        QM_TRACE_LEAVE(3, "ret=%s", "false");
        return false;
    }
    std::vector<std::string> argv = {"unzip", "-qq", "-p", PathArg(m_csBupFile)};
    MemberArgAdd(argv, pcsFile);
    CPipeChild child(std::move(argv));
    QM_TRACE_INTERNAL(4, "", "cmd='%s'", child.CommandTextGet().c_str());
    ulSize = pBuffer ? child.OutputGet(pBuffer, ulSize) : 0;
    QM_TRACE_LEAVE(3, "ret=%s, ulSize=%u", "true", ulSize);
    return true;
}

bool CBupArchive::FileAdd(const char* pcsFilePath) const {
    QM_TRACE_ENTER(3, "pcsFilePath='%s', m_csBupFile='%s'", MscOrEmpty(pcsFilePath), m_csBupFile.c_str());
    std::vector<std::string> argv = {"zip", "-q", "-j", PathArg(m_csBupFile)};
    if (pcsFilePath && *pcsFilePath)
        argv.push_back(PathArg(pcsFilePath));
    CPipeChild child(std::move(argv));
    QM_TRACE_INTERNAL(4, "", "cmd='%s'", child.CommandTextGet().c_str());
    while (child.LineGet()) {
    }
    QM_TRACE_LEAVE(3, "ret=%s", "true");
    return true;
}

bool CBupArchive::FileInfoGet(const char* pcsFile, uint32_t& ulSize, CTime& time) const {
    QM_TRACE_ENTER(3, "archive = '%s'", m_csBupFile.c_str());
    if (IsOptionLike(pcsFile)) {
        QM_TRACE_INTERNAL(1, "refused", "member '%s' would be read as an option", pcsFile);
        QM_TRACE_LEAVE(3, "ret=%s", "false");
        return false;
    }
    std::vector<std::string> argv = {"unzip", "-l", PathArg(m_csBupFile)};
    MemberArgAdd(argv, pcsFile);
    CPipeChild child(std::move(argv));
    QM_TRACE_INTERNAL(4, "", "cmd='%s'", child.CommandTextGet().c_str());
    CString csLine;
    // Without a match unzip still prints the closing line.
    if (!ListingHeaderSkip(child, csLine) || ArcListingIsClosingRule(csLine)) {
        QM_TRACE_INTERNAL(1, "", "did not get file info of '%s'", MscOrEmpty(pcsFile));
        QM_TRACE_LEAVE(3, "ret=%s", "false");
        return false;
    }
    uint32_t ulLength = 0;
    CTime timeMember;
    if (!ArcListingInfoGet(csLine, ulLength, timeMember)) {
        csLine.TrimRight();
        QM_TRACE_INTERNAL(1, "", "could not get data from '%s'", csLine.c_str());
        QM_TRACE_LEAVE(3, "ret=%s", "false");
        return false;
    }
    ulSize = ulLength;
    time = timeMember;
    QM_TRACE_LEAVE(3, "ret=%s", "true");
    return true;
}
