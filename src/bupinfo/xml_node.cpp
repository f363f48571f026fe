#include "bupinfo/xml_node.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

#include "support/opus_trace.h"
#include "support/win_error.h"

namespace {

// ASCII only: bytes above 127 never belong to a name, whatever the locale says.
bool IsNameStart(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u < 128 && (std::isalpha(u) || c == '_');
}

bool IsNameChar(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return u < 128 && (std::isalnum(u) || c == '_');
}

bool IsHexDigit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

uint32_t CopyOut(const CString& cs, char* pBuffer, unsigned int uSize, unsigned int* puLength) {
    if (!pBuffer && uSize)
        return ERROR_INVALID_PARAMETER;
    const size_t nLen = cs.str().size();
    if (puLength)
        *puLength = static_cast<unsigned int>(nLen);
    if (pBuffer ? nLen + 1 > uSize : nLen != 0)
        return ERROR_INSUFFICIENT_BUFFER;
    if (pBuffer)
        std::memcpy(pBuffer, cs.str().c_str(), nLen + 1);
    return ERROR_SUCCESS;
}

}  // namespace

// Read position of the parser; the line feed resets the column to 0 so that the
// character after it, once stepped over, is column 1.
struct CXmlNode::Cursor {
    const char* p;
    size_t n;
    int nLine;
    int nCol;

    void Advance() {
        ++p;
        --n;
        ++nCol;
    }
};

// Output of the writer, bounded by the buffer size.
struct CXmlNode::Sink {
    char* p;
    size_t nSize;
    size_t nPos;
    bool fShort;

    void Put(const char* psz, size_t nLen) {
        const size_t nFit = std::min(nLen, nSize - nPos);
        if (nFit)
            std::memcpy(p + nPos, psz, nFit);
        nPos += nFit;
        fShort = fShort || nFit < nLen;
    }
    void Put(const std::string& s) { Put(s.data(), s.size()); }
    void Put(const char* psz) { Put(psz, std::strlen(psz)); }
    void Blanks(int nCount) {
        const size_t nFit = std::min(static_cast<size_t>(std::max(nCount, 0)), nSize - nPos);
        std::memset(p + nPos, ' ', nFit);
        nPos += nFit;
        fShort = fShort || nFit < static_cast<size_t>(std::max(nCount, 0));
    }
};

CXmlNode::CXmlNode(CXmlNode* pParent, const char* pszName, const char* pszContent,
                   const AttributeMap* pAttributes)
    : m_csName(pszName), m_csContent(pszContent), m_pParent(pParent) {
    if (pAttributes)
        m_mapAttributes = *pAttributes;
}

CXmlNode::CXmlNode(const CXmlNode& other)
    : m_csName(other.m_csName),
      m_csContent(other.m_csContent),
      m_vChildren(other.m_vChildren),
      m_mapAttributes(other.m_mapAttributes),
      m_pParent(other.m_pParent) {
    RelinkChildren();
}

CXmlNode::CXmlNode(CXmlNode&& other) noexcept
    : m_csName(std::move(other.m_csName)),
      m_csContent(std::move(other.m_csContent)),
      m_vChildren(std::move(other.m_vChildren)),
      m_mapAttributes(std::move(other.m_mapAttributes)),
      m_pParent(other.m_pParent) {
    RelinkChildren();
}

// Both assignments go through a temporary: the source may live inside this tree.
CXmlNode& CXmlNode::operator=(const CXmlNode& other) {
    if (this != &other) {
        CXmlNode copy(other);
        *this = std::move(copy);
    }
    return *this;
}

CXmlNode& CXmlNode::operator=(CXmlNode&& other) noexcept {
    if (this != &other) {
        CXmlNode taken(std::move(other));
        std::swap(m_csName, taken.m_csName);
        std::swap(m_csContent, taken.m_csContent);
        m_vChildren.swap(taken.m_vChildren);
        m_mapAttributes.swap(taken.m_mapAttributes);
        m_pParent = taken.m_pParent;
        RelinkChildren();
    }
    return *this;
}

void CXmlNode::RelinkChildren() {
    for (CXmlNode& child : m_vChildren)
        if (child.m_pParent)
            child.m_pParent = this;
}

void CXmlNode::clear() {
    m_csName.Empty();
    m_csContent.Empty();
    m_vChildren.clear();
    m_mapAttributes.clear();
}

