#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "support/msc.h"
#include "support/opus_trace.h"

void MscPathSplit(const char* pszPath, CString* pDir, CString* pName, CString* pExt) {
    const std::string_view path = MscOrEmpty(pszPath);
    const size_t slash = path.rfind('/');
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;

    // A lone leading "/" does not count as a directory part.
    if (pDir)
        *pDir = (slash == std::string_view::npos || slash == 0)
                    ? CString()
                    : CString(std::string(path.substr(0, slash + 1)));

    // Only a dot in the final component starts an extension; "./x" has none.
    const std::string_view file = path.substr(nameStart);
    const size_t dot = file.rfind('.');
    const std::string_view ext = dot == std::string_view::npos ? std::string_view() : file.substr(dot);
    if (pExt)
        *pExt = CString(std::string(ext));
    if (pName)
        *pName = CString(std::string(pExt ? file.substr(0, file.size() - ext.size()) : file));

    QM_TRACE_LEAVE(4, "path='%s', dir='%s', name='%s', ext='%s'", std::string(path).c_str(),
                   pDir ? pDir->c_str() : "<null>", pName ? pName->c_str() : "<null>",
                   pExt ? pExt->c_str() : "<null>");
}

int MscExpandRelPath(const char* pszPath, const char* pszBase, CString& out) {
    const std::string path = MscOrEmpty(pszPath);
    std::string base = MscOrEmpty(pszBase);
    QM_TRACE_ENTER(3, "path='%s', base='%s'", path.c_str(), base.c_str());

    if (path.compare(0, 1, "/") == 0) {
        out = path;
    } else if (path.compare(0, 2, "./") == 0) {
        out = base + path.substr(1);
    } else if (path.compare(0, 3, "../") == 0) {
        if (base.empty()) {
            QM_TRACE_INTERNAL(2, "no base directory", "path='%s'", path.c_str());
            QM_TRACE_LEAVE(3, "ret=0");
            return 0;
        }
        // A trailing "/" of the base must not stand for its parent.
        while (base.size() > 1 && base.back() == '/')
            base.pop_back();
        const size_t slash = base.rfind('/');
        const std::string parent = slash == std::string::npos ? std::string(".") : base.substr(0, slash);
        out = parent + path.substr(2);
    } else {
        out = base + "/" + path;
    }
    QM_TRACE_LEAVE(3, "ret=1, out='%s'", out.c_str());
    return 1;
}

void MscExpandEnvir(const char* pszIn, CString& out) {
    const std::string in = MscOrEmpty(pszIn);
    std::string result;
    for (size_t i = 0; i < in.size();) {
        if (in[i] != '$') {
            result += in[i++];
            continue;
        }
        size_t end = in.find('/', i + 1);
        if (end == std::string::npos)
            end = in.size();
        const std::string name = in.substr(i + 1, end - i - 1);
        if (const char* value = name.empty() ? nullptr : std::getenv(name.c_str()))
            result += value;
        i = end;
    }
    out = result;
    QM_TRACE_LEAVE(4, "in='%s', out='%s'", in.c_str(), out.c_str());
}

int MscSymLinkRead(const char* pszPath, CString& out) {
    QM_TRACE_ENTER(3, "path='%s'", MscOrEmpty(pszPath));
    out.Empty();
    struct stat st {};
    if (!pszPath || lstat(pszPath, &st) != 0) {
        QM_TRACE_INTERNAL(4, "lstat failed", "%s", strerror(errno));
        QM_TRACE_LEAVE(3, "ret=0");
        return 0;
    }
    if (!S_ISLNK(st.st_mode)) {
        QM_TRACE_LEAVE(3, "ret=0 (no symbolic link)");
        return 0;
    }
    char target[4096];
    const ssize_t n = readlink(pszPath, target, sizeof(target));
    if (n < 0) {
        QM_TRACE_INTERNAL(1, "readlink failed", "%s", strerror(errno));
        QM_TRACE_LEAVE(3, "ret=0");
        return 0;
    }
    out = std::string(target, static_cast<size_t>(n));
    QM_TRACE_LEAVE(3, "ret=%d, target='%s'", static_cast<int>(n), out.c_str());
    return static_cast<int>(n);
}
