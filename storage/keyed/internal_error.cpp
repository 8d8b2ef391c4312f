// Internal errors of the keyed file: the runtime-error box, or an unwind to
// the innermost guard when a checker is walking a file it does not trust.
#include "storage/keyed/internal_error.h"

#include "runtime/runtime_error.h"

namespace linkar::keyed {
namespace {

// Thrown only between internalError() and runGuarded(), both in this module.
struct StructuralFault {
  int line;
};

thread_local int t_guardDepth = 0;

}  // namespace

std::string internalErrorText(int line) {
  return "Internal error : sdfbt line " + std::to_string(line);
}

void internalError(int line) {
  if (t_guardDepth > 0) throw StructuralFault{line};
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
