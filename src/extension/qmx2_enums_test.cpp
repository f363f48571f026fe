#include "extension/qmx2_enums.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

template <class TEnum>
int32_t ReadBack(const std::string& text) {
    TEnum e;
    e.FromString(text);
    return static_cast<int32_t>(e);
}

}  // namespace

TEST(Qmx2TextEnums, WriteAndReadBack) {
    EXPECT_EQ(ReadBack<COemSetting>("OEM_SETTING_DISABLED"), COemSetting::OEM_SETTING_DISABLED);
    EXPECT_EQ(ReadBack<COemSetting>("oem_setting_disabled"), COemSetting::OEM_SETTING_UNKNOWN);
    EXPECT_EQ(ReadBack<CBupConsistency>("CONSISTENCY_INCOMPLETE_VALID_BY_USER"),
              CBupConsistency::CONSISTENCY_INCOMPLETE_VALID_BY_USER);
    EXPECT_EQ(ReadBack<CBupConsistency>(""), CBupConsistency::CONSISTENCY_UNKNOWN_OR_INVALID);

    // The full-update verdict (-6) is written by name but has never been read back.
    CBupUsability use;
    use = CBupUsability::E_BUPINFO_USABILITY_INVALID_FILE_FOR_FULL_UPDATE;
    EXPECT_EQ(use.ToString(), "E_BUPINFO_USABILITY_INVALID_FILE_FOR_FULL_UPDATE");
    EXPECT_EQ(ReadBack<CBupUsability>(use.ToString()), CBupUsability::USABILITY_EQUAL_VERSION);
    EXPECT_EQ(ReadBack<CBupUsability>("E_BUPINFO_USABILITY_SECURE_PLATFORM_UPDATE_REQUIRED"),
              CBupUsability::E_BUPINFO_USABILITY_SECURE_PLATFORM_UPDATE_REQUIRED);

    CPowerState ps;
    for (int32_t named : {0, 1, 2, 4, 8, 16, 32, 63}) {
        ps = named;
        EXPECT_NE(ps.ToString(), "<unknown>") << named;
        EXPECT_EQ(ReadBack<CPowerState>(ps.ToString()), named);
    }
    ps = CPowerState::BUPINFO_POWER_S0 | CPowerState::BUPINFO_POWER_S3;  // 9
    EXPECT_EQ(ps.ToString(), "<unknown>");
    EXPECT_EQ(ReadBack<CPowerState>("<unknown>"), CPowerState::BUPINFO_POWER_INVALID);
}

TEST(Qmx2NextFileLocation, EveryCombinationReadsBack) {
    for (uint32_t bits = 0; bits < 0x40; ++bits) {
        CNextFileLocation loc, back;
        loc = bits;
        back = 0x3Fu;
        back.FromString(loc.ToString());
        EXPECT_EQ(static_cast<uint32_t>(back), bits) << loc.ToString();
    }
    CNextFileLocation all;
    all = 0x3Fu;
    EXPECT_EQ(all.ToString(),
              "UPD_NEXT_FILE_PREPARE_LOCALLY | UPD_NEXT_FILE_NEWEST | UPD_NEXT_FILE_COMMON_BUP | "
              "UPD_NEXT_FILE_CUR_DIR | UPD_NEXT_FILE_CUR_BUP | UPD_NEXT_FILE_IGNORE_CASE");
}

// Each name is searched from where the previous one of its chain was found, so
// text in another order than ours can lose flags.
TEST(Qmx2NextFileLocation, ReadsByChainedSearch) {
    const struct {
        const char* text;
        uint32_t bits;
    } cases[] = {
        {"UPD_NEXT_FILE_CUR_BUP | UPD_NEXT_FILE_CUR_DIR", 0x02},
        {"UPD_NEXT_FILE_IGNORE_CASE | UPD_NEXT_FILE_PREPARE_LOCALLY", 0x10},
        {"UPD_NEXT_FILE_PREPARE_LOCALLY | UPD_NEXT_FILE_INVALID", 0x00},
        {"UPD_NEXT_FILE_CUR_DIR | UPD_NEXT_FILE_COMMON_BUP", 0x04},
        {"upd_next_file_cur_bup", 0x00},
    };
    for (const auto& c : cases) {
        CNextFileLocation loc;
        loc = 0x3Fu;
        loc.FromString(c.text);
        EXPECT_EQ(static_cast<uint32_t>(loc), c.bits) << c.text;
    }
}
