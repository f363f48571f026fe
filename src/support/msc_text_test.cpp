#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/msc.h"

namespace {

struct MaskCase {
    const char* in;
    const char* out;
};

// Readable test names in ctest and failure messages.
void PrintTo(const MaskCase& c, std::ostream* os) { *os << '"' << c.in << '"'; }

class MscFilterPasswordSwitchesTest : public testing::TestWithParam<MaskCase> {};

TEST_P(MscFilterPasswordSwitchesTest, MasksValues) {
    EXPECT_STREQ(MscFilterPasswordSwitches(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, MscFilterPasswordSwitchesTest,
    testing::Values(
        MaskCase{"-u -pwd \"my secret\" -f x.bup", "-u -pwd \"*********\" -f x.bup"},
        MaskCase{"-u -pwd secret -f", "-u -pwd ****** -f"},
        MaskCase{"-pwc 0A1B2C3D", "-pwc ********"}, MaskCase{"-PWD Secret", "-PWD ******"},
        MaskCase{"-pwd   \"a b\" -x", "-pwd   \"***\" -x"},
        MaskCase{"-pwd a -x -pwc bb -y", "-pwd * -x -pwc ** -y"},
        MaskCase{"--pwd x", "--pwd *"}, MaskCase{"-u -f x.bup", "-u -f x.bup"},
        MaskCase{"-pwd", "-pwd"}, MaskCase{"-pwd \"open", "-pwd \"****"}, MaskCase{"", ""}));

TEST(MscFilterPasswordSwitches, OtherSwitchText) {
    EXPECT_STREQ(MscFilterPasswordSwitches("/key abc -pwd x", "/key"), "/key *** -pwd x");
}

TEST(MscFilterPasswordSwitches, ThreeResultsStayValid) {
    const char* r1 = MscFilterPasswordSwitches("-pwd one");
    const char* r2 = MscFilterPasswordSwitches("-pwd two2");
    const char* r3 = MscFilterPasswordSwitches("-pwd three");
    EXPECT_STREQ(r1, "-pwd ***");
    EXPECT_STREQ(r2, "-pwd ****");
    EXPECT_STREQ(r3, "-pwd *****");
}

TEST(MscFilterPasswordSwitches, LongInputIsCut) {
    const std::string in = "-pwd " + std::string(400, 's');
    const char* out = MscFilterPasswordSwitches(in.c_str());
    ASSERT_EQ(std::strlen(out), 259u);
    EXPECT_EQ(std::string(out), "-pwd " + std::string(254, '*'));
}

class MscVariableStringSetTest : public testing::Test {
protected:
    static constexpr uint32_t kMax = 16;
    MscVariableStringSetTest() { std::memset(buf, 'x', sizeof(buf)); }
    char buf[kMax + 4];
};

TEST_F(MscVariableStringSetTest, PacksStringsOneAfterAnother) {
    uint32_t pos = MscVariableStringSet(buf, "abc", 0, kMax);
    EXPECT_EQ(pos, 4u);
    pos = MscVariableStringSet(buf, "", pos, kMax);
    EXPECT_EQ(pos, 5u);
    pos = MscVariableStringSet(buf, "de", pos, kMax);
    EXPECT_EQ(pos, 8u);
    EXPECT_EQ(std::string(buf, 9), std::string("abc\0\0de\0x", 9));
}

TEST_F(MscVariableStringSetTest, OverrunIsCutAtTheBlockEnd) {
    EXPECT_EQ(MscVariableStringSet(buf, "0123456789", 10, kMax), kMax);
    EXPECT_EQ(std::string(buf + 10, 6), std::string("01234\0", 6));
    EXPECT_EQ(buf[kMax], 'x');

    // Exactly filling the block is no overrun.
    EXPECT_EQ(MscVariableStringSet(buf, "abcde", 10, kMax), kMax);
    EXPECT_STREQ(buf + 10, "abcde");
}

TEST_F(MscVariableStringSetTest, PositionAtOrBeyondTheEnd) {
    EXPECT_EQ(MscVariableStringSet(buf, "abc", kMax, kMax), kMax - 1);
    EXPECT_EQ(MscVariableStringSet(buf, "abc", kMax + 3, kMax), kMax - 1);
    EXPECT_EQ(std::string(buf, sizeof(buf)), std::string(sizeof(buf), 'x'));
    // The last byte takes an empty string.
    EXPECT_EQ(MscVariableStringSet(buf, "abc", kMax - 1, kMax), kMax);
    EXPECT_EQ(buf[kMax - 1], '\0');
}

TEST(MscStdStringFormat, FormatsAnyLength) {
    EXPECT_EQ(MscStdStringFormat("%s-%05d", "ab", 42), "ab-00042");
    const std::string longText(5000, 'q');
    EXPECT_EQ(MscStdStringFormat("<%s>", longText.c_str()), "<" + longText + ">");
    EXPECT_EQ(MscStdStringFormat("%s", ""), "");
}

}  // namespace
