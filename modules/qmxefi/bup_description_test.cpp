// The description dialect, the elements this module reads, and version
// comparison. Every input is copied to a buffer of its exact size, so a read
// past the end shows under the sanitizers.
#include <memory>

#include <gtest/gtest.h>

#include "bup_description.h"
#include "xml_reader.h"

namespace qmxefi_test {
namespace {

using qmxefi::ReadOutcome;

ReadOutcome Read(const std::string& text, qmxefi::Description& d, std::string* why = nullptr) {
    std::unique_ptr<uint8_t[]> exact(new uint8_t[text.size() ? text.size() : 1]);
    std::copy(text.begin(), text.end(), exact.get());
    return qmxefi::ReadDescription(exact.get(), text.size(), d, why);
}

struct DialectCase {
    const char* what;
    std::string doc;
    bool taken;
};

std::string Deep(int levels) {
    std::string s;
    for (int i = 0; i < levels; ++i) s += "<a>";
    return s;
}

class Dialect : public ::testing::TestWithParam<DialectCase> {};

TEST_P(Dialect, TakesWhatTheKernelTakes) {
    const DialectCase& c = GetParam();
    std::unique_ptr<uint8_t[]> exact(new uint8_t[c.doc.size() + 1]);
    std::copy(c.doc.begin(), c.doc.end(), exact.get());
    qmxefi::XmlNode root;
    EXPECT_EQ(qmxefi::ReadXml(exact.get(), c.doc.size(), root), c.taken) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Dialect,
    ::testing::Values(DialectCase{"plain", "<a><b>x</b></a>", true},
                      DialectCase{"bytes before the first '<'", "\xEF\xBB\xBFjunk<a/>", true},
                      DialectCase{"cut short inside a text", "<a><b>x", true},
                      DialectCase{"cut short inside a comment", "<a><!-- x", true},
                      DialectCase{"empty", "", true},
                      DialectCase{"comment before the root's name", "<!-- c -->a></a>", true},
                      DialectCase{"attribute", "<a k=\"v>\"></a>", true},
                      DialectCase{"declaration", "<?xml version=\"1.0\"?><a/>", false},
                      DialectCase{"CDATA", "<a><![CDATA[x]]></a>", false},
                      DialectCase{"end tag of another element", "<a><b></c></a>", false},
                      DialectCase{"attribute quoted with '", "<a k='v'></a>", false},
                      DialectCase{"blank before the quote", "<a k= \"v\"></a>", false},
                      DialectCase{"comment in a tag", "<a <!-- x -->></a>", false},
                      DialectCase{"'/' without '>'", "<a/ >", false},
                      DialectCase{"'<' before a digit", "<a><1/></a>", false},
                      DialectCase{"too deep", Deep(257), false}, DialectCase{"deep", Deep(256), true}));

TEST(Dialect, DropsLineEndsAndStrayNameCharacters) {
    qmxefi::XmlNode root;
    const std::string doc = "<bup-info2>\r\n<ver\nsion>1.\r\n2</version></bupinfo2>";
    ASSERT_TRUE(qmxefi::ReadXml(reinterpret_cast<const uint8_t*>(doc.data()), doc.size(), root));
    EXPECT_EQ(root.name, "bupinfo2");
    ASSERT_EQ(root.All("version").size(), 1u);
    EXPECT_EQ(root.All("version")[0]->text, "1.2");
}

const std::string kBios =
    "<bupinfo2><packtype>BIOS</packtype><builddate>01-15-2024</builddate><board>NUC8</board>"
    "<board>Quill Desk</board><biosversion> 1.18.0 </biosversion><image>bios.cap</image></bupinfo2>";

TEST(Description, ReadsTheElementsOfABiosPackage) {
    qmxefi::Description d;
    ASSERT_EQ(Read(kBios, d), ReadOutcome::kOk);
    EXPECT_EQ(d.pack_type, qmxefi::PackType::kBios);
    EXPECT_EQ(d.boards, (std::vector<std::string>{"NUC8", "Quill Desk"}));
    EXPECT_EQ(d.bios_version_text, "1.18.0");
    EXPECT_EQ(d.build_date, "01-15-2024");
    EXPECT_EQ(d.areas, unsigned{qmxefi::kAreaBios});
    EXPECT_EQ(d.image, "bios.cap");
}

TEST(Description, DamagedWhenAnElementIsMissingTwiceOrNotOfItsForm) {
    const auto outcome = [](std::string inner) {
        qmxefi::Description d;
        return Read("<bupinfo2>" + inner + "</bupinfo2>", d);
    };
    const std::string ok = "<packtype>BIOS</packtype><board>B</board><biosversion>1.0</biosversion>";
    EXPECT_EQ(outcome(ok), ReadOutcome::kOk);
    EXPECT_EQ(outcome("<board>B</board><biosversion>1.0</biosversion>"), ReadOutcome::kDamaged);
    EXPECT_EQ(outcome("<packtype>BIOS</packtype><biosversion>1.0</biosversion>"), ReadOutcome::kDamaged);
    EXPECT_EQ(outcome("<packtype>BIOS</packtype><board>B</board>"), ReadOutcome::kDamaged);
    EXPECT_EQ(outcome(ok + "<biosversion>1.1</biosversion>"), ReadOutcome::kDamaged);
    EXPECT_EQ(outcome("<packtype>BIOS</packtype><board>B</board><biosversion>beta</biosversion>"),
              ReadOutcome::kDamaged);
    EXPECT_EQ(outcome(ok + "<area>flash</area>"), ReadOutcome::kDamaged);
    EXPECT_EQ(outcome(ok + "<image>../bios.cap</image>"), ReadOutcome::kDamaged);
    EXPECT_EQ(outcome(ok + "<image>-rf</image>"), ReadOutcome::kDamaged);
    EXPECT_EQ(outcome(ok + "<nvramcrossupdate>maybe</nvramcrossupdate>"), ReadOutcome::kDamaged);
    EXPECT_EQ(outcome(ok + "<consistency>DAMAGED</consistency>"), ReadOutcome::kDamaged);
    // A common archive needs neither board nor version.
    EXPECT_EQ(outcome("<packtype>QUILLMARK_COMMON_ARCHIVE</packtype>"), ReadOutcome::kOk);
    qmxefi::Description d;
    EXPECT_EQ(Read("<bupinfo3/>", d), ReadOutcome::kNoDescription);
    EXPECT_EQ(Read("<?xml?><bupinfo2/>", d), ReadOutcome::kNoDescription);
}

TEST(Description, TheWrittenConfigDescriptionReadsBack) {
    qmxefi::Description d;
    ASSERT_EQ(Read(qmxefi::ConfigDescription("NUC<8\n", "1.17.0", "05-01-2024"), d), ReadOutcome::kOk);
    EXPECT_EQ(d.pack_type, qmxefi::PackType::kConfig);
    EXPECT_EQ(d.boards, (std::vector<std::string>{"NUC8"}));
    EXPECT_EQ(d.areas, unsigned{qmxefi::kAreaBootOrder});
    EXPECT_TRUE(d.nvram_cross_update);
}

struct VersionCase {
    const char* a;
    const char* b;
    int order;  // of a against b; 99: not comparable
};

class Versions : public ::testing::TestWithParam<VersionCase> {};

TEST_P(Versions, CompareByNumbersWithinOneForm) {
    const VersionCase& c = GetParam();
    const auto a = qmxefi::BiosVersion::Parse(c.a), b = qmxefi::BiosVersion::Parse(c.b);
    ASSERT_TRUE(a && b);
    if (c.order == 99) {
        EXPECT_FALSE(a->ComparableWith(*b)) << c.a << " vs " << c.b;
        return;
    }
    ASSERT_TRUE(a->ComparableWith(*b)) << c.a << " vs " << c.b;
    EXPECT_EQ(a->Compare(*b), c.order) << c.a << " vs " << c.b;
}

INSTANTIATE_TEST_SUITE_P(Table, Versions,
                         ::testing::Values(VersionCase{"1.10", "1.9", 1}, VersionCase{"1.09", "1.9", 0},
                                           VersionCase{"F12", "f9", 1}, VersionCase{"2.0.0", "10.0.0", -1},
                                           VersionCase{"N2HET74W (1.57 )", "N2HET73W (1.56)", 1},
                                           VersionCase{"BECFL357.86A.0093.2023", "BECFL357.86A.0092.2024", 1},
                                           VersionCase{"1.56", "N2HET73W (1.56 )", 99},
                                           VersionCase{"1.0", "1.0.0", 99}, VersionCase{"R1.2", "1.2", 99}));

}  // namespace
}  // namespace qmxefi_test
