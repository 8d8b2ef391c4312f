// Day numbers and calendar dates. The arithmetic counts days from 1 March of
// year 0 in 400-year eras, which keeps leap days at the end of each year.
#include "runtime/date.h"

#include <ctime>
#include <sys/time.h>

namespace linkar::runtime {
namespace {

// Days in each month of a common year.
constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
// Days in a 400-year Gregorian era.
constexpr std::int64_t kDaysPerEra = 146097;

// Days from 1 March of year 0 to the given date (proleptic Gregorian).
constexpr std::int64_t daysFromEpoch(int year, int month, int day) {
  const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
  const std::int64_t era = y / 400;  // years here are never negative
  const std::int64_t yearOfEra = y - era * 400;
  const std::int64_t monthFromMarch = month > 2 ? month - 3 : month + 9;
  const std::int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * kDaysPerEra + dayOfEra;
}

constexpr std::int64_t kEpochOffset = daysFromEpoch(1801, 1, 1) - kFirstDayNumber;
constexpr std::int64_t kLastDayNumber = daysFromEpoch(kLastYear, 12, 31) - kEpochOffset;

}  // namespace

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
  if (month < 1 || month > 12) return 0;
  return kMonthDays[month - 1] + (month == 2 && isLeapYear(year) ? 1 : 0);
}

std::int32_t composeDate(int year, int month, int day) {
  if (year >= 0 && year < kCenturyCutoff) year += 1900;
  if (year < 1801 || year > kLastYear) return kInvalidDate;
  if (month < 1 || month > 12) return kInvalidDate;
  if (day < 1 || day > daysInMonth(year, month)) return kInvalidDate;
  return static_cast<std::int32_t>(daysFromEpoch(year, month, day) - kEpochOffset);
}

bool decomposeDate(std::int32_t dayNumber, CalendarDate& out) {
  if (dayNumber < 1 || dayNumber > kLastDayNumber) return false;
  const std::int64_t z = dayNumber + kEpochOffset;
  const std::int64_t era = z / kDaysPerEra;
  const std::int64_t dayOfEra = z - era * kDaysPerEra;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  const int month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
  const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
  out = CalendarDate{year, month, day};
  return true;
}

std::int32_t todayDayNumber() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return composeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

std::int32_t clockTimeValue() {
  timeval tv{};
  gettimeofday(&tv, nullptr);
  std::tm local{};
  const std::time_t seconds = tv.tv_sec;
  localtime_r(&seconds, &local);
  const std::int32_t secondsOfDay = local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec;
  return 1 + secondsOfDay * 100 + static_cast<std::int32_t>(tv.tv_usec / 10000);
}

}  // namespace linkar::runtime
