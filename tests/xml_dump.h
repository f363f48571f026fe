// One-line dumps of a parsed tree, from the kernel's reader and from the board
// module's, in one form, so tests and fuzz targets can compare the two readers.
#pragma once

#include <algorithm>
#include <string>

#include "bupinfo/xml_node.h"
#include "qmxsim/bup_document.h"

// Names, attributes, texts and children of a whole tree, in one line.
inline std::string XmlDump(const CXmlNode& node) {
    CString cs;
    node.NameGet(cs);
    std::string out = cs.str() + "{";
    CXmlNode::AttributeMap attributes;
    node.AttributesGet(attributes);
    for (const auto& [key, value] : attributes)
        out += key.str() + "=" + value.str() + ";";
    node.ContentGet(cs);
    out += "}(" + cs.str() + ")[";
    for (const CXmlNode& child : node.ChildrenGet())
        out += XmlDump(child);
    return out + "]";
}

inline std::string XmlDump(const qmxsim::XmlElement& e) {
    std::string out = e.name + "{";
    // In the kernel's order, repeated names left in.
    auto attributes = e.attributes;
    std::stable_sort(attributes.begin(), attributes.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [key, value] : attributes)
        out += key + "=" + value + ";";
    out += "}(" + e.text + ")[";
    for (const qmxsim::XmlElement& child : e.children)
        out += XmlDump(child);
    return out + "]";
}
