// The message trace, written through a sink chosen by the caller or by the
// LINKAR_EVENT_TRACE environment variable.

#include "ui/event_trace.h"

#include <cstdlib>
#include <cstring>

#include "ui/event_codes.h"

namespace linkar::ui {

EventTrace::EventTrace() {
  const char* target = std::getenv("LINKAR_EVENT_TRACE");
  if (!target || !*target) return;
  std::FILE* out = stderr;
  if (std::strcmp(target, "-") != 0) {
    m_file = std::fopen(target, "a");
    if (!m_file) return;  // a trace that cannot be written is simply off
    out = m_file;
  }
  m_sink = [out](std::string_view line) {
    std::fprintf(out, "%.*s\n", static_cast<int>(line.size()), line.data());
    std::fflush(out);
  };
}

EventTrace::~EventTrace() {
  if (m_file) std::fclose(m_file);
}

std::string EventTrace::format(int threadNumber, std::string_view label, int event, int field) {
  std::string name(eventName(event));
  if (name.empty()) name = "EVENT:" + std::to_string(event);
  return "thread " + std::to_string(threadNumber) + " " + std::string(label) + " " + name +
         " field " + std::to_string(field);
}

void EventTrace::delivered(int threadNumber, std::string_view label, int event, int field) {
  if (m_sink) m_sink(format(threadNumber, label, event, field));
}

void EventTrace::note(std::string_view line) {
  if (m_sink) m_sink(line);
}

}  // namespace linkar::ui
