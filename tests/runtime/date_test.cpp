// Day numbers: the fixed origin, the Gregorian leap rules, the two-digit year
// rule and the round trip through composing and decomposing.
#include "runtime/date.h"

#include <gtest/gtest.h>

namespace linkar::runtime {
namespace {

TEST(DayNumbers, OriginAndKnownDates) {
    EXPECT_EQ(composeDate(1801, 1, 1), 4);
    EXPECT_EQ(composeDate(1801, 1, 2), 5);
    EXPECT_EQ(composeDate(1802, 1, 1), 4 + 365);
    // 1900 is not a leap year, 2000 is.
    EXPECT_EQ(composeDate(1900, 3, 1) - composeDate(1900, 2, 28), 1);
    EXPECT_EQ(composeDate(2000, 3, 1) - composeDate(2000, 2, 28), 2);
    EXPECT_EQ(composeDate(1997, 1, 5), composeDate(97, 1, 5));
}

TEST(DayNumbers, InvalidDatesGiveMinusOne) {
    EXPECT_EQ(composeDate(1900, 2, 29), kInvalidDate);
    EXPECT_EQ(composeDate(1997, 13, 1), kInvalidDate);
    EXPECT_EQ(composeDate(1997, 0, 1), kInvalidDate);
    EXPECT_EQ(composeDate(1997, 4, 31), kInvalidDate);
    EXPECT_EQ(composeDate(1997, 4, 0), kInvalidDate);
    EXPECT_EQ(composeDate(1800, 12, 31), kInvalidDate);
    EXPECT_EQ(composeDate(10000, 1, 1), kInvalidDate);
    EXPECT_NE(composeDate(2000, 2, 29), kInvalidDate);
}

TEST(DayNumbers, DecomposeInvertsComposeAcrossTheRange) {
    int checked = 0;
    for (int year : {1801, 1899, 1900, 1904, 1999, 2000, 2024, 2100, 9999}) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= daysInMonth(year, month); ++day) {
                const std::int32_t n = composeDate(year, month, day);
                CalendarDate out;
                ASSERT_TRUE(decomposeDate(n, out)) << year << "-" << month << "-" << day;
                ASSERT_EQ(out.year, year);
                ASSERT_EQ(out.month, month);
                ASSERT_EQ(out.day, day);
                ++checked;
            }
        }
    }
    EXPECT_GT(checked, 3000);
    CalendarDate out;
    EXPECT_FALSE(decomposeDate(0, out));
    EXPECT_FALSE(decomposeDate(-5, out));
    EXPECT_FALSE(decomposeDate(composeDate(9999, 12, 31) + 1, out));
    // Day numbers below 4 are the last days of 1800.
    ASSERT_TRUE(decomposeDate(1, out));
    EXPECT_EQ(out.year, 1800);
    EXPECT_EQ(out.month, 12);
    EXPECT_EQ(out.day, 29);
}

TEST(DayNumbers, TodayAndClockAreInRange) {
    CalendarDate today;
    ASSERT_TRUE(decomposeDate(todayDayNumber(), today));
    EXPECT_GE(today.year, 2020);
    const std::int32_t now = clockTimeValue();
    EXPECT_GE(now, 1);
    EXPECT_LE(now, kTimeUnitsPerDay);
}

}  // namespace
}  // namespace linkar::runtime
