#include "support/time_type.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

TEST(CTime, LocalConstructionHoldsInAndOutOfDaylightSaving) {
    std::optional<std::string> oldZone;
    if (const char* tz = getenv("TZ"))
        oldZone = tz;
    setenv("TZ", "Europe/Berlin", 1);
    tzset();
    for (int month : {12, 7}) {
        CTime t(2024, month, 31, 23, 59, 58);
        EXPECT_STREQ(t.Format("%m-%d-%Y %H%M%S"), month == 12 ? "12-31-2024 235958" : "07-31-2024 235958");
        EXPECT_STREQ(t.FormatGmt("%H"), month == 12 ? "22" : "21");
    }
    oldZone ? setenv("TZ", oldZone->c_str(), 1) : unsetenv("TZ");
    tzset();
}

TEST(CTime, ArithmeticAndSpanFormat) {
    CTime a(1000), b(4000);
    CTimeSpan d = b - a;
    EXPECT_EQ(d.GetTotalSeconds(), 3000);
    EXPECT_TRUE(a + d == b);
    EXPECT_TRUE(b - d == a);
    EXPECT_STREQ(a.Format(std::string(200, 'x').c_str()), "");  // too long for the buffer

    CTimeSpan s(2, 3, 4, 5);
    EXPECT_EQ(s.GetTotalHours(), 51);
    EXPECT_STREQ(s.Format("%D days %H:%M:%S %% %q"), "2 days 03:04:05 % q");
}
