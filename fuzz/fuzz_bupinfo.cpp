// A package description (BupInfo2.xml) as the kernel reads it: the XML tree
// loaded from the member's bytes, queried by token paths, extended as the
// kernel extends it, and written back.
// Checks: the parser stops inside the input; the board module's reader takes
// and reads every document as the kernel does; a saved tree whose elements
// all have names reads back to the same text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "bupinfo/bup_info.h"
#include "bupinfo/xml_node.h"
#include "qmxsim/bup_document.h"
#include "xml_dump.h"

namespace {

// Input that ends inside a tag leaves that element nameless, and a nameless
// element has no text form; only trees without one must read back.
bool AllNamed(const CXmlNode& node) {
    if (node.NameLengthGet() == 0)
        return false;
    for (const CXmlNode& child : node.ChildrenGet())
        if (!AllNamed(child))
            return false;
    return true;
}

std::string Saved(const CBupInfo& info) {
    uint32_t ulLen = 0;
    info.BufferSaveTo(nullptr, 0, &ulLen);
    std::vector<char> buf(ulLen);
    if (info.BufferSaveTo(buf.data(), ulLen, &ulLen) != 0)
        __builtin_trap();
    return std::string(buf.begin(), buf.end());
}

void Query(CBupInfo& info) {
    static const char* const kTokens[] = {"packtype", "board", "biosversion", "area", "image", "part",
                                          "Parameter\\SkipBiosCompare", "*"};
    for (const char* pszToken : kTokens) {
        const std::string path = std::string("bupinfo2\\") + pszToken;
        CString cs;
        for (uint32_t i = 0; i < 8 && info.TokenContentGet(path.c_str(), i, cs) == 0; ++i) {
            uint8_t abBin[8];
            unsigned int uLen = 0;
            info.TokenContentGetAsBin(path.c_str(), i, abBin, sizeof abBin, &uLen);
            CXmlNode::AttributeMap attributes;
            info.TokenAttributesGet(path.c_str(), i, attributes);
        }
    }
    CTime time;
    info.TokenContentGet("bupinfo2\\builddate", 0, time);
    std::vector<CString> names;
    info.EnumSubNodes("\\", 0, names);
    char szName[8];
    unsigned int uLen = 0;
    info.TokenNameGet("\\", 0, szName, sizeof szName, &uLen);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* const pText = reinterpret_cast<const char*>(data);

    CXmlNode node;
    const char* p = pText;
    size_t nLeft = size;
    int nLine = 1, nCol = 1;
    const uint32_t ulParse = node.Parse(p, nLeft, &nLine, &nCol);
    if (p < pText || p > pText + size || nLeft != size - static_cast<size_t>(p - pText))
        __builtin_trap();

    CBupInfo info;
    const uint32_t ulLoad = info.BufferLoadFrom(pText, static_cast<uint32_t>(size));
    if (ulLoad != ulParse)
        __builtin_trap();

    qmxsim::XmlElement root;
    const bool fModuleTakes = qmxsim::ParseXml(data, size, root);
    if (fModuleTakes != (ulLoad == 0))
        __builtin_trap();
    if (fModuleTakes && XmlDump(root) != XmlDump(info.RootGet()))
        __builtin_trap();

    Query(info);
    const std::string saved = Saved(info);
    // A too small buffer is filled up to its size and no further.
    std::vector<char> shortBuf(saved.size() / 2);
    uint32_t ulShort = 0;
    info.RootGet().BufferSaveTo(true, shortBuf.data(), static_cast<uint32_t>(shortBuf.size()), &ulShort, 0);
    if (ulShort > shortBuf.size())
        __builtin_trap();

    CString csRoot;
    info.TokenNameGet("\\", 0, csRoot);
    if (ulLoad == 0 && AllNamed(info.RootGet())) {
        CBupInfo again;
        if (again.BufferLoadFrom(saved.data(), static_cast<uint32_t>(saved.size())) != 0 ||
            XmlDump(again.RootGet()) != XmlDump(info.RootGet()) || Saved(again) != saved)
            __builtin_trap();

        // What the kernel adds when the user skips the BIOS comparison.
        CBupInfo copy = info;
        if (copy.TokenAdd(csRoot, 0, "Parameter", "", nullptr) == 0) {
            const std::string parent = csRoot.str() + "\\Parameter";
            std::vector<CString> children;
            copy.EnumSubNodes(csRoot, 0, children);
            const auto nParams = std::count(children.begin(), children.end(), CString("Parameter"));
            copy.TokenAdd(parent.c_str(), static_cast<uint32_t>(nParams - 1), "SkipBiosCompare", "1", nullptr);
        }
        copy.TokenRemove((csRoot.str() + "\\*").c_str(), 0);
        Saved(copy);
    }
    return 0;
}
