// The opt-in message trace: one line per event handed to a procedure, with
// the thread, the window's label, the event's name and the field number.
// Set LINKAR_EVENT_TRACE to a file name ("-" for standard error) to enable
// it for a whole run, or give the engine a sink.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace linkar::ui {

class EventTrace {
 public:
  using Sink = std::function<void(std::string_view line)>;

  EventTrace();
  ~EventTrace();
  EventTrace(const EventTrace&) = delete;
  EventTrace& operator=(const EventTrace&) = delete;

  void setSink(Sink sink) { m_sink = std::move(sink); }
  bool enabled() const { return static_cast<bool>(m_sink); }

  // "thread 2 ITEMS$LIST EVENT:Accepted field 2"
  static std::string format(int threadNumber, std::string_view label, int event, int field);
  void delivered(int threadNumber, std::string_view label, int event, int field);
  void note(std::string_view line);

 private:
  Sink m_sink;
  std::FILE* m_file = nullptr;
};

}  // namespace linkar::ui
