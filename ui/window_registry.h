// The open windows and reports of the program: OPEN and CLOSE of windows
// from the catalogue, the reports a page engine fills, message boxes while
// they are up, each thread's windows in opening order, and which window is
// active. Windows are found by their handle.
#pragma once

#include <array>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "ui/backend.h"
#include "ui/catalogue.h"
#include "ui/procedure_threads.h"
#include "ui/window.h"

namespace linkar::ui {

class WindowRegistry {
 public:
  // The backend, catalogue and threads must outlive the registry.
  WindowRegistry(Backend& backend, const Catalogue& catalogue, const ProcedureThreads& threads);
  WindowRegistry(const WindowRegistry&) = delete;
  WindowRegistry& operator=(const WindowRegistry&) = delete;

  // ---- statements: inside procedure threads ----

  // OPEN: builds the window on the current thread and returns its handle
  // (runtime errors 526-535).
  int openWindow(std::string_view module, std::string_view label);
  int openWindow(std::string_view label);
  // CLOSE (536 when the window is not open); closes a report as well.
  void closeWindow(int window);
  // OPEN of a report: its model, with the texts, pictures and bindings of
  // its bands, for the page engine (525 when the thread has it open
  // already). window(id) gives the model; closeWindow(id) closes it.
  int openReport(std::string_view label);

  // ---- lookups ----

  // The window or report with that handle, or nullptr when it is not open.
  Window* window(int id);
  // Open windows in opening order, message boxes included, reports not.
  std::vector<Window*> windows();
  // The thread's most recently opened window, or nullptr.
  Window* topWindow(int slot);
  const std::vector<int>& windowsOf(int slot) const { return m_slots[static_cast<size_t>(slot)].windows; }
  // The application frame's handle, 0 while it is not open.
  int frameId() const;
  int activeWindow() const { return m_active; }
  void setActive(int id) { m_active = id; }

  // ---- message boxes: in the opening order, not in their thread's list ----

  Window& addMessageBox(int slot, std::unique_ptr<Structure> box);
  void removeMessageBox(int id);

  // ---- thread life ----

  // A procedure returned: its windows close and its reports are dropped.
  void closeAllOf(int slot);
  // A slot taken by START: it has no windows.
  void clear(int slot);

 private:
  struct SlotWindows {
    std::vector<int> windows;  // open windows, oldest first
    std::vector<int> reports;  // open reports
  };

  int newId() { return ++m_lastId; }
  // The checks of OPEN before a window is built.
  void checkOpen(int slot, const Structure* s);
  void computeRows(Window& w);
  // Closes a window; the next window of its thread gets the focus back
  // unless the thread itself is going away.
  void remove(int id, bool notifyThread);
  // The newest remaining MDI child becomes active, else the frame.
  void activateNext();

  Backend& m_backend;
  const Catalogue& m_catalogue;
  const ProcedureThreads& m_threads;
  std::array<SlotWindows, ProcedureThreads::kSlots> m_slots;
  std::map<int, std::unique_ptr<Window>> m_windows;  // by handle
  std::vector<int> m_order;                          // handles in opening order
  int m_lastId = 0;
  int m_active = 0;
};

}  // namespace linkar::ui
