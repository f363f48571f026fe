// The package description reader on its own: XML subset and versions.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "bup_document.h"
#include "bup_package.h"

namespace {

using qmxsim::BiosVersion;
using qmxsim::ParseXml;
using qmxsim::XmlElement;

// Parses a copy of exactly the text's size on the heap, so a read past the
// end is caught by ASan.
bool Parse(const std::string& text, XmlElement& root, std::string* why = nullptr) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    return ParseXml(bytes.data(), bytes.size(), root, why);
}

const std::string kTricky =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<!-- lead -->\r\n"
    "<bupinfo2 a='1' b = \"x &amp;\r\n y\">\r\n"
    "  <packtype>BIOS</packtype><!-- between <b>not</b> -->\r\n"
    "  <board>A\r\nB\rC</board>\r\n"
    "  <x><y><z>deep</z></y></x>\r\n"
    "  <t>&lt;&#65;&#x42;&gt;<![CDATA[<raw & ]]>\xC3\xA9</t>\r\n"
    "  <e/><e  /><?pi data?>\r\n"
    "</bupinfo2 >\r\n"
    "<!-- trailing -->\r\n";

TEST(BupDocument, ReadsTheSubsetAPackageUses) {
    XmlElement root;
    std::string why;
    ASSERT_TRUE(Parse(kTricky, root, &why)) << why;
    EXPECT_EQ(root.name, "bupinfo2");
    ASSERT_EQ(root.attributes.size(), 2u);
    EXPECT_EQ(*root.Attribute("a"), "1");
    EXPECT_EQ(*root.Attribute("b"), "x &  y");  // line end in a value reads as one blank
    std::vector<std::string> names;
    for (const XmlElement& c : root.children) names.push_back(c.name);
    EXPECT_EQ(names, (std::vector<std::string>{"packtype", "board", "x", "t", "e", "e"}));
    EXPECT_EQ(root.Child("packtype")->text, "BIOS");
    EXPECT_EQ(root.Child("board")->text, "A\nB\nC");
    EXPECT_EQ(root.Child("x")->Child("y")->Child("z")->text, "deep");
    EXPECT_EQ(root.Child("t")->text, "<AB><raw & \xC3\xA9");
    EXPECT_EQ(root.Children("e").size(), 2u);
    EXPECT_EQ(root.Child("missing"), nullptr);
}

TEST(BupDocument, RefusesWhatIsNotAWellFormedDocument) {
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"text without element", "bupinfo2"},
        {"unclosed", "<a><b></b>"},
        {"other end tag", "<a></b>"},
        {"two roots", "<a/><b/>"},
        {"unquoted attribute", "<a x=1/>"},
        {"attribute twice", "<a x='1' x=\"2\"/>"},
        {"attributes run together", "<a x='1'y='2'/>"},
        {"'<' in a value", "<a x='<'/>"},
        {"unknown entity", "<a>&bogus;</a>"},
        {"bare ampersand", "<a>fish & chips</a>"},
        {"reference to NUL", "<a>&#0;</a>"},
        {"reference too large", "<a>&#99999999999;</a>"},
        {"document type", "<!DOCTYPE a [<!ENTITY e 'x'>]><a>&e;</a>"},
        {"open comment", "<a><!-- open</a>"},
        {"]]> in text", "<a>]]></a>"},
        {"control character", "<a>\x01</a>"},
        {"NUL byte", std::string("<a>\0</a>", 8)},
        {"cut UTF-8 sequence", "<a>\xC3</a>"},
        {"overlong UTF-8", "<a>\xC0\xAF</a>"},
        {"encoded surrogate", "<a>\xED\xA0\x80</a>"},
    };
    for (const auto& [name, text] : cases) {
        XmlElement root;
        EXPECT_FALSE(Parse(text, root)) << name;
    }
}

TEST(BupDocument, LimitsNesting) {
    auto nested = [](int depth) {
        std::string open, close;
        for (int i = 0; i < depth; ++i) {
            open += "<n>";
            close += "</n>";
        }
        return open + close;
    };
    XmlElement root;
    EXPECT_TRUE(Parse(nested(qmxsim::kMaxDepth), root));
    EXPECT_FALSE(Parse(nested(qmxsim::kMaxDepth + 1), root));
    EXPECT_FALSE(Parse(nested(100000), root));  // must not exhaust the stack
}

TEST(BupDocument, CutOrMangledInputNeverReadsBeyondItsLength) {
    const size_t root_end = kTricky.find("</bupinfo2 >") + 12;
    for (size_t n = 0; n < root_end; ++n) {
        XmlElement root;
        EXPECT_FALSE(Parse(kTricky.substr(0, n), root)) << "cut at " << n;
    }
    // Random changes of a good document: any answer, but no fault under ASan.
    std::mt19937 rng(20240115);
    for (int round = 0; round < 3000; ++round) {
        std::string text = kTricky;
        for (int k = 0; k < 1 + round % 4; ++k)
            text[rng() % text.size()] = static_cast<char>(rng() % 256);
        XmlElement root;
        Parse(text.substr(0, rng() % (text.size() + 1)), root);
    }
}

TEST(BiosVersionTest, ComparesNumberByNumber) {
    struct Case { const char* a; const char* b; int order; int major; } cases[] = {
        {"1.00", "1.0", 0, 0},
        {"R2.05.0", "2.5", 0, 0},  // the letter prefix takes no part
        {"0001.5", "1.5", 0, 0},
        {"1.10", "1.9", 1, 0},     // numbers, not text
        {"2.0", "1.99", 1, 1},
        {"123456789012345678901.1", "123456789012345678901.0", 1, 0},
        {"9.0", "123456789012345678901.0", -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
        auto a = BiosVersion::Parse(c.a), b = BiosVersion::Parse(c.b);
        ASSERT_TRUE(a && b);
        EXPECT_EQ(a->Compare(*b), c.order);
        EXPECT_EQ(b->Compare(*a), -c.order);
        EXPECT_EQ(a->CompareMajor(*b), c.major);
    }
    for (const char* bad : {"", "R", "1.", ".1", "1..2", "1.0a", " 1.0", "1-2"})
        EXPECT_FALSE(BiosVersion::Parse(bad)) << '"' << bad << '"';
}

}  // namespace
