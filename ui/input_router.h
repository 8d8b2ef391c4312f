// What the user does, turned into events: pressing buttons and menu items,
// typing into entries, choosing list rows and tabs, keys and clicks on
// lists, moving, sizing, closing and activating windows, answering message
// boxes, popups and file dialogs. Every function runs in the home context
// (a backend's event loop or a test driver) and refuses, returning false,
// an action the user could not take: a closed window, a hidden or disabled
// control, a window whose thread is held by a message box or popup.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ui/accept_loop.h"
#include "ui/backend.h"
#include "ui/dialogs.h"
#include "ui/scheduler.h"
#include "ui/window_registry.h"

namespace linkar::ui {

class InputRouter {
 public:
  // Every argument must outlive the router.
  InputRouter(Backend& backend, WindowRegistry& registry, AcceptLoop& loop, Dialogs& dialogs,
              const Scheduler& scheduler);
  InputRouter(const InputRouter&) = delete;
  InputRouter& operator=(const InputRouter&) = delete;

  bool press(int window, int field);
  bool type(int window, int field, std::string_view text);
  // `key` is the mouse button (or key) that chose the row, for KEYCODE().
  bool selectRow(int window, int field, int row, int key);
  bool key(int window, int field, int key, int character);
  bool chooseTab(int window, int sheet, int tab);
  // Alt and a letter: the control whose text marks that letter with "&"
  // (a prompt hands it to the control declared after it).
  bool mnemonic(int window, int letter);
  bool thumb(int window, int field, int thumb);
  // A row or page scroll on a list that is not a key: the wheel, the scroll
  // bar's arrows and trough. `event` is one of EVENT:ScrollUp ...
  // EVENT:ScrollBottom; each call posts one, so three rows are three calls.
  bool scroll(int window, int field, int event);
  // The backend laid a list out anew (its window was sized): the model learns
  // how many whole rows it shows and, when that changed, the window gets
  // EVENT:Sized so that its procedure fills the page again. Taken even while
  // a box holds the thread: the event waits in the queue until it closes.
  // Returns whether the count changed.
  bool listRows(int window, int field, int rows);
  bool focus(int window, int field);
  bool close(int window);
  // The user moved, sized, maximised, minimised or restored a window.
  bool place(int window, Rect place);
  bool maximize(int window);
  bool minimize(int window);
  bool restore(int window);
  bool activate(int window);
  bool choosePopup(int threadNumber, int item);
  // Answers a thread's file dialog with a file name, or cancels it (nullopt).
  // A name that must exist and does not is refused.
  bool answerFileDialog(int threadNumber, std::optional<std::string> chosen);

 private:
  // The window, when it takes input now.
  Window* inputWindow(int id);
  // Like inputWindow, for the moves and states of windows: no message box.
  Window* placeableWindow(int id);
  // Like inputWindow, for a control the user can reach.
  Window* reachableControl(int id, int field);
  bool pressTab(Window& w, const ControlDecl& tab);
  bool listKey(Window& w, int field, int key, int character);
  bool boxKey(Window& box, int key);

  Backend& m_backend;
  WindowRegistry& m_registry;
  AcceptLoop& m_loop;
  Dialogs& m_dialogs;
  const Scheduler& m_scheduler;
};

}  // namespace linkar::ui
