// A package as the kernel meets it: listed, judged, read into memory and
// extracted. The input goes to a private file under $TMPDIR, extraction to a
// private folder beside it; afterwards nothing may lie outside that folder.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bupinfo/archive_limits.h"
#include "bupinfo/archive_cache.h"
#include "bupinfo/bup_archive.h"
#include "support/msc.h"

namespace {

std::string TempDir() {
    const char* pszDir = std::getenv("TMPDIR");
    return pszDir && *pszDir ? pszDir : "/tmp";
}

// Small caps keep each run short; the rules are the same.
void SmallLimits() {
    SArchiveLimits limits;
    limits.ullMaxMemberBytes = 1 << 20;
    limits.ullMaxDescriptionBytes = 64 << 10;
    limits.ulMaxMembers = 64;
    ArchiveLimitsSet(limits);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool fLimits = (SmallLimits(), true);
    (void)fLimits;
    CArchiveCache::ForJob().Clear();  // each input is a job of its own
    CString csRoot;
    if (!MscTemporaryFolderMake(TempDir().c_str(), "qm_fuzz_archive", csRoot))
        return 0;
    const std::string root = csRoot.str();
    const std::string package = root + "/p.bup";
    const int fd = open(package.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    const bool fWritten = fd >= 0 && MscWriteAll(fd, data, size);
    if (fd >= 0)
        close(fd);
    if (fWritten) {
        const CBupArchive arc(package.c_str());
        std::vector<CString> names;
        arc.FileFind("*", names, false);
        for (const CString& name : names) {
            uint32_t ulSize = 0;
            CTime time;
            if (arc.FileInfoGet(name, ulSize, time)) {
                std::vector<uint8_t> buf(ulSize);
                // A read never yields more than the listing announced.
                if (arc.FileGet(name, buf.data(), ulSize) && ulSize > buf.size())
                    __builtin_trap();
            }
        }
        arc.FileGet("", (root + "/out").c_str());
        // The folder holds the package and what was extracted, nothing else.
        for (const auto& entry : std::filesystem::directory_iterator(root))
            if (entry.path() != package && entry.path() != root + "/out")
                __builtin_trap();
    }
    MscTreeRemove(root.c_str());
    return 0;
}
