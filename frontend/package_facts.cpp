#include "frontend/package_facts.h"

#include <vector>

#include "bupinfo/bup_archive.h"
#include "bupinfo/bup_info.h"

namespace {
// A description larger than this is not worth reading for a hint.
constexpr uint32_t kDescriptionMax = 1024 * 1024;
constexpr uint32_t kBoardsMax = 64;
}  // namespace

std::optional<SPackageFacts> PackageFactsRead(const std::string& strPath) {
    const CBupArchive archive(strPath.c_str());
    uint32_t ulSize = 0;
    CTime time;
    if (!archive.FileInfoGet("BupInfo2.xml", ulSize, time) || ulSize == 0 || ulSize > kDescriptionMax)
        return std::nullopt;
    std::vector<uint8_t> text(ulSize);
    CBupInfo doc;
    if (!archive.FileGet("BupInfo2.xml", text.data(), ulSize) ||
        doc.BufferLoadFrom(reinterpret_cast<const char*>(text.data()), ulSize) != 0)
        return std::nullopt;
    SPackageFacts facts;
    CString cs;
    for (uint32_t i = 0; i < kBoardsMax && doc.TokenContentGet("bupinfo2\\board", i, cs) == 0; ++i)
        facts.boards.emplace_back(cs.Trim().str());
    if (doc.TokenContentGet("bupinfo2\\biosversion", 0, cs) == 0)
        facts.strBiosVersion = cs.Trim().str();
    return facts;
}
