#include "bupinfo/bup_info.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "support/opus_trace.h"
#include "support/win_error.h"

namespace {

struct FileCloser {
    void operator()(FILE* pFile) const { std::fclose(pFile); }
};

// Digits only: no sign, no blanks.
bool DecimalGet(const std::string& s, size_t nPos, size_t nLen, int& nValue) {
    const char* pBegin = s.data() + nPos;
    const char* pEnd = pBegin + nLen;
    if (!std::all_of(pBegin, pEnd, [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }))
        return false;
    return std::from_chars(pBegin, pEnd, nValue).ptr == pEnd;
}

}  // namespace

uint32_t CBupInfo::BufferLoadFrom(const char* pszText, uint32_t ulLength) {
    QM_TRACE_ENTER(3, "ulLength=%u", ulLength);
    const char* p = pszText;
    size_t nRemaining = ulLength;
    int nLine = 0;
    int nCol = 0;
    const uint32_t ulRet = m_oRoot.Parse(p, nRemaining, &nLine, &nCol);
    if (ulRet != ERROR_SUCCESS)
        QM_TRACE_INTERNAL(1, "m_oRoot.Parse failed", "nLine=%d, nCol=%d", nLine, nCol);
    QM_TRACE_LEAVE(3, "ret=%u", ulRet);
    return ulRet;
}

uint32_t CBupInfo::BufferSaveTo(char* pBuffer, uint32_t ulSize, uint32_t* pulLength) const {
    QM_TRACE_ENTER(3, "pBuffer=%p, ulSize=%u", static_cast<void*>(pBuffer), ulSize);
    if (!pBuffer && ulSize) {
        QM_TRACE_INTERNAL(2, "ERROR_INVALID_USER_BUFFER", "ulSize=%u", ulSize);
        if (pulLength)
            *pulLength = 0;
        QM_TRACE_LEAVE(3, "ret=%u", ERROR_INVALID_USER_BUFFER);
        return ERROR_INVALID_USER_BUFFER;
    }
    const uint32_t ulNeeded = m_oRoot.LengthGet(0, true);
    if (pulLength)
        *pulLength = ulNeeded;
    if (ulSize < ulNeeded) {
        QM_TRACE_INTERNAL(2, "ERROR_INSUFFICIENT_BUFFER", "ulSize=%u, ulNeeded=%u", ulSize, ulNeeded);
        QM_TRACE_LEAVE(3, "ret=%u, ulNeeded=%u", ERROR_INSUFFICIENT_BUFFER, ulNeeded);
        return ERROR_INSUFFICIENT_BUFFER;
    }
    uint32_t ulWritten = 0;
    const uint32_t ulRet = m_oRoot.BufferSaveTo(true, pBuffer, ulSize, &ulWritten, 0);
    // The length promised may exceed the text (content beside children); callers take
    // the promised length as the text, so the gap is blanks rather than leftovers.
    std::fill(pBuffer + ulWritten, pBuffer + ulNeeded, ' ');
    QM_TRACE_LEAVE(3, "ret=%u, ulNeeded=%u, ulWritten=%u", ulRet, ulNeeded, ulWritten);
    return ulRet;
}

uint32_t CBupInfo::LoadText(const std::vector<char>& text) {
    const uint32_t ulRet = BufferLoadFrom(text.data(), static_cast<uint32_t>(text.size()));
    if (ulRet != ERROR_SUCCESS)
        QM_TRACE_INTERNAL(1, "Error loading BupInfo tree", "err=0x%x", ulRet);
    return ulRet;
}

uint32_t CBupInfo::FileLoadFrom(FILE* pFile) {
    if (!pFile)
        return ERROR_INVALID_PARAMETER;
    std::vector<char> text;
    char chunk[4096];
    size_t nRead = 0;
    while ((nRead = std::fread(chunk, 1, sizeof chunk, pFile)) > 0)
        text.insert(text.end(), chunk, chunk + nRead);
    if (std::ferror(pFile)) {
        QM_TRACE_INTERNAL(1, "Error reading", "file=%p", static_cast<void*>(pFile));
        return ERROR_READ_FAULT;
    }
    return LoadText(text);
}

