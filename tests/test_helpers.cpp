#include "test_helpers.h"

#include <algorithm>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "bupinfo/bup_archive.h"

TempDir::TempDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "qmtest.XXXXXX").string();
    if (!mkdtemp(templ.data()))
        throw std::runtime_error("mkdtemp failed");
    m_path = templ;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

std::string TempDir::file(const std::string& name) const { return m_path + "/" + name; }

std::string TempDir::write(const std::string& name, const std::string& content) const {
    std::string p = file(name);
    std::filesystem::create_directories(std::filesystem::path(p).parent_path());
    std::ofstream(p, std::ios::binary | std::ios::trunc) << content;
    return p;
}

std::string TempDir::read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

#include "support/opus_trace.h"

// The unit tests' own trace object: no settings file, so tracing stays off.
COpusTrace g_Trace("");

std::vector<std::string> ArchiveMembers(const std::string& archive) {
    std::vector<CString> found;
    CBupArchive(archive.c_str()).FileFind("*", found, false);
    std::vector<std::string> names;
    for (const CString& cs : found)
        names.push_back(cs.str());
    std::sort(names.begin(), names.end());
    return names;
}

SKernelMessage TextMessage(E_DEDURE_MSG eType, const std::string& csText) {
    SKernelMessage msg;
    msg.eType = eType;
    msg.Texts = {csText};
    return msg;
}
