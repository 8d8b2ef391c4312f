// The window engine: the parts that open windows from the catalogue, run
// accept loops on procedure threads, deliver the user's input as events,
// show dialogs and schedule the threads, put together over one backend.
// Procedures reach it through the statements (statements.h); a backend
// renders registry().windows() and feeds the user's actions in through
// input().
//
// Thread rules: statements run inside procedure threads; input(),
// runReady() and postTimers() run in the home context (the backend's event
// loop or a test driver), never inside a procedure thread.
//
// A backend's loop: after each user action it calls the matching input()
// function and then runReady(); a timer of its own (10 ms) calls
// postTimers() and runReady() while a window has a timer or a thread is
// paused between two tries of a wait. It draws the windows when told through
// the Backend callbacks, shows dialogs().popupMenu(thread) and
// dialogs().openFileDialog(thread) when they appear, and stops when
// programEnded().
#pragma once

#include <functional>

#include "ui/accept_loop.h"
#include "ui/backend.h"
#include "ui/catalogue.h"
#include "ui/dialogs.h"
#include "ui/event_trace.h"
#include "ui/input_router.h"
#include "ui/procedure_threads.h"
#include "ui/scheduler.h"
#include "ui/window.h"
#include "ui/window_registry.h"

namespace linkar::ui {

class Engine : private WaitConditions {
 public:
  // The backend and the catalogue (the program's windows, menus and
  // reports) must outlive the engine. The engine becomes the one the
  // statements address, takes over the runtime-error box and makes the
  // pause between two tries of a wait give the thread's turn away.
  Engine(Backend& backend, const Catalogue& catalogue);
  // Unwinds suspended procedures, then hands back what it took over.
  ~Engine();
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  // The engine the statements address (the one most recently constructed
  // and still alive).
  static Engine* instance();

  Backend& backend() { return m_backend; }
  const Catalogue& catalogue() const { return m_catalogue; }
  ProcedureThreads& threads() { return m_threads; }
  EventTrace& trace() { return m_trace; }
  WindowRegistry& registry() { return m_registry; }
  Scheduler& scheduler() { return m_scheduler; }
  AcceptLoop& loop() { return m_loop; }
  Dialogs& dialogs() { return m_dialogs; }
  InputRouter& input() { return m_input; }

  // The window or report with that handle, or nullptr when it is not open.
  Window* window(int id) { return m_registry.window(id); }
  // The current thread's most recently opened window, or nullptr.
  Window* currentWindow() { return m_registry.topWindow(m_threads.current()); }

  // START: returns the thread number, or 0.
  int start(Procedure procedure, int stackBytes);
  // THREAD(): the current thread number (slot + 1); 0 in the home context.
  int thread() const { return m_threads.current() + 1; }

  // ---- home context ----

  void startMain(Procedure main);
  // Resumes every thread that can go on, until none can. Returns whether
  // any ran.
  bool runReady() { return m_scheduler.runReady(); }
  // Posts EVENT:Timer to every window with a timer whose thread waits for
  // its events, unless one is already queued. Returns how many got one.
  int postTimers();
  bool programEnded() const { return m_scheduler.ended(); }
  int exitCode() const { return m_scheduler.exitCode(); }
  // How the program ends (HALT, STOP, the end of Main): by default the
  // runtime's endProgram. A handler that returns leaves the ending thread
  // suspended for good and the engine marked as ended.
  void setProgramEndHandler(std::function<void(int)> handler) { m_scheduler.setEndHandler(std::move(handler)); }

 private:
  bool heldBack(int slot) const override;
  bool waitOver(int slot, Wait wait) const override;
  // A slot starts afresh, or its procedure has returned.
  void clearThread(int slot);
  void onThreadFinished(int slot);

  Backend& m_backend;
  const Catalogue& m_catalogue;
  ProcedureThreads m_threads;
  EventTrace m_trace;
  WindowRegistry m_registry;
  Scheduler m_scheduler;
  AcceptLoop m_loop;
  Dialogs m_dialogs;
  InputRouter m_input;
  std::function<void(std::string_view, std::string_view)> m_previousErrorHandler;
  Engine* m_previousInstance = nullptr;
};

}  // namespace linkar::ui
