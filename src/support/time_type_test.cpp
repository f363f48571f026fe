#include "support/time_type.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {
// Runs a test body under a time zone with daylight saving, then restores it.
class ZoneGuard {
public:
    explicit ZoneGuard(const char* tz) {
        if (const char* old = getenv("TZ")) {
            m_had = true;
            m_old = old;
        }
        setenv("TZ", tz, 1);
        tzset();
    }
    ~ZoneGuard() {
        if (m_had)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool m_had = false;
    std::string m_old;
};
}  // namespace

TEST(CTime, LocalConstructionHoldsInAndOutOfDaylightSaving) {
    ZoneGuard zone("Europe/Berlin");
    for (int month : {12, 7}) {
        CTime t(2024, month, 31, 23, 59, 58);
        EXPECT_EQ(t.GetYear(), 2024);
        EXPECT_EQ(t.GetMonth(), month);
        EXPECT_EQ(t.GetHour(), 23);
        EXPECT_EQ(t.GetMinute(), 59);
        EXPECT_EQ(t.GetSecond(), 58);
    }
    CTime t(2024, 12, 31, 23, 59, 58);
    EXPECT_STREQ(t.Format("%m-%d-%Y %H%M%S"), "12-31-2024 235958");
    EXPECT_STREQ(t.FormatGmt("%H"), "22");
}

TEST(CTime, ArithmeticAndOverlongFormat) {
    CTime a(1000), b(4000);
    CTimeSpan d = b - a;
    EXPECT_EQ(d.GetTotalSeconds(), 3000);
    EXPECT_TRUE(a + d == b);
    EXPECT_TRUE(b - d == a);
    EXPECT_TRUE(a < b);
    std::string longFormat(200, 'x');
    EXPECT_STREQ(a.Format(longFormat.c_str()), "");
}

TEST(CTimeSpan, PartsAndFormat) {
    CTimeSpan s(2, 3, 4, 5);
    EXPECT_EQ(s.GetDays(), 2);
    EXPECT_EQ(s.GetHours(), 3);
    EXPECT_EQ(s.GetMinutes(), 4);
    EXPECT_EQ(s.GetSeconds(), 5);
    EXPECT_EQ(s.GetTotalHours(), 51);
    EXPECT_STREQ(s.Format("%D days %H:%M:%S %% %q"), "2 days 03:04:05 % q");
}
