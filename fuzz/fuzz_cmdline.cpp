// The job command line as the kernel takes it from a front-end: masked for the
// trace, tokenized and parsed into the option set, the target path split.
// Checks that the tokenizer's quoting reads back: every argument written
// quoted (inner quotes doubled) tokenizes to the same arguments.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "cmdline/qm_cmd_line.h"
#include "support/msc.h"

namespace {

using Args = std::vector<std::pair<std::string, bool>>;

// Records what the tokenizer hands over, then parses as the kernel does.
class CRecordingCmdLine : public CQmCmdLine {
public:
    void ParseParam(const char* pszParam, bool bFlag, bool bLast) override {
        args.emplace_back(pszParam, bFlag);
        lasts += bLast ? 1 : 0;
        CQmCmdLine::ParseParam(pszParam, bFlag, bLast);
    }
    Args args;
    int lasts = 0;
};

std::string Quoted(const Args& args) {
    std::string line;
    for (const auto& [text, fFlag] : args) {
        line += line.empty() ? "\"" : " \"";
        if (fFlag)
            line += '-';
        for (char c : text)
            line += c == '"' ? std::string("\"\"") : std::string(1, c);
        line += '"';
    }
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The line arrives as a C string; a NUL ends it.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* pszLine = text.c_str();
    MscFilterPasswordSwitches(pszLine);

    CRecordingCmdLine cl;
    cl.Parse(pszLine);
    CString cs;
    cl.ToString(cs);
    cl.is_anything_besides_BiosCodeArea_selected();
    if (cl.OptionExists(eObjectFile)) {
        CString csDir, csName, csExt;
        MscPathSplit(cl.m_csTarget, &csDir, &csName, &csExt);
    }
    // Exactly the final argument is marked last; a blank line has none.
    if (cl.lasts != (cl.args.empty() ? 0 : 1))
        __builtin_trap();

    CRecordingCmdLine again;
    again.Parse(Quoted(cl.args).c_str());
    if (again.args != cl.args || again.m_Options != cl.m_Options)
        __builtin_trap();
    return 0;
}
