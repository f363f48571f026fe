#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <system_error>

#include "support/msc.h"
#include "support/opus_trace.h"

namespace {

// Directory part ("./" when the pattern has none) and the name pattern.
void patternSplit(const char* pszPattern, std::string& dir, std::string& name) {
    const std::string pattern = pszPattern ? pszPattern : "";
    const size_t slash = pattern.rfind('/');
    if (slash == std::string::npos) {
        dir = "./";
        name = pattern;
    } else {
        dir = pattern.substr(0, slash + 1);
        name = pattern.substr(slash + 1);
    }
}

// The entry's own type: links, files and folders from the listing where the
// file system reports them there, anything else from lstat; 0 when unknown.
unsigned int EntryType(const std::filesystem::directory_entry& entry) {
    std::error_code ec;
    if (entry.is_symlink(ec))
        return S_IFLNK;
    if (!ec && entry.is_regular_file(ec))
        return S_IFREG;
    if (!ec && entry.is_directory(ec))
        return S_IFDIR;
    struct stat st {};
    return lstat(entry.path().c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

}  // namespace

bool MscMatchingEntriesVisit(
    const char* pszPattern, bool fIgnoreCase,
    const std::function<bool(const std::string&, const std::string&, unsigned int)>& fn) {
    std::string dir;
    std::string namePattern;
    patternSplit(pszPattern, dir, namePattern);

    std::error_code ec;
    std::filesystem::directory_iterator it(dir, ec);
    if (ec) {
        QM_TRACE_INTERNAL(1, "cannot open directory", "dir='%s': %s", dir.c_str(), ec.message().c_str());
        return false;
    }
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (MscRegularMatch(namePattern.c_str(), name.c_str(), fIgnoreCase) == 1 &&
            !fn(dir + name, name, EntryType(*it)))
            return true;
    }
    if (ec)
        QM_TRACE_INTERNAL(2, "reading directory failed", "dir='%s': %s", dir.c_str(), ec.message().c_str());
    return true;
}

int MscFindDirEntries(const char* pszPattern, CStrArray& list, unsigned int uiInclude,
                      unsigned int uiExclude, bool fIgnoreCase) {
    QM_TRACE_ENTER(3, "pattern='%s', uiInclude=0x%x, uiExclude=0x%x, fIgnoreCase=%s",
                   pszPattern ? pszPattern : "", uiInclude, uiExclude, QmBool2Str(fIgnoreCase));
    int nFound = 0;
    std::string shown;
    MscMatchingEntriesVisit(pszPattern, fIgnoreCase, [&](const std::string& path, const std::string& name,
                                                         unsigned int uiType) {
        if (uiType == 0) {
            QM_TRACE_INTERNAL(2, "type unknown, entry skipped", "path='%s'", path.c_str());
            return true;
        }
        if (uiType != uiInclude || uiType == uiExclude)
            return true;
        list.push_back(name);
        ++nFound;
        // Long listings would flood the trace; five names tell enough.
        if (nFound <= 5)
            shown += (nFound > 1 ? ", " : "") + name;
        else if (nFound == 6)
            shown += ", ...";
        return true;
    });
    QM_TRACE_LEAVE(3, "ret=%d, entries: %s", nFound, shown.c_str());
    return nFound;
}

int MscFindFileList(const char* pszPattern, CStrArray& list, bool fIgnoreCase) {
    return MscFindDirEntries(pszPattern, list, MSC_TYPE_REGULAR, 0, fIgnoreCase);
}

int MscFindDirList(const char* pszPattern, CStrArray& list, bool fIgnoreCase) {
    return MscFindDirEntries(pszPattern, list, MSC_TYPE_DIRECTORY, 0, fIgnoreCase);
}

void MscListSort(CStrArray& list) {
    std::sort(list.begin(), list.end());
    QM_TRACE_LEAVE(4, "size=%zu", list.size());
}

void MscExclusionList(const CStrArray& all, const CStrArray& excluded, CStrArray& result) {
    // Built aside so the result may be one of the inputs.
    CStrArray kept;
    std::copy_if(all.begin(), all.end(), std::back_inserter(kept), [&excluded](const CString& s) {
        return std::find(excluded.begin(), excluded.end(), s) == excluded.end();
    });
    QM_TRACE_LEAVE(4, "all=%zu, excluded=%zu, result=%zu", all.size(), excluded.size(), kept.size());
    result.swap(kept);
}
