// The runtime-error box: for conditions the program cannot continue from.
// It posts the code, shows "Runtime error" with the message through a
// replaceable handler, runs the registered exit procedures (latest first)
// and ends the program with exit code 2.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace linkar::runtime {

// Caption of the runtime-error box.
constexpr std::string_view kRuntimeErrorCaption = "Runtime error";
// Exit code of a program ended by a runtime error.
constexpr int kRuntimeErrorExitCode = 2;
// Longest error text taken into the message.
constexpr size_t kRuntimeErrorTextMax = 255;

// Shows the box. It may return (the program then ends) or not; it must not
// raise another runtime error.
using RuntimeErrorHandler = std::function<void(std::string_view caption, std::string_view message)>;

// The message of the box for code (0 for none) and an optional extra text:
// the text of code without trailing blanks (at most 255 characters), then
// " : " and the extra text; with no code, the extra text alone. Posts
// nothing.
std::string composeRuntimeErrorMessage(int code, std::string_view extra = {});

// Posts code (when not 0), shows the box, remembers that a runtime error
// happened, runs the exit procedures and exits with code 2.
[[noreturn]] void raiseRuntimeError(int code, std::string_view extra = {});

// Installs the handler that shows the box and returns the one it replaces.
// An empty handler restores the default, which writes
// "Runtime error: <message>" to standard error.
RuntimeErrorHandler setRuntimeErrorHandler(RuntimeErrorHandler handler);

// Whether a runtime error has been raised (exit procedures may ask).
bool runtimeErrorHappened();

// Registers a procedure to run when the program ends through this module;
// they run latest first, each once.
void registerExitProcedure(std::function<void()> procedure);

// Runs the registered exit procedures, latest first, and forgets them.
void runExitProcedures();

// Whether the program is ending (endProgram has begun): exit procedures and
// anything they call may ask, to skip work that only matters to a running
// program.
bool programEnding();

// Marks the program as ending, runs the exit procedures and ends the process
// with exitCode; HALT and STOP end the program through it. Output
// streams of the C library are flushed; static destructors do not run,
// since the program may end from inside a procedure thread.
[[noreturn]] void endProgram(int exitCode);

}  // namespace linkar::runtime
