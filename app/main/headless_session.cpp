// The headless session of a command.
#include "headless_session.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include <unistd.h>

#include "app/catalogue.h"
#include "platform/clock.h"
#include "runtime/runtime_error.h"
#include "ui/headless/test_driver.h"
#include "ui/key_codes.h"

namespace linkar::app::cli {
namespace {

// Timer rounds between two looks at the progress window.
constexpr int kRoundsPerLook = 20;
constexpr std::string_view kPercentUse = "PercentText";

void printMessage(const ui::Window& box) {
  std::fprintf(stderr, "%s:", box.title().c_str());
  for (const std::string& line : ui::TestDriver::messageLines(box)) std::fprintf(stderr, " %s", line.c_str());
  std::fprintf(stderr, "\n");
}

// The percentage line of the open progress window, if any.
std::string progressText(ui::TestDriver& d) {
  for (ui::Window* w : d.windows())
    if (w->timer() > 0 && w->fieldOf(kPercentUse) != 0) return ui::TestDriver::text(*w, kPercentUse);
  return {};
}

class ProgressLine {
 public:
  ProgressLine() : m_shown(::isatty(STDERR_FILENO) == 1) {}
  ~ProgressLine() { clear(); }
  void show(const std::string& text) {
    if (!m_shown || text.empty() || text == m_last) return;
    std::fprintf(stderr, "\r%s", text.c_str());
    m_last = text;
  }
  void clear() {
    if (!m_last.empty()) std::fprintf(stderr, "\r%*s\r", static_cast<int>(m_last.size()), "");
    m_last.clear();
  }

 private:
  bool m_shown;
  std::string m_last;
};

// Presses the answer of the first answered window that is open.
bool answerWindow(ui::TestDriver& d, const std::vector<WindowAnswer>& answers) {
  for (const WindowAnswer& a : answers)
    if (ui::Window* w = d.find(a.label)) return d.press(*w, a.button);
  return false;
}

}  // namespace

SessionOutcome runHeadless(ui::Procedure procedure, int stackBytes, const std::string& fileName,
                           const std::vector<WindowAnswer>& answers) {
  ui::TestDriver d(programCatalogue());
  ProgressLine progress;
  // As on the desktop, the procedure runs inside the application frame:
  // the windows it calls (a lookup) are the frame's children.
  d.startFrame();
  d.start(std::move(procedure), stackBytes);
  for (;;) {
    if (d.ended()) break;
    if (d.fileDialog()) {
      d.chooseFile(fileName);
      continue;
    }
    if (ui::Window* box = d.messageBox()) {
      progress.clear();
      printMessage(*box);
      d.answerKey(ui::Key::kEnterKey);
      continue;
    }
    if (answerWindow(d, answers)) continue;
    bool quiet = d.run(kRoundsPerLook);
    progress.show(progressText(d));
    if (!quiet || d.messageBox() || d.fileDialog()) continue;
    // A thread waiting for what another process holds (a lock) goes on by
    // itself: wait for it. Otherwise every thread waits for the user.
    auto wakeUp = d.engine().scheduler().nextWakeUp();
    if (!wakeUp) break;
    platform::sleepMilliseconds(std::max<std::int64_t>(*wakeUp - platform::monotonicMilliseconds(), 0));
  }
  progress.clear();
  return {d.ended(), runtime::runtimeErrorHappened()};
}

}  // namespace linkar::app::cli
