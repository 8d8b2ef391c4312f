// Internal errors of the keyed file: the runtime-error box, or an unwind to
// the innermost guard when a checker is walking a file it does not trust.
#include "storage/keyed/internal_error.h"

#include <cstdio>
#include <string_view>

#include "runtime/runtime_error.h"

namespace linkar::keyed {
namespace {

// Thrown only between internalError() and runGuarded(), both in this module.
struct StructuralFault {
  int line;
};

thread_local int t_guardDepth = 0;

// The folder in which every checked source lives; a compiler's file name is
// cut to start there, so the message reads the same on every machine.
constexpr std::string_view kSourceRoot = "storage/";

std::string_view sourceName(std::string_view file) {
  const std::size_t at = file.rfind(kSourceRoot);
  return at == std::string_view::npos ? file : file.substr(at);
}

}  // namespace

std::string internalErrorText(int line) {
  return "Internal error : sdfbt line " + std::to_string(line);
}

void internalError(const char* file, int line) {
  if (t_guardDepth > 0) throw StructuralFault{line};
  const std::string_view source = sourceName(file);
  std::fprintf(stderr, "sdfbt: internal error at %.*s:%d\n", static_cast<int>(source.size()), source.data(),
               line);
  std::fflush(stderr);
  runtime::raiseRuntimeError(0, internalErrorText(line));
}

bool guardActive() { return t_guardDepth > 0; }

int runGuarded(const std::function<void()>& body) {
  ++t_guardDepth;
  int line = 0;
  try {
    body();
  } catch (const StructuralFault& fault) {
    line = fault.line;
  }
  --t_guardDepth;
  return line;
}

}  // namespace linkar::keyed
