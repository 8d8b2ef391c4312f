// The scheduling of procedure threads: what each thread waits for, which of
// them can go on, the pause between two tries of a wait, and the program's
// end.
//
// Invariants:
//  1. Threads run only when runReady() resumes them from the home context,
//     and give their turn back only through waitFor() (or by returning).
//  2. A thread waiting for the user goes on once WaitConditions says its
//     wait is over; a paused thread goes on once the monotonic clock has
//     reached its wake-up time. No thread that another thread's system-modal
//     box or file dialog holds back is resumed, whatever it waits for.
//  3. A thread pauses for at least a millisecond, so its wake-up time lies
//     after the moment runReady() began: a thread that keeps pausing is
//     resumed once per runReady() call and cannot keep it from returning.
//  4. Once the program has ended no thread is resumed or started.
//
// Waits of a slot:
//
//   None --waitFor(w)--> w --the wait is over, runReady() resumes--> None
//   None --pause(ms)--> Pause --wake-up time reached, runReady()--> None
//   any --the procedure returns--> Ended
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/pause.h"
#include "ui/backend.h"
#include "ui/procedure_threads.h"

namespace linkar::ui {

// Why a procedure thread is not running.
enum class Wait {
  None,        // running, or not started yet
  Accept,      // its accept loop waits for the next event
  MessageBox,  // a message box waits for the user's answer
  Popup,       // a popup menu waits for the user's choice
  FileDialog,  // a file dialog waits for a name
  Pause,       // between two tries of a wait, until its wake-up time
  Ended,       // its procedure has returned, or the program ended under it
};

// What the scheduler asks the rest of the engine about a waiting thread.
class WaitConditions {
 public:
  // Whether another thread's system-modal box or file dialog holds the slot back.
  virtual bool heldBack(int slot) const = 0;
  // Whether what the slot waits for from the user (Accept, MessageBox,
  // Popup, FileDialog) has come.
  virtual bool waitOver(int slot, Wait wait) const = 0;

 protected:
  ~WaitConditions() = default;
};

class Scheduler {
 public:
  // Installs pause() as the platform's pause handler; `conditions` must
  // outlive the scheduler.
  Scheduler(ProcedureThreads& threads, Backend& backend, const WaitConditions& conditions);
  // Puts back the pause handler that was installed before.
  ~Scheduler();
  Scheduler(const Scheduler&) = delete;
  Scheduler& operator=(const Scheduler&) = delete;

  // ---- inside a procedure thread ----

  // Gives up the thread's turn until the wait is over.
  void waitFor(Wait wait);
  // The pause between two tries: inside a procedure thread it gives the
  // turn to the others for at least `milliseconds`; in the home context (no
  // thread running) it sleeps.
  void pause(std::int64_t milliseconds);
  // Ends the program with `code`: through the end handler (by default the
  // runtime's endProgram, which does not return). A handler that returns
  // leaves this thread suspended for good and the program marked as ended.
  [[noreturn]] void endProgram(int code);

  // ---- home context ----

  // Resumes every thread that can go on, until none can. Returns whether
  // any ran.
  bool runReady();
  // The monotonic time at which the first paused thread may go on, or
  // nullopt when no thread is paused.
  std::optional<std::int64_t> nextWakeUp() const;

  // ---- thread life ----

  // A slot taken by START, or freed: nothing to wait for.
  void clear(int slot);
  // The slot's procedure returned; for the main thread the program is over.
  void finished(int slot);

  Wait waitOf(int slot) const { return m_slots[static_cast<size_t>(slot)].wait; }
  // Whether the thread waits for the user (an event, a box, a popup or a
  // file dialog); a paused thread does not.
  bool waitsForUser(int slot) const;

  bool ended() const { return m_ended; }
  int exitCode() const { return m_exitCode; }
  void setEndHandler(std::function<void(int)> handler) { m_endHandler = std::move(handler); }

 private:
  struct SlotWait {
    Wait wait = Wait::None;
    std::int64_t wakeUp = 0;  // monotonic milliseconds, while paused
  };

  bool runnable(int slot) const;
  void markEnded(int code);

  ProcedureThreads& m_threads;
  Backend& m_backend;
  const WaitConditions& m_conditions;
  std::array<SlotWait, ProcedureThreads::kSlots> m_slots{};
  std::int64_t m_roundStart = 0;  // when the running runReady() began
  bool m_ended = false;
  int m_exitCode = 0;
  std::function<void(int)> m_endHandler;
  platform::PauseHandler m_previousPause;
};

}  // namespace linkar::ui
