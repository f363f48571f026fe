#include "bupinfo/archive_judge.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using K = SArchiveMember::EKind;

SArchiveMember File(const std::string& name, uint64_t size = 10, uint64_t packed = 10, K kind = K::eFile) {
    SArchiveMember m;
    m.strName = name;
    m.ullSize = size;
    m.ullCompressedSize = packed;
    m.eKind = kind;
    return m;
}

SArchiveLimits Small() {
    SArchiveLimits l;
    l.ullMaxMemberBytes = 1000;
    l.ullMaxDescriptionBytes = 100;
    l.ulMaxMembers = 3;
    l.ulMaxRatio = 10;
    return l;
}

struct Case {
    const char* what;
    std::vector<SArchiveMember> members;
    const char* member;  // null: accepted
    const char* rule;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.what; }

class ArchiveJudgeRules : public testing::TestWithParam<Case> {};

TEST_P(ArchiveJudgeRules, NamesTheFirstMemberAndRuleBroken) {
    const Case& c = GetParam();
    const auto refusal = ArchiveJudge(c.members, Small());
    if (!c.member) {
        EXPECT_FALSE(refusal) << refusal->Text();
        return;
    }
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->strMember, c.member);
    EXPECT_NE(refusal->strRule.find(c.rule), std::string::npos) << refusal->strRule;
    EXPECT_NE(refusal->Text().find(c.member), std::string::npos);
}

SArchiveMember Encrypted() {
    SArchiveMember m = File("secret.bin");
    m.fEncrypted = true;
    return m;
}

const Case kCases[] = {
    {"plain", {File("BupInfo2.xml"), File("image.bin"), File("dir/", 0, 0, K::eDirectory)}, nullptr, ""},
    {"dots_inside_names", {File("..bin"), File("a..b/c..")}, nullptr, ""},
    {"limits_reached_exactly", {File("big.bin", 1000, 100), File("bupinfo2.XML", 100, 10)}, nullptr, ""},
    {"empty_member", {File("empty.bin", 0, 0)}, nullptr, ""},
    {"parent", {File("ok.bin"), File("../evil.bin")}, "../evil.bin", "'..' component"},
    {"parent_inside", {File("a/../../evil.bin")}, "a/../../evil.bin", "'..' component"},
    {"parent_last", {File("a/..")}, "a/..", "'..' component"},
    {"parent_backslash", {File("a\\..\\evil.bin")}, "a\\..\\evil.bin", "'..' component"},
    {"absolute", {File("/etc/cron.d/x")}, "/etc/cron.d/x", "absolute"},
    {"empty_name", {File("")}, "", "empty"},
    {"link", {File("image.bin", 11, 11, K::eLink)}, "image.bin", "symbolic link"},
    {"device", {File("dev", 0, 0, K::eSpecial)}, "dev", "not a regular file"},
    {"encrypted", {Encrypted()}, "secret.bin", "encrypted"},
    {"case_collision", {File("Image.bin"), File("image.BIN")}, "image.BIN", "collides with 'Image.bin'"},
    {"twice", {File("a.bin"), File("a.bin")}, "a.bin", "twice"},
    {"folder_and_file", {File("x/", 0, 0, K::eDirectory), File("X")}, "X", "collides"},
    {"member_too_big", {File("big.bin", 1001, 1000)}, "big.bin", "1001 bytes, more than the limit of 1000"},
    {"description_too_big", {File("BUPINFO2.xml", 101, 100)}, "BUPINFO2.xml", "package description is 101 bytes"},
    {"ratio", {File("zeros.bin", 101, 10)}, "zeros.bin", "more than the limit of 10 times"},
    {"ratio_nothing_packed", {File("zeros.bin", 11, 0)}, "zeros.bin", "more than the limit of 10 times"},
    {"too_many", {File("a"), File("b"), File("c"), File("d")}, "", "holds 4 members, more than the limit of 3"},
};

INSTANTIATE_TEST_SUITE_P(ArchiveJudge, ArchiveJudgeRules, testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.what); });

}  // namespace
