// A reader for the package description dialect the kernel reads
// (BupInfo2.xml), so that this module takes the documents the kernel takes:
// leading bytes before the first "<" skipped, CR and LF dropped everywhere,
// names of ASCII letters, digits and "_" (other characters inside a name
// dropped), double-quoted attributes, text taken byte for byte without
// entities, comments, no declaration, CDATA or document type, a document cut
// short taken as read so far, at most 256 levels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qmxefi {

struct XmlNode {
    std::string name;
    std::string text;  // empty for a node with children
    std::vector<XmlNode> children;

    // Every child of that name (case-sensitive), in document order.
    std::vector<const XmlNode*> All(std::string_view child) const;
};

constexpr int kMaxXmlDepth = 256;

// False for a document the kernel refuses; why says what.
bool ReadXml(const uint8_t* data, size_t size, XmlNode& root, std::string* why = nullptr);

}  // namespace qmxefi
