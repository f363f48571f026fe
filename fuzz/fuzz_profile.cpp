// A profile file as the kernel and the trace read and update it. CProfile only
// reads files, so each input goes to a private file under $TMPDIR. The loose
// matching promises no read-back, so only the sanitizers judge.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "support/msc.h"
#include "support/profile.h"

namespace {

// Section and key the input does not choose: those the program itself asks for.
const char* const kLookups[][2] = {
    {"Quillmark", "ExtPath"}, {"Quillmark", "ExtDir"},  {"Test", "SkipReboot"},
    {"TRACE_SETTINGS", "Trace"}, {"TRACE_SETTINGS", "TraceLevel"}, {"TRACE_SETTINGS", "TraceFile"},
    {"LOADORDER_KRNL2", "1"},
};

std::string TempPath() {
    const char* pszDir = std::getenv("TMPDIR");
    return std::string(pszDir && *pszDir ? pszDir : "/tmp") + "/qm_fuzz_profile_XXXXXX";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = TempPath();
    const int fd = mkstemp(&path[0]);
    if (fd < 0)
        return 0;
    const bool fWritten = MscWriteAll(fd, data, size);
    close(fd);
    if (fWritten) {
        const CProfile profile(path.c_str());
        for (const auto& lookup : kLookups) {
            CString cs;
            char buf[16];
            profile.IntGet(lookup[0], lookup[1], -1);
            profile.StringGet(lookup[0], lookup[1], "def", cs);
            profile.StringGet(lookup[0], lookup[1], "def", buf, sizeof buf);
        }
        // The kernel's one update: a module path stored, then read back.
        if (profile.StringSet("Quillmark", "ExtPath", "./qmx01/qmxsim.so")) {
            CString cs;
            profile.StringGet("Quillmark", "ExtPath", "", cs);
        }
    }
    // StringSet replaced the file by rename, so this one name is all there is.
    unlink(path.c_str());
    return 0;
}
