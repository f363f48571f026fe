// CBupInfo: the BupInfo2.xml description of an update package as an XML tree.
// Elements are addressed by token paths such as "bupinfo2\\packtype": the first
// component names the root, the rest is resolved by CXmlNode::NodeFind with the
// index picking among same-named leaves; "\\" alone with index 0 is the root.
// Results are Windows error code numbers.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "bupinfo/xml_node.h"
#include "support/string_type.h"
#include "support/time_type.h"

class CBupInfo {
public:
    CBupInfo() = default;
    CBupInfo(const CBupInfo&) = default;
    CBupInfo(CBupInfo&&) = default;
    CBupInfo& operator=(const CBupInfo&) = default;
    CBupInfo& operator=(CBupInfo&&) = default;
    virtual ~CBupInfo() = default;

    // The parser's status: 0 or 11; a tree read up to an error stays.
    uint32_t BufferLoadFrom(const char* pszText, uint32_t ulLength);
    // Null buffer and size 0 is a size query: 122 and the length. *pulLength always gets
    // the size the whole text needs; the text carries no terminating NUL.
    uint32_t BufferSaveTo(char* pBuffer, uint32_t ulSize, uint32_t* pulLength) const;

    // From the current position to the end of the file.
    uint32_t FileLoadFrom(FILE* pFile);
    uint32_t FileLoadFrom(const char* pszPath);
    uint32_t FileSaveTo(FILE* pFile) const;
    uint32_t FileSaveTo(const char* pszPath) const;

    uint32_t NodeFind(const char* pszPath, uint32_t ulIndex, CXmlNode** ppNode);
    uint32_t NodeFind(const char* pszPath, uint32_t ulIndex, const CXmlNode** ppNode) const;

    // Appends a child to the element at the parent path.
    uint32_t TokenAdd(const char* pszParentPath, uint32_t ulIndex, const char* pszName,
                      const char* pszContent, const CXmlNode::AttributeMap* pAttributes);
    // The root has no parent to be removed from: 87.
    uint32_t TokenRemove(const char* pszPath, uint32_t ulIndex);

    uint32_t TokenNameGet(const char* pszPath, uint32_t ulIndex, CString& csName) const;
    uint32_t TokenNameGet(const char* pszPath, uint32_t ulIndex, char* pBuffer, unsigned int uSize,
                          unsigned int* puLength) const;
    uint32_t TokenNameSet(const char* pszPath, uint32_t ulIndex, const char* pszName);

    // Empties the string on any failure.
    uint32_t TokenContentGet(const char* pszPath, uint32_t ulIndex, CString& csContent) const;
    uint32_t TokenContentGet(const char* pszPath, uint32_t ulIndex, char* pBuffer, unsigned int uSize,
                             unsigned int* puLength) const;
    // A date "MM-DD-YYYY" as local midnight; 11 for any other form, time unchanged.
    uint32_t TokenContentGet(const char* pszPath, uint32_t ulIndex, CTime& time) const;
    uint32_t TokenContentSet(const char* pszPath, uint32_t ulIndex, const char* pszContent);

    uint32_t TokenAttributesGet(const char* pszPath, uint32_t ulIndex, CXmlNode::AttributeMap& attributes) const;

    uint32_t TokenContentSetAsBin(const char* pszPath, uint32_t ulIndex, const uint8_t* pbData, unsigned int uCount);
    uint32_t TokenContentGetAsBin(const char* pszPath, uint32_t ulIndex, uint8_t* pbBuffer, unsigned int uSize,
                                  unsigned int* puLength) const;

    // Names of the children of the element found, in document order.
    uint32_t EnumSubNodes(const char* pszPath, uint32_t ulIndex, std::vector<CString>& names) const;

    const CXmlNode& RootGet() const { return m_oRoot; }

private:
    // Finds the element and, unless it is the root, the element holding it.
    uint32_t Resolve(const char* pszPath, uint32_t ulIndex, const CXmlNode** ppNode,
                     const CXmlNode** ppParent) const;
    uint32_t LoadText(const std::vector<char>& text);

    CXmlNode m_oRoot;
};
