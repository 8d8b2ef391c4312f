// Clock readings from the system's monotonic and real-time clocks.

#include "platform/clock.h"

#include <time.h>

#include <cerrno>

namespace linkar::platform {

namespace {
constexpr std::int64_t kNanosPerMilli = 1000000;     // nanoseconds in a millisecond
constexpr std::int64_t kNanosPerHundredth = 10000000;  // nanoseconds in a hundredth
}  // namespace

std::int64_t monotonicMilliseconds() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / kNanosPerMilli;
}

std::int32_t timeOfDayHundredths() {
  timespec ts{};
  ::clock_gettime(CLOCK_REALTIME, &ts);
  time_t seconds = ts.tv_sec;
  tm local{};
  ::localtime_r(&seconds, &local);
  // A leap second (tm_sec 60) still stays inside the day.
  std::int32_t value = ((local.tm_hour * 60 + local.tm_min) * 60 + local.tm_sec) * 100 +
                       static_cast<std::int32_t>(ts.tv_nsec / kNanosPerHundredth);
  return value < kHundredthsPerDay ? value : kHundredthsPerDay - 1;
}

CalendarDate today() {
  time_t now = ::time(nullptr);
  tm local{};
  ::localtime_r(&now, &local);
  return CalendarDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

void sleepMilliseconds(std::int64_t ms) {
  if (ms <= 0) return;
  timespec request{static_cast<time_t>(ms / 1000), static_cast<long>((ms % 1000) * kNanosPerMilli)};
  timespec remaining{};
  while (::nanosleep(&request, &remaining) != 0 && errno == EINTR) request = remaining;
}

}  // namespace linkar::platform