uint32_t CBupInfo::FileLoadFrom(const char* pszPath) {
    QM_TRACE_ENTER(3, "pszPath='%s'", pszPath ? pszPath : "(null)");
    if (!pszPath)
        return ERROR_INVALID_PARAMETER;
    std::unique_ptr<FILE, FileCloser> file(std::fopen(pszPath, "rb"));
    if (!file) {
        QM_TRACE_INTERNAL(1, "Could not open file", "name='%s'", pszPath);
        QM_TRACE_LEAVE(3, "ret=%u", ERROR_NOT_FOUND);
        return ERROR_NOT_FOUND;
    }
    long lSize = -1;
    if (std::fseek(file.get(), 0, SEEK_END) == 0)
        lSize = std::ftell(file.get());
    std::vector<char> text(static_cast<size_t>(std::max(lSize, 0L)));
    if (lSize < 0 || std::fseek(file.get(), 0, SEEK_SET) != 0 ||
        std::fread(text.data(), 1, text.size(), file.get()) != text.size()) {
        QM_TRACE_INTERNAL(1, "Error reading file", "name='%s'", pszPath);
        QM_TRACE_LEAVE(3, "ret=%u", ERROR_READ_FAULT);
        return ERROR_READ_FAULT;
    }
    const uint32_t ulRet = LoadText(text);
    QM_TRACE_LEAVE(3, "ret=%u", ulRet);
    return ulRet;
}

uint32_t CBupInfo::FileSaveTo(FILE* pFile) const {
    if (!pFile)
        return ERROR_INVALID_PARAMETER;
    uint32_t ulSize = 0;
    BufferSaveTo(nullptr, 0, &ulSize);
    QM_TRACE_INTERNAL(4, "Got the required size for the XML file to save.", "size=%u", ulSize);
    std::vector<char> text(ulSize);
    const uint32_t ulRet = BufferSaveTo(text.data(), ulSize, &ulSize);
    if (ulRet != ERROR_SUCCESS)
        return ulRet;
    if (std::fwrite(text.data(), 1, text.size(), pFile) != text.size())
        return ERROR_WRITE_FAULT;
    return ERROR_SUCCESS;
}

uint32_t CBupInfo::FileSaveTo(const char* pszPath) const {
    QM_TRACE_ENTER(3, "pszPath='%s'", pszPath ? pszPath : "(null)");
    if (!pszPath)
        return ERROR_INVALID_PARAMETER;
    FILE* pFile = std::fopen(pszPath, "wb");
    uint32_t ulRet = pFile ? FileSaveTo(pFile) : ERROR_WRITE_FAULT;
    if (pFile && std::fclose(pFile) != 0 && ulRet == ERROR_SUCCESS)
        ulRet = ERROR_WRITE_FAULT;
    if (ulRet != ERROR_SUCCESS) {
        const int nErr = errno;
        QM_TRACE_INTERNAL(1, "Could not write file", "name='%s', errno=%d '%s'", pszPath, nErr,
                          std::strerror(nErr));
    }
    QM_TRACE_LEAVE(3, "ret=%u", ulRet);
    return ulRet;
}

uint32_t CBupInfo::Resolve(const char* pszPath, uint32_t ulIndex, const CXmlNode** ppNode,
                           const CXmlNode** ppParent) const {
    if (!pszPath || !ppNode)
        return ERROR_INVALID_PARAMETER;
    const std::vector<std::string_view> parts = CXmlNode::PathComponents(pszPath);
    if (parts.empty()) {
        if (std::strcmp(pszPath, "\\") != 0 || ulIndex != 0)
            return ERROR_INVALID_PARAMETER;
        *ppNode = &m_oRoot;
        if (ppParent)
            *ppParent = nullptr;
        return ERROR_SUCCESS;
    }
    CString csRoot;
    m_oRoot.NameGet(csRoot);
    if (parts[0] != csRoot.str()) {
        QM_TRACE_INTERNAL(4, "not below the root", "path='%s', root='%s'", pszPath, csRoot.c_str());
        return ERROR_NOT_FOUND;
    }
    if (parts.size() == 1) {
        *ppNode = &m_oRoot;
        if (ppParent)
            *ppParent = nullptr;
        return ERROR_SUCCESS;
    }
    // Inner components take the first child of that name; the last one is the node's
    // own lookup with the index.
    const CXmlNode* pParent = &m_oRoot;
    for (size_t i = 1; i + 1 < parts.size(); ++i) {
        const std::vector<CXmlNode>& children = pParent->ChildrenGet();
        const auto it = std::find_if(children.begin(), children.end(), [&](const CXmlNode& child) {
            CString csName;
            child.NameGet(csName);
            return csName.str() == parts[i];
        });
        if (it == children.end())
            return ERROR_NOT_FOUND;
        pParent = &*it;
    }
    const std::string sLast(parts.back());
    const uint32_t ulRet = pParent->NodeFind(sLast.c_str(), ppNode, ulIndex);
    if (ulRet == ERROR_SUCCESS && ppParent)
        *ppParent = pParent;
    return ulRet;
}