uint32_t CXmlNode::Parse(const char*& pText, size_t& nRemaining, int* pnLine, int* pnCol) {
    QM_TRACE_ENTER(3, "nRemaining=%zu", nRemaining);
    if (!pText && nRemaining) {
        clear();
        QM_TRACE_LEAVE(3, "ret=%u", ERROR_INVALID_PARAMETER);
        return ERROR_INVALID_PARAMETER;
    }
    Cursor cur{pText, nRemaining, pnLine ? *pnLine : 1, pnCol ? *pnCol : 1};
    const uint32_t ulRet = ParseElement(cur, 1);
    pText = cur.p;
    nRemaining = cur.n;
    if (pnLine)
        *pnLine = cur.nLine;
    if (pnCol)
        *pnCol = cur.nCol;
    QM_TRACE_LEAVE(3, "ret=%u, nLine=%d, nCol=%d", ulRet, cur.nLine, cur.nCol);
    return ulRet;
}

// nYacc: where in the element grammar; nLex: what the next character may be.
// 0 before the element, 10 in a tag before a name, 12 in a name, 20 content,
// 22 after "<" in content, 30 attributes, 40/42 attribute value, 50 closing tag,
// 60 after "/" of an empty element, 70..74 comment.
uint32_t CXmlNode::ParseElement(Cursor& cur, unsigned int uDepth) {
    clear();
    int nYacc = 0;
    int nLex = 0;
    std::string sName;
    std::string sText;
    Cursor open = cur;  // the "<" that may start a child

    for (; cur.n > 0; cur.Advance()) {
        const char c = *cur.p;
        if (c == '\n') {
            ++cur.nLine;
            cur.nCol = 0;
            continue;
        }
        if (c == '\r')
            continue;

        bool fError = false;
        switch (nLex) {
        case 0:
            if (c == '<')
                nYacc = nLex = 10;
            break;
        case 10:
            if (IsNameStart(c)) {
                sName.assign(1, c);
                nLex = 12;
            } else if (c == '!') {
                nLex = 70;
            } else if (c == '/' && nYacc == 30) {
                nYacc = nLex = 60;
            } else if (c == '>' && nYacc == 30) {
                nYacc = nLex = 20;
                sText.clear();
            } else if (c != ' ' && !(c == '/' && nYacc == 50)) {
                fError = true;
            }
            break;
        case 12:
            if (IsNameChar(c)) {
                sName += c;
            } else if (c == '>') {
                if (nYacc == 10) {
                    m_csName = sName;
                    nYacc = nLex = 20;
                    sText.clear();
                } else if (nYacc == 50 && sName == m_csName.str()) {
                    return ERROR_SUCCESS;
                } else {
                    fError = true;
                }
            } else if (c == ' ' && nYacc == 10) {
                m_csName = sName;
                nYacc = 30;
                nLex = 10;
            } else if (c == '=' && nYacc == 30) {
                nYacc = nLex = 40;
            } else if (c == '/' && nYacc == 10) {
                m_csName = sName;
                nYacc = nLex = 60;
            }
            // Anything else inside a name is dropped.
            break;
        case 20:
            if (c == '<') {
                open = cur;
                nLex = 22;
            } else {
                sText += c;
            }
            break;
        case 22:
            if (IsNameStart(c)) {
                if (uDepth >= kMaxParseDepth) {
                    QM_TRACE_INTERNAL(1, "Nesting too deep", "depth=%u", uDepth + 1);
                    fError = true;
                    break;
                }
                // The child reads its own tag from the "<" on; text before it is dropped.
                cur = open;
                sText.clear();
                CXmlNode child;
                const uint32_t ulRet = child.ParseElement(cur, uDepth + 1);
                if (ulRet != ERROR_SUCCESS)
                    return ulRet;
                m_vChildren.push_back(std::move(child));
                if (cur.n == 0)
                    return ERROR_SUCCESS;
                nLex = 20;
            } else if (c == '/') {
                if (m_vChildren.empty())
                    m_csContent = sText;
                nYacc = 50;
                nLex = 10;
            } else if (c == '!') {
                nLex = 70;
            } else {
                fError = true;
            }
            break;
        case 40:
            if (c == '"') {
                sText.clear();
                nLex = 42;
            } else {
                fError = true;
            }
            break;
        case 42:
            if (c == '"' && nYacc == 40) {
                m_mapAttributes.emplace(sName, sText);  // the first value wins
                sName.clear();
                sText.clear();
                nYacc = 30;
                nLex = 10;
            } else {
                sText += c;
            }
            break;
        case 60:
            if (c == '>' && nYacc == 60)
                return ERROR_SUCCESS;
            fError = true;
            break;
        case 70:
        case 71:
            if (c == '-')
                ++nLex;
            else
                fError = true;
            break;
        case 72:
            if (c == '-')
                nLex = 73;
            break;
        case 73:
            nLex = c == '-' ? 74 : 72;
            break;
        case 74:
            if (c != '>')
                nLex = 72;
            else if (nYacc == 10 || nYacc == 20)
                nLex = nYacc;
            else
                fError = true;
            break;
        default:
            fError = true;
            break;
        }
        if (fError) {
            QM_TRACE_INTERNAL(1, "Syntax error", "nYaccState=%d, nLexState=%d, nLine=%ld, nCol=%ld", nYacc,
                              nLex, static_cast<long>(cur.nLine), static_cast<long>(cur.nCol));
            return ERROR_BAD_FORMAT;
        }
    }
    return ERROR_SUCCESS;
}

