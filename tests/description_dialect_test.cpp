// The simulated board reads package descriptions with its own reader, as a
// board module must; it has to take and read every document as the kernel
// does, or the board judges a package the kernel dates or chains otherwise.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "bupinfo/bup_info.h"
#include "qmxsim/bup_document.h"
#include "xml_dump.h"

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using qmxsim::XmlElement;

struct Document {
    std::string name;
    std::string text;
};

void PrintTo(const Document& d, std::ostream* os) { *os << d.name; }

// Every text the kernel finds at bupinfo2\token, index 0 on.
std::vector<std::string> KernelTexts(const CBupInfo& info, const std::string& token) {
    std::vector<std::string> texts;
    CString cs;
    for (uint32_t i = 0; info.TokenContentGet(("bupinfo2\\" + token).c_str(), i, cs) == 0; ++i)
        texts.push_back(cs.str());
    return texts;
}

// The same as the board looks the elements up.
std::vector<std::string> ModuleTexts(const XmlElement& root, const std::string& token) {
    std::vector<std::string> texts;
    if (root.name != "bupinfo2")
        return texts;
    const size_t slash = token.find('\\');
    const XmlElement* parent = slash == std::string::npos ? &root : root.Child(token.substr(0, slash));
    if (!parent)
        return texts;
    for (const XmlElement* e : parent->Children(token.substr(slash == std::string::npos ? 0 : slash + 1)))
        texts.push_back(e->text);
    return texts;
}

// Both readers over the same bytes.
struct Reading {
    CBupInfo info;
    XmlElement root;
    bool kernel_takes;
    bool module_takes;
    std::string why;

    explicit Reading(const std::string& text) {
        // Exact-size copies without a terminator: a read past the end trips ASan.
        const std::vector<char> kernel_copy(text.begin(), text.end());
        const std::vector<uint8_t> module_copy(text.begin(), text.end());
        kernel_takes = info.BufferLoadFrom(kernel_copy.data(), static_cast<uint32_t>(text.size())) == 0;
        module_takes = qmxsim::ParseXml(module_copy.data(), module_copy.size(), root, &why);
    }
};

class DescriptionDialect : public testing::TestWithParam<Document> {};

TEST_P(DescriptionDialect, BothReadersTakeAndReadAlike) {
    const Reading r(GetParam().text);
    ASSERT_EQ(r.module_takes, r.kernel_takes) << r.why;
    if (!r.kernel_takes)
        return;
    EXPECT_EQ(XmlDump(r.root), XmlDump(r.info.RootGet()));
    for (const char* token : {"packtype", "board", "biosversion", "builddate", "Parameter\\SkipBiosCompare"})
        EXPECT_EQ(ModuleTexts(r.root, token), KernelTexts(r.info, token)) << token;
}

std::string Nested(int depth, bool closed) {
    std::string open = "<bupinfo2>", close = "</bupinfo2>";
    for (int i = 1; i < depth; ++i) {
        open += "<n>";
        close = "</n>" + close;
    }
    return closed ? open + close : open;
}

const std::string kPlain =
    "<bupinfo2><packtype>BIOS</packtype><board>QMXSIM-X1</board><biosversion>1.01</biosversion>"
    "<builddate>12-24-2024</builddate></bupinfo2>";

