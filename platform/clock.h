// The runtime's clocks: a monotonic millisecond clock for timeouts and
// intervals, the time of day in hundredths of a second since midnight, and
// today's date, both in the local time zone.
#pragma once

#include <cstdint>

namespace linkar::platform {

// Hundredths of a second in one day.
inline constexpr std::int32_t kHundredthsPerDay = 24 * 60 * 60 * 100;

// Milliseconds on a clock that never goes back; its zero is arbitrary.
std::int64_t monotonicMilliseconds();

// Hundredths of a second since local midnight, 0 to kHundredthsPerDay - 1.
std::int32_t timeOfDayHundredths();

struct CalendarDate {
  int year = 0;   // e.g. 2026
  int month = 0;  // 1 to 12
  int day = 0;    // 1 to 31
};

// Today in the local time zone.
CalendarDate today();

// Sleeps at least `ms` milliseconds (nothing for ms <= 0), resuming after
// signals.
void sleepMilliseconds(std::int64_t ms);

}  // namespace linkar::platform
