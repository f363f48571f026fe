// The reader for package descriptions (BupInfo2.xml).
//
// It reads the kernel's dialect, character for character, so that a package
// the board judges is the package the kernel dates and chains: a document is
// refused exactly when the kernel refuses it, and every text is what the
// kernel reads. That dialect is small and lenient in its own way:
// - everything before the first "<" is skipped, everything after the root's
//   final ">" is not read, and input that ends inside an element is taken
//   with what was read up to there (so an empty document gives a nameless root);
// - CR and LF are dropped wherever they stand, in names and values too;
// - names start with an ASCII letter or "_" and go on with letters, digits
//   and "_"; other characters inside a name are dropped; end tags must repeat
//   the name exactly, case included;
// - attribute values are double-quoted, right after the "=", taken as
//   written; a repeated attribute keeps its first value;
// - text is kept byte for byte, entities and all, and only for an element
//   without children;
// - comments may stand before the root's name and in content; any other
//   "<!" (CDATA, a document type) or "<?" (the XML declaration) is refused;
// - elements nest at most kMaxDepth deep.
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
    std::vector<std::pair<std::string, std::string>> attributes;  // in document order, names unique
    std::string text;  // empty for an element with children
    std::vector<XmlElement> children;

    // The first child of that name (case-sensitive), or null.
    const XmlElement* Child(std::string_view child_name) const;
    // Every child of that name, in document order.
    std::vector<const XmlElement*> Children(std::string_view child_name) const;
    // The attribute's value, or null.
    const std::string* Attribute(std::string_view attribute_name) const;
};

// The root is level 1; the kernel refuses a document that nests deeper.
constexpr int kMaxDepth = 256;

// Reads a document into root. Returns false for what the kernel refuses (why,
// when given, says what and where); what root then holds is not to be relied
// on. The input is never read beyond size and need not end in a NUL.
bool ParseXml(const uint8_t* data, size_t size, XmlElement& root, std::string* why = nullptr);

}  // namespace qmxsim
