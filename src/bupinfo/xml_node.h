// CXmlNode: one element of the small XML tree that update package descriptions use.
// Reads nested elements, double-quoted attributes and text; no declarations, entities,
// escaping or namespaces. Results are Windows error code numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string_view>
#include <vector>

#include "support/string_type.h"

class CXmlNode {
public:
    using AttributeMap = std::map<CString, CString>;

    // Elements nested deeper than this make Parse fail with 11, so that neither the
    // parser nor the recursive copy, write and destruction can exhaust the stack.
    static constexpr unsigned int kMaxParseDepth = 256;

    CXmlNode() = default;
    // Any argument may be null.
    CXmlNode(CXmlNode* pParent, const char* pszName, const char* pszContent,
             const AttributeMap* pAttributes);
    // Copies and moves take the source's own parent link and point the children's
    // links at the new holder.
    CXmlNode(const CXmlNode& other);
    CXmlNode(CXmlNode&& other) noexcept;
    CXmlNode& operator=(const CXmlNode& other);
    CXmlNode& operator=(CXmlNode&& other) noexcept;
    virtual ~CXmlNode() = default;

    // Empties name, content, children and attributes; the parent link stays.
    void clear();

    // Replaces this node by the element at pText, reading at most nRemaining bytes.
    // On 0 pText is left on the element's final ">" (or at the end of the input);
    // on 11 at the offending character. Line and column start at *pnLine and *pnCol,
    // or 1 where null, and are written back in every case.
    uint32_t Parse(const char*& pText, size_t& nRemaining, int* pnLine, int* pnCol);

    // Copy-out into a buffer: a null buffer with size 0 asks for the length (122
    // when the text is not empty); a too small buffer gives 122 and copies nothing.
    uint32_t NameGet(CString& csName) const;
    uint32_t NameGet(char* pBuffer, unsigned int uSize, unsigned int* puLength) const;
    uint32_t NameSet(const char* pszName);
    unsigned int NameLengthGet() const { return static_cast<unsigned int>(m_csName.GetLength()); }

    uint32_t ContentGet(CString& csContent) const;
    uint32_t ContentGet(char* pBuffer, unsigned int uSize, unsigned int* puLength) const;
    uint32_t ContentSet(const char* pszContent);
    unsigned int ContentLengthGet() const { return static_cast<unsigned int>(m_csContent.GetLength()); }

    // Hexadecimal content: bytes as "01 ab". A count of 0 empties the content.
    uint32_t ContentSetAsBin(const uint8_t* pbData, unsigned int uCount);
    // *puLength receives the number of byte pairs in the content, even those that did
    // not fit (result 87 then); a null buffer with size 0 measures.
    uint32_t ContentGetAsBin(uint8_t* pbBuffer, unsigned int uSize, unsigned int* puLength) const;

    void AttributesGet(AttributeMap& attributes) const { attributes = m_mapAttributes; }
    void AttributesSet(const AttributeMap& attributes) { m_mapAttributes = attributes; }

    // Non-empty components of a path split at "\\".
    static std::vector<std::string_view> PathComponents(const char* pszPath);
    // Path of child names split at "\\"; the last component picks the uLeafIndex-th
    // match, "*" matching any name. No components: this node.
    uint32_t NodeFind(const char* pszPath, CXmlNode** ppResult, unsigned int uLeafIndex);
    uint32_t NodeFind(const char* pszPath, const CXmlNode** ppResult, unsigned int uLeafIndex) const;

    uint32_t NodeAdd(const char* pszName, const char* pszContent, const AttributeMap* pAttributes);
    // Removes the uIndex-th child named exactly pszName.
    uint32_t NodeRemove(const char* pszName, unsigned int uIndex);

    CXmlNode* ParentGet() const { return m_pParent; }
    const std::vector<CXmlNode>& ChildrenGet() const { return m_vChildren; }

    // Bytes BufferSaveTo needs at this indent; never less than it writes.
    unsigned int LengthGet(int nIndent, bool fRecursive) const;
    // Writes the element as text without a terminating NUL; *pulLength gets the bytes
    // written. Null buffer: 1784 for a non-zero size, else nothing written. The caller
    // sizes the buffer with LengthGet; a buffer that is still too small is filled up to
    // its size and gives 122.
    uint32_t BufferSaveTo(bool fRecursive, char* pBuffer, uint32_t ulSize, uint32_t* pulLength,
                          int nIndent) const;

private:
    struct Cursor;
    struct Sink;

    uint32_t ParseElement(Cursor& cur, unsigned int uDepth);
    void Write(Sink& sink, bool fRecursive, int nIndent) const;
    // Points every child that has a parent link at this node.
    void RelinkChildren();

    CString m_csName;
    CString m_csContent;
    std::vector<CXmlNode> m_vChildren;
    AttributeMap m_mapAttributes;
    CXmlNode* m_pParent = nullptr;
};
