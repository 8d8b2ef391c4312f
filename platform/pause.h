// Waiting for something another open holds. Every wait of the runtime and
// its drivers (a lock another open holds, a reader slot a writer blocks) is
// a loop of one try and one pause, never a blocking system call, so that the
// caller decides what a pause does: by default it sleeps; the window engine
// makes it give the procedure thread's turn to the others and to the event
// loop, so a wait never freezes the desktop and a wait for another thread of
// the same process cannot deadlock.
#pragma once

#include <cstdint>
#include <functional>

namespace linkar::platform {

// Pause between two tries: long enough not to spin a core.
inline constexpr std::int64_t kRetryPauseMilliseconds = 10;
// A retry loop that waits without a time limit.
inline constexpr std::int64_t kWaitForever = -1;

// What a pause does; receives the milliseconds to wait at least.
using PauseHandler = std::function<void(std::int64_t milliseconds)>;

// Installs handler (empty: sleep) and returns the one it replaces.
PauseHandler setPauseHandler(PauseHandler handler);

// One pause of at least `milliseconds` through the installed handler.
void pauseBetweenTries(std::int64_t milliseconds = kRetryPauseMilliseconds);

// Calls attempt() until it returns something other than `busy`, pausing
// between tries, and returns that. With limitMilliseconds >= 0 it gives up
// with `busy` once the monotonic clock has passed that many milliseconds
// after the first try (so a limit of 0 means one try, then one more at most).
int retryWhileBusy(const std::function<int()>& attempt, int busy,
                   std::int64_t limitMilliseconds = kWaitForever);

}  // namespace linkar::platform
