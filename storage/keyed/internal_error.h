// Structural faults of a data file end in the runtime-error box with
// "Internal error : sdfbt line N". Checkers and fuzzers can instead run code
// under a guard that turns such a fault into a returned line number.
#pragma once

#include <functional>
#include <string>

namespace linkar::keyed {

// Raises the internal error for the check at `line` of the source `file`:
// inside runGuarded() it unwinds to the guard; otherwise it writes the file
// and line to standard error (the box names only the line, which several
// files share), shows the runtime error and ends the program.
[[noreturn]] void internalError(const char* file, int line);

// Runs `body`; returns 0 when it completes, or the line number of the first
// structural fault it met. Guards may nest; the fault unwinds to the innermost.
int runGuarded(const std::function<void()>& body);

// True while some runGuarded() is active on this thread.
bool guardActive();

// The text shown for an internal error at `line`.
std::string internalErrorText(int line);

}  // namespace linkar::keyed

// Structural check: on failure, the internal error with this source line.
#define SDFBT_CHECK(cond)                                             \
  do {                                                                \
    if (!(cond)) ::linkar::keyed::internalError(__FILE__, __LINE__);  \
  } while (false)
