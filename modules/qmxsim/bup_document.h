// A small XML reader for package descriptions (BupInfo2.xml).
//
// It takes the subset such a description needs: elements, attributes in
// single or double quotes, character data with the five named entities and
// numeric character references, CDATA sections, comments, and processing
// instructions (an XML declaration included) outside the root. A document
// type declaration is refused, so no entity can expand. The input is a
// pointer and a length, never read beyond that length and not expected to
// end in a NUL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qmxsim {

struct XmlElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;  // in document order
    std::string text;  // all character data directly inside, entities decoded, line ends as "\n"
    std::vector<XmlElement> children;

    // The first child of that name (case-sensitive), or null.
    const XmlElement* Child(std::string_view child_name) const;
    // Every child of that name, in document order.
    std::vector<const XmlElement*> Children(std::string_view child_name) const;
    // The attribute's value, or null.
    const std::string* Attribute(std::string_view attribute_name) const;
};

// Larger documents are refused: a package description is a few kilobytes.
constexpr size_t kMaxDocumentSize = 1u << 20;
// Deeper nesting is refused, so hostile input cannot exhaust the stack.
constexpr int kMaxDepth = 32;

// Reads a whole document into root. Returns false for anything that is not a
// well-formed document of the subset (why, when given, says what and where);
// what root then holds is not to be relied on.
bool ParseXml(const uint8_t* data, size_t size, XmlElement& root, std::string* why = nullptr);

}  // namespace qmxsim
