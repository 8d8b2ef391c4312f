// The batch loop every long job of the program runs under (the imports,
// the export, the listing reports): a progress window whose timer drives
// the work in portions, so that the window stays responsive and can be
// cancelled. The window shows a progress bar, a percentage line ("  7%
// Completed", rewritten only when the whole percentage changes) and an
// activity line; "Cancel" stops between two portions and keeps what was
// done; the end of the work shows "Process Completed" and closes it.
//
//   LinesWork work(...);                       // a BatchWork
//   ProcedureFrame frame("ImportHTML");
//   BatchLoop loop(frame, {"IMPORTHTML$PROGRESSWINDOW", "Reading File"});
//   bool completed = loop.run(work);
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace linkar::app {
class ProcedureFrame;
}

namespace linkar::transfer {

// One read of the work: whether an item came, and its size in the units of
// BatchWork::total() (bytes of a file, records of a table).
struct BatchRead {
  bool ok = false;
  int64_t size = 0;
};

// The work a batch loop drives, item by item.
class BatchWork {
 public:
  virtual ~BatchWork() = default;
  // How much there is to do, taken once before the first read.
  virtual int64_t total() = 0;
  // On the window's opening: goes to the start and reads the first item.
  virtual BatchRead first() = 0;
  // Handles the current item (it may ask the user, through a message).
  virtual void process() = 0;
  // Reads the next item; not ok at the end (or after a read error the work
  // has reported itself).
  virtual BatchRead next() = 0;
  // Around each portion (one timer tick) of process/next calls.
  virtual void beginPortion() {}
  virtual void endPortion() {}
};

// How big one portion is: a tick ends once it has handled at least `size`
// units and worked at least `time`. The program sizes ticks by time, so a
// fast machine does more per tick and the window still answers in time.
struct PortionBudget {
  int64_t size = 0;
  std::chrono::milliseconds time{10};
};

// The budget every batch loop uses from now on (tests use small ones).
void setPortionBudget(PortionBudget budget);
PortionBudget portionBudget();

// Figures of the last batch loop that ran, for the benchmarks.
struct BatchTimings {
  int64_t ticks = 0;
  std::chrono::microseconds longestTick{0};
};
BatchTimings lastBatchTimings();

struct BatchWindow {
  std::string label;     // the progress window of the catalogue
  std::string activity;  // the activity line, "Reading File"
  std::string caption = "Processing Records";  // the window's title
  std::string completed = "Process Completed";  // the last percentage line; empty: none
};

class BatchLoop {
 public:
  // `frame` is the running procedure's frame; it opens and closes the window.
  BatchLoop(app::ProcedureFrame& frame, BatchWindow window);

  // Opens the window and runs the accept loop until the work ended or was
  // cancelled. Returns true when every item was read (completed).
  bool run(BatchWork& work);

 private:
  void opened(BatchWork& work);
  void tick(BatchWork& work);
  void counted(const BatchRead& read);
  void showPercent();
  void complete();

  app::ProcedureFrame& m_frame;
  BatchWindow m_window;
  int m_handle = 0;
  int64_t m_total = 0;
  int64_t m_done = 0;
  int m_percent = 0;
  int m_percentShown = 0;
  bool m_completed = false;  // the local response
  bool m_ended = false;
  BatchTimings m_timings;
};

}  // namespace linkar::transfer
