// The batch loop.
//
// Events of the progress window:
//   EVENT:OpenWindow  first item read; none: cancelled, the window closes
//   EVENT:Timer       one portion: process the item and read the next,
//                     until the budget is spent or the items end; the end
//                     completes (percentage line "Process Completed", close)
//   "Cancel"          cancelled, the window closes; what was done stays
// The local response is completed only once the last item has been read.
#include "transfer/batch_loop.h"

#include <algorithm>
#include <cstdio>

#include "app/procedure_frame.h"
#include "ui/statements.h"

namespace linkar::transfer {
namespace {

constexpr const char* kPercentUse = "PercentText";
constexpr const char* kActivityUse = "ActivityText";
constexpr const char* kProgressUse = "ProgressBar";
constexpr const char* kCancelUse = "Cancel";
constexpr int kFullPercent = 100;

PortionBudget g_budget;
BatchTimings g_lastTimings;

using Clock = std::chrono::steady_clock;

// The percentage line: the percent in three places, right-aligned (@N3).
std::string percentLine(int percent) {
  char text[32];
  std::snprintf(text, sizeof text, "%3d%% Completed", percent);
  return text;
}

}  // namespace

void setPortionBudget(PortionBudget budget) { g_budget = budget; }
PortionBudget portionBudget() { return g_budget; }
BatchTimings lastBatchTimings() { return g_lastTimings; }

BatchLoop::BatchLoop(app::ProcedureFrame& frame, BatchWindow window) : m_frame(frame), m_window(std::move(window)) {}

bool BatchLoop::run(BatchWork& work) {
  m_total = work.total();
  m_handle = m_frame.openWindow(m_window.label);
  if (ui::Window* w = ui::engine().window(m_handle)) {
    w->setTitle(m_window.caption);
    w->setText(w->fieldOf(kPercentUse), percentLine(0));
    w->setText(w->fieldOf(kActivityUse), m_window.activity);
  }
  ui::display();
  while (ui::acceptEvent()) {
    if (m_ended) continue;
    switch (ui::event()) {
      case ui::Event::OpenWindow:
        opened(work);
        break;
      case ui::Event::Timer:
        tick(work);
        break;
      case ui::Event::Accepted:
        if (ui::Window* w = ui::engine().window(m_handle); w && ui::field() == w->fieldOf(kCancelUse)) {
          m_completed = false;
          m_ended = true;
          ui::post(ui::Event::CloseWindow);
        }
        break;
      default:
        break;
    }
  }
  g_lastTimings = m_timings;
  return m_completed;
}

void BatchLoop::opened(BatchWork& work) {
  BatchRead read = work.first();
  if (!read.ok) {
    m_completed = false;
    m_ended = true;
    ui::post(ui::Event::CloseWindow);
    return;
  }
  counted(read);
}

void BatchLoop::tick(BatchWork& work) {
  const Clock::time_point start = Clock::now();
  int64_t size = 0;
  work.beginPortion();
  for (;;) {
    work.process();
    BatchRead read = work.next();
    if (!read.ok) {
      m_completed = true;
      break;
    }
    counted(read);
    size += read.size;
    if (size >= g_budget.size && Clock::now() - start >= g_budget.time) break;
  }
  work.endPortion();
  auto took = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
  ++m_timings.ticks;
  m_timings.longestTick = std::max(m_timings.longestTick, took);
  if (m_completed) complete();
}

void BatchLoop::counted(const BatchRead& read) {
  m_done += read.size;
  if (m_percent >= kFullPercent || m_total <= 0) return;
  m_percent = static_cast<int>(std::min<int64_t>(m_done * kFullPercent / m_total, kFullPercent));
  if (m_percent != m_percentShown) {
    m_percentShown = m_percent;
    showPercent();
  }
}

void BatchLoop::showPercent() {
  ui::Window* w = ui::engine().window(m_handle);
  if (!w) return;
  w->setText(w->fieldOf(kPercentUse), percentLine(m_percent));
  w->state(w->fieldOf(kProgressUse)).progress = m_percent;
  ui::display();
}

void BatchLoop::complete() {
  m_ended = true;
  ui::Window* w = ui::engine().window(m_handle);
  if (w && !m_window.completed.empty()) {
    w->setText(w->fieldOf(kPercentUse), m_window.completed);
    ui::display();
  }
  ui::post(ui::Event::CloseWindow);
}

}  // namespace linkar::transfer
