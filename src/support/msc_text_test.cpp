#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/msc.h"

namespace {

TEST(MscFilterPasswordSwitches, MasksValues) {
    struct { const char *in, *out; } cases[] = {
        {"-u -pwd \"my secret\" -f x.bup", "-u -pwd \"*********\" -f x.bup"},
        {"-u -pwd secret -f", "-u -pwd ****** -f"}, {"-pwc 0A1B2C3D", "-pwc ********"},
        {"-PWD Secret", "-PWD ******"}, {"-pwd   \"a b\" -x", "-pwd   \"***\" -x"},
        {"-pwd a -x -pwc bb -y", "-pwd * -x -pwc ** -y"}, {"--pwd x", "--pwd *"},
        {"-u -f x.bup", "-u -f x.bup"}, {"-pwd", "-pwd"}, {"-pwd \"open", "-pwd \"****"}};
    for (const auto& c : cases)
        EXPECT_STREQ(MscFilterPasswordSwitches(c.in), c.out) << c.in;
    EXPECT_STREQ(MscFilterPasswordSwitches("/key abc -pwd x", "/key"), "/key *** -pwd x");

    // Three results stay valid at once; longer input is cut to 259 characters.
    const char* r1 = MscFilterPasswordSwitches("-pwd one");
    const char* r2 = MscFilterPasswordSwitches("-pwd two2");
    const std::string in = "-pwd " + std::string(400, 's');
    const char* r3 = MscFilterPasswordSwitches(in.c_str());
    EXPECT_STREQ(r1, "-pwd ***");
    EXPECT_STREQ(r2, "-pwd ****");
    EXPECT_EQ(std::string(r3), "-pwd " + std::string(254, '*'));
}

TEST(MscVariableStringSet, PacksStringsAndCutsAtTheBlockEnd) {
    constexpr uint32_t kMax = 16;
    char buf[kMax + 4];
    std::memset(buf, 'x', sizeof(buf));
    EXPECT_EQ(MscVariableStringSet(buf, "abc", 0, kMax), 4u);
    EXPECT_EQ(MscVariableStringSet(buf, "", 4, kMax), 5u);
    EXPECT_EQ(MscVariableStringSet(buf, "de", 5, kMax), 8u);
    EXPECT_EQ(std::string(buf, 9), std::string("abc\0\0de\0x", 9));

    // Beyond the end nothing is written.
    EXPECT_EQ(MscVariableStringSet(buf, "abc", kMax, kMax), kMax - 1);
    EXPECT_EQ(MscVariableStringSet(buf, "abc", kMax + 3, kMax), kMax - 1);
    EXPECT_EQ(std::string(buf + 8, sizeof(buf) - 8), std::string(sizeof(buf) - 8, 'x'));

    // An overrun still ends in a terminator on the last byte; exactly filling the block is no overrun.
    EXPECT_EQ(MscVariableStringSet(buf, "0123456789", 10, kMax), kMax);
    EXPECT_EQ(std::string(buf + 10, 7), std::string("01234\0x", 7));
    EXPECT_EQ(MscVariableStringSet(buf, "abcde", 10, kMax), kMax);
    EXPECT_STREQ(buf + 10, "abcde");
    EXPECT_EQ(MscVariableStringSet(buf, "abc", kMax - 1, kMax), kMax);
}

TEST(MscStdStringFormat, FormatsAnyLength) {
    EXPECT_EQ(MscStdStringFormat("%s-%05d", "ab", 42), "ab-00042");
    const std::string longText(5000, 'q');
    EXPECT_EQ(MscStdStringFormat("<%s>", longText.c_str()), "<" + longText + ">");
}

}  // namespace
