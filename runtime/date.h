// Day numbers and calendar dates: composing a day number from year, month and
// day, taking one apart again, and today's date as a day number.
#pragma once

#include <cstdint>

namespace linkar::runtime {

// Day number of 1 January 1801; each later day counts one more.
inline constexpr std::int32_t kFirstDayNumber = 4;
// Returned by composeDate for a date that does not exist.
inline constexpr std::int32_t kInvalidDate = -1;
// Highest year a date may have; day numbers past 31 December 9999 are refused.
inline constexpr int kLastYear = 9999;
// Years below this are taken as 1900 + year when composing a date.
inline constexpr int kCenturyCutoff = 100;
// Hundredths of a second in a day: time values run from 1 to this.
inline constexpr std::int32_t kTimeUnitsPerDay = 8640000;

struct CalendarDate {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
};

bool isLeapYear(int year);
int daysInMonth(int year, int month);

// Day number of the given date, or kInvalidDate when the month or day is out of
// range or the year lies outside 1801..9999 (a year below 100 means 1900 + year).
std::int32_t composeDate(int year, int month, int day);

// Splits a day number into its date; false (and `out` untouched) for a day
// number below 1 or past 31 December 9999.
bool decomposeDate(std::int32_t dayNumber, CalendarDate& out);

// Today's date from the local clock, as a day number.
std::int32_t todayDayNumber();

// The local time of day as a time value: 1 + hundredths of a second since
// midnight (0 stands for "no time").
std::int32_t clockTimeValue();

}  // namespace linkar::runtime
