#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "assessment/assessment_wire.h"

namespace {

// Every value field distinct in every byte, so a field at the wrong offset or
// in the wrong byte order shows.
CBupAssessmentEx Known() {
    CBupAssessmentEx a;
    a.m_ArcType = CArcType::eArcTypeArchive;
    a.m_csName = "name-must-not-travel.bup";
    a.m_csBiosVer = "R9.9";
    a.m_Usability = CBupUsability::USABILITY_INCOMPATIBLE_VERSION;  // -3
    a.m_Consistency = CBupConsistency::CONSISTENCY_COMPLETE_VALID;  // 2
    a.m_confirmflags = CConfirmFlags(0x8A);
    a.m_BuildTime = CTime(time_t(0x0011223344556677));
    a.m_UsageFlags = CUsageFlags(0x1A5);
    return a;
}

// The layout table, row by row.
const std::array<uint8_t, 72> kKnownBlock = {
    0, 0, 0, 0, 0, 0, 0, 0,                          // 0: header
    0x01, 0x00, 0x00, 0x00,                          // 8: archive type
    0, 0, 0, 0,                                      // 12: padding
    0, 0, 0, 0, 0, 0, 0, 0,                          // 16: name slot
    0, 0, 0, 0, 0, 0, 0, 0,                          // 24: BIOS version slot
    0xFD, 0xFF, 0xFF, 0xFF,                          // 32: usability
    0x02, 0x00, 0x00, 0x00,                          // 36: consistency
    0x8A, 0x00, 0x00, 0x00,                          // 40: confirm flags
    0, 0, 0, 0,                                      // 44: padding
    0x77, 0x66, 0x55, 0x44, 0x33, 0x22, 0x11, 0x00,  // 48: build time
    0xA5, 0x01, 0x00, 0x00,                          // 56: usage flags
    0, 0, 0, 0,                                      // 60: padding
    0, 0, 0, 0, 0, 0, 0, 0,                          // 64: a string slot, always empty
};

TEST(AssessmentWire, EncodesTheLayoutTableAndDecodesItBack) {
    EXPECT_EQ(EncodeAssessmentEx(Known()), kKnownBlock);
    const auto plain = EncodeAssessment(Known());
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), kKnownBlock.begin()));

    std::vector<CBupAssessmentEx> cases(3);
    cases[0] = Known();
    cases[1].m_Usability = CBupUsability::E_BUPINFO_USABILITY_INVALID_FILE_FOR_FULL_UPDATE;
    cases[1].m_BuildTime = CTime(time_t(-86400));  // before 1970: the sign must survive
    cases[1].m_confirmflags = CConfirmFlags(0xFFFFFFFF);
    cases[1].m_UsageFlags = CUsageFlags(0xFFFFFFFF);
    cases[2].m_ArcType = static_cast<CArcType::E_ARC_TYPE>(7);  // passed on, not judged
    cases[2].m_Consistency = static_cast<CBupConsistency::e_consistency>(-100);

    for (const CBupAssessmentEx& want : cases) {
        const auto block = EncodeAssessmentEx(want);
        CBupAssessmentEx got;
        got.m_csName = "from the strings";
        ASSERT_TRUE(DecodeAssessmentEx(block.data(), block.size(), got));
        EXPECT_EQ(got.m_ArcType, want.m_ArcType);
        EXPECT_EQ(got.m_Usability, want.m_Usability);
        EXPECT_EQ(got.m_Consistency, want.m_Consistency);
        EXPECT_EQ(got.m_confirmflags, want.m_confirmflags);
        EXPECT_EQ(got.m_BuildTime, want.m_BuildTime);
        EXPECT_EQ(got.m_UsageFlags, want.m_UsageFlags);
        EXPECT_EQ(got.Name(), "from the strings");  // the block carries no texts
    }
}

TEST(AssessmentWire, ShortInputFailsAndLeavesTheTargetAlone) {
    const auto block = EncodeAssessmentEx(Known());
    CBupAssessmentEx out;
    out.m_Usability = CBupUsability::USABILITY_MAJOR_VERSION;
    EXPECT_FALSE(DecodeAssessment(nullptr, 72, out));
    EXPECT_FALSE(DecodeAssessment(block.data(), 55, out));
    EXPECT_FALSE(DecodeAssessmentEx(block.data(), 71, out));
    EXPECT_EQ(out.m_Usability, CBupUsability::USABILITY_MAJOR_VERSION);
    EXPECT_TRUE(out.m_UsageFlags.IsEmpty());

    // An extended block is long enough for the plain form.
    CBupAssessment plain;
    EXPECT_TRUE(DecodeAssessment(block.data(), 71, plain));
    EXPECT_EQ(plain.m_Usability, CBupUsability::USABILITY_INCOMPATIBLE_VERSION);
}

}  // namespace
