// The accept loop and the statements a procedure uses inside it: ACCEPT,
// EVENT(), FIELD(), ACCEPTED(), POST, SELECT, DISPLAY, UPDATE, the
// accept-all pass, KEYCODE() and KEYCHAR(), and the busy cursor. Each
// thread keeps its own loops, current event and last key.
#pragma once

#include <array>
#include <vector>

#include "ui/backend.h"
#include "ui/event_trace.h"
#include "ui/procedure_threads.h"
#include "ui/scheduler.h"
#include "ui/window_registry.h"

namespace linkar::ui {

class AcceptLoop {
 public:
  // Every argument must outlive the loop.
  AcceptLoop(const ProcedureThreads& threads, WindowRegistry& registry, Scheduler& scheduler, Backend& backend,
             EventTrace& trace);
  AcceptLoop(const AcceptLoop&) = delete;
  AcceptLoop& operator=(const AcceptLoop&) = delete;

  // ---- statements: inside procedure threads ----

  // One round of the accept loop: true with the next event current, false
  // when the loop's window has closed (537 when there is no window at all).
  //   while (acceptEvent()) { switch (event()) ... }
  bool acceptEvent();
  int event() const;
  int field() const;
  int accepted() const;
  // POST to the current thread's window, or to thread number `thread`'s.
  void post(int event, int field = 0, int thread = 0);
  // POST to one window by its handle; posting to a report raises 522.
  void postTo(int window, int event, int field = 0);
  // SELECT: focus on the control (and, for a list or sheet, highlight `row`).
  void selectControl(int field, int row = 0);
  void display(int field = 0);
  void update(int field = 0);
  // The accept-all pass over the current window: every entry is checked
  // against its picture; the first that fails gets EVENT:Rejected and the
  // focus, otherwise EVENT:Completed is posted to the window.
  void acceptAll();
  int keyCode() const;
  int keyChar() const;
  void setKeyCode(int code);
  void beep() { m_backend.beep(); }
  // SETCURSOR with the busy cursor, and back to the normal one.
  void setBusy(bool busy);
  bool busy() const { return m_busy; }

  // ---- home context ----

  // The key or click the user gave a thread's window, for KEYCODE().
  void setKey(int slot, int code, int character);
  // Whether a thread waiting in its loop has something to handle: an event,
  // or a loop window that has gone.
  bool eventReady(int slot) const;
  // EVENT:Timer to the loop window of a waiting thread if it has a timer
  // and nothing queued; returns whether one was posted.
  bool postTimer(int slot);

  // ---- thread life ----

  void clear(int slot);
  // A started thread sees the key that started it, as its starter saw it.
  void inheritKey(int from, int to);

 private:
  struct SlotLoop {
    std::vector<int> loops;  // windows of the accept loops running, innermost last
    int event = 0;
    int field = 0;
    int keyCode = 0;
    int keyChar = 0;
  };

  SlotLoop& loopOf(int slot) { return m_slots[static_cast<size_t>(slot)]; }
  // The current thread's state, or nullptr in the home context.
  const SlotLoop* current() const;
  Window* currentWindow() { return m_registry.topWindow(m_threads.current()); }

  const ProcedureThreads& m_threads;
  WindowRegistry& m_registry;
  Scheduler& m_scheduler;
  Backend& m_backend;
  EventTrace& m_trace;
  std::array<SlotLoop, ProcedureThreads::kSlots> m_slots;
  bool m_busy = false;
};

}  // namespace linkar::ui