uint32_t CBupInfo::NodeFind(const char* pszPath, uint32_t ulIndex, const CXmlNode** ppNode) const {
    return Resolve(pszPath, ulIndex, ppNode, nullptr);
}

uint32_t CBupInfo::NodeFind(const char* pszPath, uint32_t ulIndex, CXmlNode** ppNode) {
    if (!ppNode)
        return ERROR_INVALID_PARAMETER;
    const CXmlNode* pFound = nullptr;
    const uint32_t ulRet = Resolve(pszPath, ulIndex, &pFound, nullptr);
    if (ulRet == ERROR_SUCCESS)
        *ppNode = const_cast<CXmlNode*>(pFound);  // part of this non-const document
    return ulRet;
}

uint32_t CBupInfo::TokenAdd(const char* pszParentPath, uint32_t ulIndex, const char* pszName,
                            const char* pszContent, const CXmlNode::AttributeMap* pAttributes) {
    QM_TRACE_ENTER(3, "pszParentPath='%s', ulIndex=%u, pszName='%s'", pszParentPath ? pszParentPath : "(null)",
                   ulIndex, pszName ? pszName : "(null)");
    CXmlNode* pParent = nullptr;
    uint32_t ulRet = NodeFind(pszParentPath, ulIndex, &pParent);
    if (ulRet == ERROR_SUCCESS)
        ulRet = pParent->NodeAdd(pszName, pszContent, pAttributes);
    QM_TRACE_LEAVE(3, "ret=%u", ulRet);
    return ulRet;
}

uint32_t CBupInfo::TokenRemove(const char* pszPath, uint32_t ulIndex) {
    const CXmlNode* pNode = nullptr;
    const CXmlNode* pParent = nullptr;
    const uint32_t ulRet = Resolve(pszPath, ulIndex, &pNode, &pParent);
    if (ulRet != ERROR_SUCCESS)
        return ulRet;
    if (!pParent)
        return ERROR_INVALID_PARAMETER;
    // The node's place among its same-named siblings, as NodeRemove counts.
    CString csName;
    pNode->NameGet(csName);
    unsigned int uSameName = 0;
    for (const CXmlNode& child : pParent->ChildrenGet()) {
        if (&child == pNode)
            break;
        CString csOther;
        child.NameGet(csOther);
        uSameName += csOther == csName;
    }
    return const_cast<CXmlNode*>(pParent)->NodeRemove(csName, uSameName);
}

uint32_t CBupInfo::TokenNameGet(const char* pszPath, uint32_t ulIndex, CString& csName) const {
    const CXmlNode* pNode = nullptr;
    const uint32_t ulRet = NodeFind(pszPath, ulIndex, &pNode);
    return ulRet == ERROR_SUCCESS ? pNode->NameGet(csName) : ulRet;
}

uint32_t CBupInfo::TokenNameGet(const char* pszPath, uint32_t ulIndex, char* pBuffer, unsigned int uSize,
                                unsigned int* puLength) const {
    const CXmlNode* pNode = nullptr;
    const uint32_t ulRet = NodeFind(pszPath, ulIndex, &pNode);
    return ulRet == ERROR_SUCCESS ? pNode->NameGet(pBuffer, uSize, puLength) : ulRet;
}

uint32_t CBupInfo::TokenNameSet(const char* pszPath, uint32_t ulIndex, const char* pszName) {
    CXmlNode* pNode = nullptr;
    const uint32_t ulRet = NodeFind(pszPath, ulIndex, &pNode);
    return ulRet == ERROR_SUCCESS ? pNode->NameSet(pszName) : ulRet;
}

