// Crash-point enumeration over the platform layer's fault injection.

#include "tests/support/crash_points.h"

#include "platform/fault_injection.h"

namespace linkar::test {

namespace faults = linkar::platform::faults;

std::string CrashPoint::describe() const {
  return std::string("crash at ") + (atFlush ? "flush " : "write ") + std::to_string(n);
}

CrashPointCounts countCrashPoints(const std::function<void()>& work) {
  faults::FaultScope scope;
  faults::armFault(faults::Fault::None, 0);
  work();
  return CrashPointCounts{faults::writesSinceArmed(), faults::flushesSinceArmed()};
}

long forEachCrashPoint(const std::function<void()>& prepare, const std::function<void()>& work,
                       const std::function<void(const CrashPoint&)>& check) {
  prepare();
  CrashPointCounts counts = countCrashPoints(work);
  long visited = 0;
  for (int atFlush = 0; atFlush < 2; ++atFlush) {
    long points = atFlush ? counts.flushes : counts.writes;
    for (long n = 1; n <= points; ++n) {
      CrashPoint point{atFlush != 0, n};
      prepare();
      {
        faults::FaultScope scope;
        faults::armFault(atFlush ? faults::Fault::CrashAtFlush : faults::Fault::CrashAtWrite, n);
        work();
      }
      check(point);
      ++visited;
    }
  }
  return visited;
}

}  // namespace linkar::test