uint32_t CXmlNode::NameGet(CString& csName) const {
    csName = m_csName;
    return ERROR_SUCCESS;
}

uint32_t CXmlNode::NameGet(char* pBuffer, unsigned int uSize, unsigned int* puLength) const {
    return CopyOut(m_csName, pBuffer, uSize, puLength);
}

uint32_t CXmlNode::NameSet(const char* pszName) {
    m_csName = pszName;
    return ERROR_SUCCESS;
}

uint32_t CXmlNode::ContentGet(CString& csContent) const {
    csContent = m_csContent;
    return ERROR_SUCCESS;
}

uint32_t CXmlNode::ContentGet(char* pBuffer, unsigned int uSize, unsigned int* puLength) const {
    return CopyOut(m_csContent, pBuffer, uSize, puLength);
}

uint32_t CXmlNode::ContentSet(const char* pszContent) {
    m_csContent = pszContent;
    m_csContent.FreeExtra();
    return ERROR_SUCCESS;
}

uint32_t CXmlNode::ContentSetAsBin(const uint8_t* pbData, unsigned int uCount) {
    if (!pbData && uCount)
        return ERROR_INVALID_PARAMETER;
    std::string sHex;
    sHex.reserve(size_t(uCount) * 3);
    char szByte[4];
    for (unsigned int i = 0; i < uCount; ++i) {
        std::snprintf(szByte, sizeof szByte, i ? " %2.2x" : "%2.2x", pbData[i]);
        sHex += szByte;
    }
    m_csContent = CString(std::move(sHex));
    return ERROR_SUCCESS;
}

uint32_t CXmlNode::ContentGetAsBin(uint8_t* pbBuffer, unsigned int uSize, unsigned int* puLength) const {
    if (!pbBuffer && uSize)
        return ERROR_INVALID_PARAMETER;
    const std::string& s = m_csContent.str();
    uint32_t ulRet = ERROR_SUCCESS;
    unsigned int uCount = 0;
    for (size_t i = 0; i + 1 < s.size();) {
        if (!IsHexDigit(s[i]) || !IsHexDigit(s[i + 1])) {
            ++i;
            continue;
        }
        uint8_t bValue = 0;
        std::from_chars(s.data() + i, s.data() + i + 2, bValue, 16);
        if (uCount < uSize)
            pbBuffer[uCount] = bValue;
        else
            ulRet = ERROR_INVALID_PARAMETER;
        ++uCount;
        i += 2;
    }
    if (puLength)
        *puLength = uCount;
    return ulRet;
}

std::vector<std::string_view> CXmlNode::PathComponents(const char* pszPath) {
    std::vector<std::string_view> parts;
    std::string_view rest(pszPath ? pszPath : "");
    while (!rest.empty()) {
        const size_t nEnd = std::min(rest.find('\\'), rest.size());
        if (nEnd)
            parts.push_back(rest.substr(0, nEnd));
        rest.remove_prefix(std::min(nEnd + 1, rest.size()));
    }
    return parts;
}

