// The pause between two tries, and the retry loop every wait is built on.

#include "platform/pause.h"

#include <utility>

#include "platform/clock.h"

namespace linkar::platform {
namespace {

PauseHandler& handler() {
  static PauseHandler installed;
  return installed;
}

}  // namespace

PauseHandler setPauseHandler(PauseHandler next) { return std::exchange(handler(), std::move(next)); }

void pauseBetweenTries(std::int64_t milliseconds) {
  if (handler())
    handler()(milliseconds);
  else
    sleepMilliseconds(milliseconds);
}

int retryWhileBusy(const std::function<int()>& attempt, int busy, std::int64_t limitMilliseconds) {
  const std::int64_t first = monotonicMilliseconds();
  for (;;) {
    const int rc = attempt();
    if (rc != busy) return rc;
    if (limitMilliseconds >= 0 && monotonicMilliseconds() > first + limitMilliseconds) return busy;
    pauseBetweenTries();
  }
}

}  // namespace linkar::platform
