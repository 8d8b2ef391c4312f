// Running a piece of storage work once for every point where a crash could
// strike it: after each write or flush it makes, the files are restored to
// their last flushed state and a check looks at what survived.
#pragma once

#include <functional>
#include <string>

namespace linkar::test {

struct CrashPoint {
  bool atFlush = false;  // crash instead of the nth flush, else the nth write
  long n = 0;            // counted from 1
  std::string describe() const;
};

struct CrashPointCounts {
  long writes = 0;
  long flushes = 0;
};

// Runs `work` with nothing armed and counts its writes and flushes.
CrashPointCounts countCrashPoints(const std::function<void()>& work);

// For every write and every flush of `work` (as counted by a first run):
// `prepare()` sets the files up afresh, `work()` runs with a crash armed at
// that point (it sees I/O errors from the crash on), the faults are reset,
// then `check(point)` looks at the files (typically: reopen, recover,
// verify). Returns the number of points visited.
long forEachCrashPoint(const std::function<void()>& prepare, const std::function<void()>& work,
                       const std::function<void(const CrashPoint&)>& check);

}  // namespace linkar::test
