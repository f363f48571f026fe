// The package description reader on its own: the kernel's dialect and versions.
#include <cstdint>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "bup_document.h"
#include "bup_package.h"

namespace {

using qmxsim::BiosVersion;
using qmxsim::ParseXml;
using qmxsim::XmlElement;
using namespace std::string_literals;

// Parses a copy of exactly the text's size on the heap, so a read past the
// end is caught by ASan.
bool Parse(const std::string& text, XmlElement& root, std::string* why = nullptr) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    return ParseXml(bytes.data(), bytes.size(), root, why);
}

struct Case {
    const char* name;
    std::string text;
    bool taken;
    std::optional<std::string> packtype;  // bupinfo2\packtype as read; none: no such element
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class BupDocumentDialect : public testing::TestWithParam<Case> {};

TEST_P(BupDocumentDialect, TakesAndReadsAsTheKernel) {
    const Case& c = GetParam();
    XmlElement root;
    std::string why;
    ASSERT_EQ(Parse(c.text, root, &why), c.taken) << why;
    if (!c.taken) return;
    const XmlElement* packtype = root.name == "bupinfo2" ? root.Child("packtype") : nullptr;
    EXPECT_EQ(packtype ? std::optional<std::string>(packtype->text) : std::nullopt, c.packtype);
}

const std::string kPlain = "<bupinfo2><packtype>BIOS</packtype></bupinfo2>";

INSTANTIATE_TEST_SUITE_P(
    Documents, BupDocumentDialect,
    testing::Values(
        Case{"plain", kPlain, true, "BIOS"},
        Case{"declaration", "<?xml version=\"1.0\"?>\n" + kPlain, false, {}},
        Case{"instruction_in_content", "<bupinfo2><?pi x?><packtype>BIOS</packtype></bupinfo2>", false, {}},
        Case{"cdata", "<bupinfo2><packtype><![CDATA[BIOS]]></packtype></bupinfo2>", false, {}},
        Case{"comment_before_the_root", "<!-- made by hand -->\n" + kPlain, false, {}},
        Case{"single_quotes", "<bupinfo2 v='1'><packtype>BIOS</packtype></bupinfo2>", false, {}},
        Case{"blank_after_equals", "<bupinfo2 v= \"1\"><packtype>BIOS</packtype></bupinfo2>", false, {}},
        Case{"end_tag_in_other_case", "<bupinfo2><packtype>BIOS</PackType></bupinfo2>", false, {}},
        Case{"entities_as_written", "<bupinfo2><packtype>&lt;A&amp;B&#65;&gt; & ></packtype></bupinfo2>", true,
             "&lt;A&amp;B&#65;&gt; & >"},
        Case{"line_ends_dropped_blanks_kept", "<bupinfo2>\r\n<packtype>\r\n  BI\rOS\t\n</packtype></bupinfo2>", true,
             "  BIOS\t"},
        Case{"bytes_as_they_are", "<bupinfo2><packtype>\x01\xC3\0\xFF</packtype></bupinfo2>"s, true, "\x01\xC3\0\xFF"s},
        Case{"three_dashes_do_not_end_a_comment",
             "<bupinfo2><!-- a ---><packtype>X</packtype> --><packtype>BIOS</packtype></bupinfo2>", true, "BIOS"},
        Case{"text_beside_a_child", "<bupinfo2><packtype>BI<sub/>OS</packtype></bupinfo2>", true, ""},
        Case{"other_name_characters_dropped", "<bupinfo2><pack-type>BIOS</pack.type></bupinfo2>", true, "BIOS"},
        Case{"garbage_around_the_root", "\xEF\xBB\xBFjunk" + kPlain + "<?xml?><x", true, "BIOS"},
        Case{"cut_short", "<bupinfo2><packtype>BIOS</packtype><board>X", true, "BIOS"},
        Case{"empty", "", true, {}}),
    [](const testing::TestParamInfo<Case>& param) { return std::string(param.param.name); });

TEST(BupDocument, KeepsTheFirstOfARepeatedAttribute) {
    XmlElement root;
    ASSERT_TRUE(Parse("<bupinfo2 v=\"1\" w =\"<&>\"x=\"\" v=\"2\"/>", root));
    EXPECT_EQ(root.attributes, (std::vector<std::pair<std::string, std::string>>{{"v", "1"}, {"w", "<&>"}, {"x", ""}}));
}

TEST(BupDocument, LimitsNestingAsTheKernel) {
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
    const std::string good =
        "<bupinfo2 a=\"1\">\r\n  <packtype>BIOS</packtype><!-- x -->\r\n  <x><y>deep</y></x><e/><e />\r\n</bupinfo2 >";
    // The kernel takes a document cut anywhere with what it read so far.
    for (size_t n = 0; n <= good.size(); ++n) {
        XmlElement root;
        EXPECT_TRUE(Parse(good.substr(0, n), root)) << "cut at " << n;
    }
    // Random changes of a good document: any answer, but no fault under ASan.
    std::mt19937 rng(20240115);
    for (int round = 0; round < 3000; ++round) {
        std::string text = good;
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