std::vector<Document> Table() {
    return {
        {"plain", kPlain},
        {"laid_out_crlf",
         "<bupinfo2>\r\n  <packtype>BIOS</packtype>\r\n  <board>\r\n    QMXSIM-X1\r\n  </board>\r\n</bupinfo2>\r\n"},
        {"laid_out_lf_tabs", "<bupinfo2>\n\t<packtype>\tBIOS </packtype>\n\t<builddate>12-24-\n2024</builddate>\n</bupinfo2>"},
        {"lone_cr_in_name_and_value", "<bupin\rfo2 v=\"a\r\nb\"><packtype>BI\rOS</packtype></bupinfo2>"},
        {"declaration", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n" + kPlain},
        {"bom", "\xEF\xBB\xBF" + kPlain},
        {"bom_and_declaration", "\xEF\xBB\xBF<?xml version=\"1.0\"?>" + kPlain},
        {"instruction_in_content", "<bupinfo2><?pi data?><packtype>BIOS</packtype></bupinfo2>"},
        {"instruction_after_the_root", kPlain + "<?pi data?>"},
        {"comment_before_the_root", "<!-- generated -->\n" + kPlain},
        {"comment_before_the_root_name", "<!-- x --> bupinfo2><packtype>BIOS</packtype></bupinfo2>"},
        {"comment_between_children", "<bupinfo2><packtype>BIOS</packtype><!-- <board>X</board> --><board>Y</board></bupinfo2>"},
        {"comment_inside_text", "<bupinfo2><packtype>BI<!-- - -- x -->OS</packtype></bupinfo2>"},
        {"comment_of_dashes", "<bupinfo2><packtype>BI<!---->OS</packtype></bupinfo2>"},
        {"comment_three_dashes", "<bupinfo2><!-- a ---><packtype>X</packtype> --><packtype>BIOS</packtype></bupinfo2>"},
        {"comment_in_a_start_tag", "<bupinfo2 !-- x --><packtype>BIOS</packtype></bupinfo2>"},
        {"comment_in_an_end_tag", "<bupinfo2><packtype>BIOS</!-- x -->packtype></bupinfo2>"},
        {"comment_single_dash", "<bupinfo2><!- x -><packtype>BIOS</packtype></bupinfo2>"},
        {"comment_unclosed", "<bupinfo2><packtype>BIOS</packtype><!-- open </bupinfo2>"},
        {"comment_after_the_root", kPlain + "<!-- trailing -->"},
        {"cdata", "<bupinfo2><packtype><![CDATA[BIOS]]></packtype></bupinfo2>"},
        {"document_type", "<!DOCTYPE bupinfo2 [<!ENTITY e \"x\">]>" + kPlain},
        {"entities", "<bupinfo2><packtype>&lt;BIOS&gt; &amp; &quot;&apos; &bogus;</packtype></bupinfo2>"},
        {"numeric_references", "<bupinfo2><board>&#81;&#x4D;X1 &#0;</board></bupinfo2>"},
        {"bare_ampersand_and_gt", "<bupinfo2><board>A & B > C</board></bupinfo2>"},
        {"lt_in_text", "<bupinfo2><board>1 < 2</board></bupinfo2>"},
        {"attribute_double_quotes", "<bupinfo2 v=\"2\" a =\"<&amp;>\"b=\"\"><packtype>BIOS</packtype></bupinfo2>"},
        {"attribute_repeated", "<bupinfo2 v=\"1\" v=\"2\"><packtype v=\"x\" v=\"y\">BIOS</packtype></bupinfo2>"},
        {"attribute_single_quotes", "<bupinfo2 v='1'><packtype>BIOS</packtype></bupinfo2>"},
        {"attribute_unquoted", "<bupinfo2 v=1><packtype>BIOS</packtype></bupinfo2>"},
        {"attribute_blank_after_equals", "<bupinfo2 v= \"1\"><packtype>BIOS</packtype></bupinfo2>"},
        {"attribute_without_value", "<bupinfo2 v><packtype>BIOS</packtype></bupinfo2>"},
        {"attribute_on_an_empty_element", "<bupinfo2><board v=\"1\"/><board v=\"2\" /></bupinfo2>"},
        {"empty_element_blank_before_gt", "<bupinfo2><board/ ></bupinfo2>"},
        {"names_with_other_characters", "<bupinfo2><pack-type>BIOS</pack.type><x:board a-b=\"1\">X1</xboard></bupinfo2>"},
        {"name_with_digits", "<bupinfo2><board2>X</board2><_b>Y</_b></bupinfo2>"},
        {"name_starting_with_a_digit", "<bupinfo2><2nd>x</2nd></bupinfo2>"},
        {"name_with_high_bytes", "<bupinfo2><b\xC3\xA4rd>x</b\xC3\xA4rd></bupinfo2>"},
        {"blank_after_lt_in_content", "<bupinfo2>< packtype>BIOS</packtype></bupinfo2>"},
        {"blanks_in_tags", "< bupinfo2 ><packtype >BIOS</ packtype ><board\t>X</board></bupinfo2 >"},
        {"slashes_in_an_end_tag", "<bupinfo2><packtype>BIOS<//packtype/></bupinfo2>"},
        {"end_tag_with_attribute", "<bupinfo2><packtype>BIOS</packtype v=\"1\"></bupinfo2>"},
        {"end_tag_empty", "<bupinfo2><packtype>BIOS</></bupinfo2>"},
        {"root_in_other_case", "<BupInfo2><packtype>BIOS</packtype></bupinfo2>"},
        {"root_named_otherwise", "<BupInfo2><packtype>BIOS</packtype></BupInfo2>"},
        {"child_in_other_case", "<bupinfo2><PackType>BIOS</PackType><packtype>CONFIG</packtype></bupinfo2>"},
        {"end_tag_in_other_case", "<bupinfo2><packtype>BIOS</PACKTYPE></bupinfo2>"},
        {"tags_crossed", "<bupinfo2><packtype><b>BIOS</packtype></b></bupinfo2>"},
        {"repeated_elements", "<bupinfo2><packtype>BIOS</packtype><board>X1</board><packtype>CONFIG</packtype><board>X2</board></bupinfo2>"},
        {"text_beside_children", "<bupinfo2>lead<packtype>BI<sub>x</sub>OS</packtype>tail</bupinfo2>"},
        {"parameter_appended", "<bupinfo2><packtype>BIOS</packtype><Parameter><SkipBiosCompare>true</SkipBiosCompare></Parameter></bupinfo2>"},
        {"cut_in_the_root_tag", "<bupinfo2 v=\"1"},
        {"cut_in_a_name", "<bupinfo2><packtype>BIOS</packtype><boa"},
        {"cut_in_text", "<bupinfo2><packtype>BIOS</packtype><board>X1"},
        {"cut_in_an_end_tag", "<bupinfo2><packtype>BIOS</pack"},
        {"cut_after_lt", "<bupinfo2><packtype>BIOS</packtype><"},
        {"leading_garbage", "junk > ! " + kPlain},
        {"trailing_garbage", kPlain + " junk <x <!DOCTYPE"},
        {"two_roots", kPlain + "<bupinfo2><packtype>CONFIG</packtype></bupinfo2>"},
        {"empty", ""},
        {"blanks_only", " \r\n\t"},
        {"text_without_tags", "bupinfo2"},
        {"lt_only", "<"},
        {"nul_and_control_bytes", "<bupinfo2><board>A\0B\x01\x7F</board></bupinfo2>"s},
        {"nul_after_lt", "<bupinfo2><\0packtype/></bupinfo2>"s},
        {"invalid_utf8", "<bupinfo2><board>\xC0\xAF\xFF</board></bupinfo2>"},
        {"nested_to_the_limit", Nested(256, true)},
        {"nested_beyond_the_limit", Nested(257, true)},
        {"nested_beyond_the_limit_cut", Nested(300, false)},
    };
}

std::string TestName(const testing::TestParamInfo<Document>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Table, DescriptionDialect, testing::ValuesIn(Table()), TestName);

// Documents of the table changed at random, with the characters that steer a reader.
TEST(DescriptionDialectMutations, BothReadersTakeAndReadAlike) {
    const std::vector<Document> table = Table();
    const std::string steering = "<>/!-=\" \r\n\tab?[]&";
    std::mt19937 rng(4711);
    for (int round = 0; round < 20000; ++round) {
        std::string text = table[rng() % table.size()].text;
        for (int k = 0; k < 1 + round % 3; ++k) {
            const size_t at = text.empty() ? 0 : rng() % text.size();
            const char c = steering[rng() % steering.size()];
            switch (rng() % 3) {
            case 0: text.insert(at, 1, c); break;
            case 1: if (!text.empty()) text[at] = c; break;
            default: if (!text.empty()) text.erase(at, 1); break;
            }
        }
        const Reading r(text);
        ASSERT_EQ(r.module_takes, r.kernel_takes) << testing::PrintToString(text);
        if (r.kernel_takes) {
            ASSERT_EQ(XmlDump(r.root), XmlDump(r.info.RootGet())) << testing::PrintToString(text);
        }
    }
}

// The kernel's own collection of documents it refuses.
std::vector<Document> Corpus() {
    std::vector<Document> documents;
    const fs::path dir = fs::path(__FILE__).parent_path() / "corpus" / "xml";
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::string name = entry.path().stem().string();
        std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        documents.push_back({name, std::string(std::istreambuf_iterator<char>(in), {})});
    }
    std::sort(documents.begin(), documents.end(), [](const Document& a, const Document& b) { return a.name < b.name; });
    return documents;
}

INSTANTIATE_TEST_SUITE_P(Corpus, DescriptionDialect, testing::ValuesIn(Corpus()), TestName);

}  // namespace
