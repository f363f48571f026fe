#include <gtest/gtest.h>

#include "assessment/bup_assessment.h"

namespace {

// Confirm flags run together in bit order; areas come in display order.
TEST(AssessmentTexts, FlagsAndAreas) {
    const struct { bool fAreas; uint32_t dwFlags; const char* pszText; } rows[] = {
        {false, 0x03, "BiosOverwrite/FileOverwriteBootForUpdate "},
        {false, 0xF4, "BootAfterUpdate FileOverwrite FullUpdate IgnoreAc WarnDialog "},
        {true, 0x013, "BIOS, NVRAM, Logo"},
        {true, 0x042, "Setup Settings"},  // settings replace NVRAM
        {true, 0x004, ""},                // cross update has no area text
        {true, 0x1FF, "BIOS, Setup Settings, Logo, System Data, Passwords, BOOT Order Variables, Debug Code"},
    };
    for (const auto& row : rows) {
        CString out("stale");
        EXPECT_STREQ(row.fAreas ? CUsageFlags(row.dwFlags).AreasToString(out)
                                : CConfirmFlags(row.dwFlags).ToString(out), row.pszText) << row.dwFlags;
    }
}

TEST(BupAssessmentEx, AssignFromPlainAddsBiosAndNvram) {
    CBupAssessment plain;
    plain.m_csName = "a.bup";
    plain.m_confirmflags = CConfirmFlags(0x0A);
    CBupAssessmentEx ex;
    ex.m_UsageFlags = CUsageFlags(CUsageFlags::LogoArea);
    ex = plain;
    EXPECT_EQ(ex.Name(), "a.bup");
    EXPECT_EQ(ex.m_confirmflags, CConfirmFlags(0x0A));
    EXPECT_EQ(ex.m_UsageFlags.Value(), 0x013u);
}

}  // namespace