uint32_t CBupInfo::TokenContentGet(const char* pszPath, uint32_t ulIndex, CString& csContent) const {
    const CXmlNode* pNode = nullptr;
    uint32_t ulRet = NodeFind(pszPath, ulIndex, &pNode);
    if (ulRet == ERROR_SUCCESS)
        ulRet = pNode->ContentGet(csContent);
    if (ulRet != ERROR_SUCCESS)
        csContent.Empty();
    return ulRet;
}

uint32_t CBupInfo::TokenContentGet(const char* pszPath, uint32_t ulIndex, char* pBuffer, unsigned int uSize,
                                   unsigned int* puLength) const {
    const CXmlNode* pNode = nullptr;
    const uint32_t ulRet = NodeFind(pszPath, ulIndex, &pNode);
    return ulRet == ERROR_SUCCESS ? pNode->ContentGet(pBuffer, uSize, puLength) : ulRet;
}

uint32_t CBupInfo::TokenContentGet(const char* pszPath, uint32_t ulIndex, CTime& time) const {
    CString csDate;
    const uint32_t ulRet = TokenContentGet(pszPath, ulIndex, csDate);
    if (ulRet != ERROR_SUCCESS)
        return ulRet;
    const std::string& s = csDate.str();
    int nMonth = 0;
    int nDay = 0;
    int nYear = 0;
    if (s.size() != 10 || s[2] != '-' || s[5] != '-' || !DecimalGet(s, 0, 2, nMonth) || !DecimalGet(s, 3, 2, nDay) ||
        !DecimalGet(s, 6, 4, nYear) || nMonth < 1 || nMonth > 12 || nDay < 1 || nDay > 32) {
        QM_TRACE_INTERNAL(2, "not a date", "path='%s', content='%s'", pszPath, csDate.c_str());
        return ERROR_BAD_FORMAT;
    }
    // Day 32 is let through; the local time conversion carries it into the next month.
    time = CTime(nYear, nMonth, nDay, 0, 0, 0);
    return ERROR_SUCCESS;
}

uint32_t CBupInfo::TokenContentSet(const char* pszPath, uint32_t ulIndex, const char* pszContent) {
    CXmlNode* pNode = nullptr;
    const uint32_t ulRet = NodeFind(pszPath, ulIndex, &pNode);
    return ulRet == ERROR_SUCCESS ? pNode->ContentSet(pszContent) : ulRet;
}

uint32_t CBupInfo::TokenAttributesGet(const char* pszPath, uint32_t ulIndex,
                                      CXmlNode::AttributeMap& attributes) const {
    const CXmlNode* pNode = nullptr;
    const uint32_t ulRet = NodeFind(pszPath, ulIndex, &pNode);
    if (ulRet == ERROR_SUCCESS)
        pNode->AttributesGet(attributes);
    return ulRet;
}

uint32_t CBupInfo::TokenContentSetAsBin(const char* pszPath, uint32_t ulIndex, const uint8_t* pbData,
                                        unsigned int uCount) {
    CXmlNode* pNode = nullptr;
    const uint32_t ulRet = NodeFind(pszPath, ulIndex, &pNode);
    return ulRet == ERROR_SUCCESS ? pNode->ContentSetAsBin(pbData, uCount) : ulRet;
}

uint32_t CBupInfo::TokenContentGetAsBin(const char* pszPath, uint32_t ulIndex, uint8_t* pbBuffer,
                                        unsigned int uSize, unsigned int* puLength) const {
    const CXmlNode* pNode = nullptr;
    const uint32_t ulRet = NodeFind(pszPath, ulIndex, &pNode);
    return ulRet == ERROR_SUCCESS ? pNode->ContentGetAsBin(pbBuffer, uSize, puLength) : ulRet;
}

uint32_t CBupInfo::EnumSubNodes(const char* pszPath, uint32_t ulIndex, std::vector<CString>& names) const {
    const CXmlNode* pNode = nullptr;
    const uint32_t ulRet = NodeFind(pszPath, ulIndex, &pNode);
    if (ulRet != ERROR_SUCCESS)
        return ulRet;
    names.clear();
    for (const CXmlNode& child : pNode->ChildrenGet()) {
        CString csName;
        child.NameGet(csName);
        names.push_back(csName);
    }
    return ERROR_SUCCESS;
}