uint32_t CXmlNode::NodeFind(const char* pszPath, const CXmlNode** ppResult, unsigned int uLeafIndex) const {
    if (!pszPath || !ppResult)
        return ERROR_INVALID_PARAMETER;
    const std::vector<std::string_view> parts = PathComponents(pszPath);
    if (parts.empty()) {
        *ppResult = this;
        return ERROR_SUCCESS;
    }
    const CXmlNode* pNode = this;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        const auto it = std::find_if(pNode->m_vChildren.begin(), pNode->m_vChildren.end(),
                                     [&](const CXmlNode& child) { return child.m_csName.str() == parts[i]; });
        if (it == pNode->m_vChildren.end()) {
            QM_TRACE_INTERNAL(4, "not found", "path='%s', component=%zu", pszPath, i);
            return ERROR_NOT_FOUND;
        }
        pNode = &*it;
    }
    const std::string_view last = parts.back();
    unsigned int uMatch = 0;
    for (const CXmlNode& child : pNode->m_vChildren) {
        if ((last == "*" || child.m_csName.str() == last) && uMatch++ == uLeafIndex) {
            *ppResult = &child;
            return ERROR_SUCCESS;
        }
    }
    QM_TRACE_INTERNAL(4, "not found", "path='%s', index=%u, matches=%u", pszPath, uLeafIndex, uMatch);
    return ERROR_NOT_FOUND;
}

uint32_t CXmlNode::NodeFind(const char* pszPath, CXmlNode** ppResult, unsigned int uLeafIndex) {
    if (!ppResult)
        return ERROR_INVALID_PARAMETER;
    const CXmlNode* pFound = nullptr;
    const uint32_t ulRet = static_cast<const CXmlNode*>(this)->NodeFind(pszPath, &pFound, uLeafIndex);
    if (ulRet == ERROR_SUCCESS)
        *ppResult = const_cast<CXmlNode*>(pFound);  // found below a non-const this
    return ulRet;
}

uint32_t CXmlNode::NodeAdd(const char* pszName, const char* pszContent, const AttributeMap* pAttributes) {
    m_vChildren.emplace_back(this, pszName, pszContent, pAttributes);
    RelinkChildren();
    return ERROR_SUCCESS;
}

uint32_t CXmlNode::NodeRemove(const char* pszName, unsigned int uIndex) {
    if (!pszName)
        return ERROR_INVALID_PARAMETER;
    unsigned int uMatch = 0;
    for (auto it = m_vChildren.begin(); it != m_vChildren.end(); ++it) {
        if (it->m_csName == pszName && uMatch++ == uIndex) {
            m_vChildren.erase(it);
            RelinkChildren();
            return ERROR_SUCCESS;
        }
    }
    return ERROR_NOT_FOUND;
}

unsigned int CXmlNode::LengthGet(int nIndent, bool fRecursive) const {
    const size_t nIndentBlanks = static_cast<size_t>(std::max(nIndent, 0));
    // Content counts even where children replace it: the promise may exceed the text.
    size_t nLen = nIndentBlanks + 2 * (m_csName.str().size() + 2) + 3 + m_csContent.str().size();
    for (const auto& attr : m_mapAttributes)
        nLen += 4 + attr.first.str().size() + attr.second.str().size();
    if (fRecursive && !m_vChildren.empty()) {
        nLen += nIndentBlanks + 2;
        for (const CXmlNode& child : m_vChildren)
            nLen += child.LengthGet(nIndent + 3, true);
    }
    return static_cast<unsigned int>(nLen);
}

uint32_t CXmlNode::BufferSaveTo(bool fRecursive, char* pBuffer, uint32_t ulSize, uint32_t* pulLength,
                                int nIndent) const {
    if (pulLength)
        *pulLength = 0;
    if (!pBuffer)
        return ulSize ? ERROR_INVALID_USER_BUFFER : ERROR_SUCCESS;
    Sink sink{pBuffer, ulSize, 0, false};
    Write(sink, fRecursive, nIndent);
    if (pulLength)
        *pulLength = static_cast<uint32_t>(sink.nPos);
    if (sink.fShort) {
        QM_TRACE_INTERNAL(1, "buffer too small", "size=%u, needed=%u", ulSize, LengthGet(nIndent, fRecursive));
        return ERROR_INSUFFICIENT_BUFFER;
    }
    return ERROR_SUCCESS;
}

void CXmlNode::Write(Sink& sink, bool fRecursive, int nIndent) const {
    sink.Blanks(nIndent);
    sink.Put("<");
    sink.Put(m_csName.str());
    for (const auto& attr : m_mapAttributes) {
        sink.Put(" ");
        sink.Put(attr.first.str());
        sink.Put("=\"");
        sink.Put(attr.second.str());
        sink.Put("\"");
    }
    sink.Put(">");
    if (fRecursive && !m_vChildren.empty()) {
        sink.Put("\r\n");
        for (const CXmlNode& child : m_vChildren)
            child.Write(sink, true, nIndent + 3);
        sink.Blanks(nIndent);
    } else {
        sink.Put(m_csContent.str());
    }
    sink.Put("</");
    sink.Put(m_csName.str());
    sink.Put(">\r\n");
}
