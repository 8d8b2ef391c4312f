// The window engine: opens windows from the catalogue, runs accept loops on
// procedure threads, posts and delivers events, shows message boxes and
// popup menus, and ends the program. Procedures call its statements (see
// statements.h for the free-function form); a backend renders its windows
// and feeds the user's actions in through the user-input functions.
//
// Thread rules: statements run inside procedure threads; the user-input
// functions and runReady() run in the home context (the backend's event loop
// or a test driver), never inside a procedure thread.
//
// A backend's loop: after each user action it calls the matching user*()
// function and then runReady(); a timer of its own (10 ms) calls
// postTimers() and runReady(). It draws from windows() and each Window's
// state when told through the Backend callbacks, shows messageBox(thread)
// and popupMenu(thread) when they appear, and stops when programEnded().
#pragma once

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/backend.h"
#include "ui/catalogue.h"
#include "ui/event_trace.h"
#include "ui/message_box.h"
#include "ui/procedure_threads.h"
#include "ui/window.h"

namespace linkar::ui {

// Runtime errors of the window engine.
namespace WindowError {
constexpr int kEventToReport = 522;    // "Event posted to a report control"
constexpr int kReportAlreadyOpen = 525; // "Report is already open"
constexpr int kAppAlreadyActive = 526;  // "Unable to open APPLICATION (APPLICATION already active)"
constexpr int kOpenWindow = 529;        // "Unable to open WINDOW"
constexpr int kNoApplication = 530;     // "Unable to open MDI window (No APPLICATION active)"
constexpr int kMdiOnAppThread = 532;    // "Unable to open MDI window on APPLICATION's thread"
constexpr int kAlreadyOpen = 535;       // "Window is already open"
constexpr int kNotOpen = 536;           // "Window is not open"
constexpr int kAcceptNeedsWindow = 537; // "ACCEPT loop requires a window"
}  // namespace WindowError

// A popup menu waiting for the user's choice.
struct PopupMenu {
  std::vector<std::string> items;   // texts without the "~" mark; "-" is a separator
  std::vector<bool> enabled;
  int result = -1;                  // -1 while open; 0 dismissed; else the item from 1
};

// The system's open- or save-file dialog.
struct FileDialogRequest {
  std::string title;           // "Select File"
  std::string fileName;        // the name offered, and the directory it names
  std::string filters;         // "All Files|*.*|HTML Files (*.htm)|*.htm"
  bool save = false;
  bool mustExist = true;       // only an existing file in an existing folder
};

struct FileDialog {
  FileDialogRequest request;
  int result = -1;             // -1 while open; 0 cancelled; 1 chosen
  std::string chosen;
};

class Engine {
 public:
  explicit Engine(Backend& backend, const Catalogue& catalogue = Catalogue::builtIn());
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

  // ---- statements: inside procedure threads ----

  // OPEN: builds the window and returns its handle (runtime errors 526-535).
  int open(std::string_view module, std::string_view label);
  int open(std::string_view label);
  // CLOSE (536 when the window is not open); closes a report as well.
  void close(int window);
  // OPEN of a report: its model, with the texts, pictures and bindings of
  // its bands, for the page engine (525 when the thread has it open
  // already). window(id) gives the model; close(id) closes it.
  int openReport(std::string_view label);
  // POST to one window by its handle; posting to a report raises 522.
  void postTo(int window, int event, int field = 0);
  // One round of the accept loop: true with the next event current, false
  // when the loop's window has closed (537 when there is no window at all).
  bool accept();
  int event() const;
  int field() const;
  int accepted() const;
  // POST to the current thread's window, or to thread number `thread`'s.
  void post(int event, int field = 0, int thread = 0);
  // SELECT: focus on the control (and, for a list, highlight `row`).
  void select(int field, int row = 0);
  void display(int field = 0);
  void update(int field = 0);
  // The accept-all pass over the current window: every entry is checked
  // against its picture; the first that fails gets EVENT:Rejected and the
  // focus, otherwise EVENT:Completed is posted to the window.
  void acceptAll();
  // START: returns the thread number, or 0.
  int start(Procedure procedure, int stackBytes);
  // THREAD(): the current thread number (slot + 1); 0 in the home context.
  int thread() const;
  // The window handle's model, or nullptr when it is not open.
  Window* window(int id);
  // The current thread's most recently opened window, or nullptr.
  Window* currentWindow();
  int keyCode() const;
  int keyChar() const;
  void setKeyCode(int code);
  void beep() { m_backend.beep(); }
  // SETCURSOR with the busy cursor, and back to the normal one.
  void setBusy(bool busy) { m_busy = busy; m_backend.busyCursor(busy); }
  bool busy() const { return m_busy; }

  // MESSAGE: returns the bit of the button pressed.
  int message(MessageRequest request);
  // MESSAGE with its texts taken from the current thread's string stack:
  // the caller pushed the text, then the title, then the icon name.
  int messageFromStack(int icon, int buttons, int defaultButton, bool systemModal);
  // POPUP: "&Insert|~&Change|-|&Delete"; returns the chosen item from 1
  // (separators not counted), 0 when dismissed.
  int popup(std::string_view items);
  // FILEDIALOG: true with the chosen name, false when cancelled. Like the
  // system dialog it stands for, it keeps every other thread waiting until
  // it closes.
  bool fileDialog(FileDialogRequest request, std::string* chosen);
  // HALT: shows the message in a "Halt" box unless silent, then ends.
  [[noreturn]] void halt(int exitCode, std::string_view message, bool silent = false);
  // STOP: "&Abort" ends the program with 0; "&Ignore" returns.
  void stop(std::string_view message, bool askExit = false);
  bool newLook() const { return m_newLook; }
  void setNewLook(bool on) { m_newLook = on; }

  // ---- home context ----

  void startMain(Procedure main);
  // Resumes every thread that can go on, until none can. Returns whether
  // any ran.
  bool runReady();
  // Posts EVENT:Timer to every window with a timer whose thread waits for
  // its events, unless one is already queued. Returns how many got one.
  int postTimers();
  bool programEnded() const { return m_ended; }
  int exitCode() const { return m_exitCode; }
  // How the program ends (HALT, STOP, the end of Main): by default the
  // runtime's endProgram. A handler that returns leaves the ending thread
  // suspended for good and the engine marked as ended.
  void setProgramEndHandler(std::function<void(int)> handler) { m_endHandler = std::move(handler); }

  // ---- user input: home context; false when the action is not possible ----

  bool userPress(int window, int field);
  bool userType(int window, int field, std::string_view text);
  bool userSelectRow(int window, int field, int row, int key);
  bool userKey(int window, int field, int key, int character);
  bool userChooseTab(int window, int sheet, int tab);
  // Alt and a letter: the control whose text marks that letter with "&"
  // (a prompt hands it to the control declared after it).
  bool userMnemonic(int window, int letter);
  bool userThumb(int window, int field, int thumb);
  bool userFocus(int window, int field);
  bool userClose(int window);
  // The user moved, sized, maximised, minimised or restored a window.
  bool userPlace(int window, Rect place);
  bool userMaximize(int window);
  bool userMinimize(int window);
  bool userRestore(int window);
  bool userActivate(int window);
  bool userChoosePopup(int threadNumber, int item);
  // Answers a thread's file dialog with a file name, or cancels it (nullopt).
  // A name that must exist and does not is refused.
  bool userAnswerFileDialog(int threadNumber, std::optional<std::string> chosen);

  // ---- observation ----

  // Open windows in opening order, message boxes included.
  std::vector<Window*> windows();
  // The thread's open message box, if any.
  Window* messageBox(int threadNumber);
  // The window a thread's message box belongs to: the thread's newest
  // window, else the application frame; 0 when there is neither.
  int messageBoxOwner(int threadNumber) const;
  // The bit of the button at `field` of a message box; 0 if it is none.
  int messageButtonBit(const Window& box, int field) const;
  const PopupMenu* popupMenu(int threadNumber) const;
  const FileDialog* openFileDialog(int threadNumber) const;
  int activeWindow() const { return m_active; }
  // Whether the thread waits for the user (accept loop, box or popup).
  bool threadWaiting(int threadNumber) const;

 private:
  enum class Wait { None, Accept, MessageBox, Popup, FileDialog, Ended };
  struct ThreadState {
    std::vector<int> windows;     // open windows, oldest first
    std::vector<int> reports;     // open reports
    std::vector<int> loops;       // windows of the accept loops running, innermost last
    int event = 0;
    int field = 0;
    Wait wait = Wait::None;
    int box = 0;                  // open message box
    int boxResult = 0;
    bool boxSystemModal = false;
    int boxOwner = 0;             // the window the box belongs to (0: none)
    std::unique_ptr<PopupMenu> popup;
    std::unique_ptr<FileDialog> fileDialog;
    int keyCode = 0;
    int keyChar = 0;
  };

  int currentSlot() const;
  ThreadState& stateOf(int slot) { return m_state[static_cast<size_t>(slot)]; }
  Window* topWindow(int slot);
  bool runnable(int slot);
  int newId() { return ++m_lastId; }
  void onThreadFinished(int slot);
  void closeWindow(int id, bool notifyThread);
  void waitForUser(Wait wait);
  [[noreturn]] void endProgram(int code);
  void showRuntimeError(std::string_view caption, std::string_view message);
  // Input goes only to windows whose thread is not held by a box or popup.
  Window* inputWindow(int id);
  void focusControl(Window& w, int field);
  void computeRows(Window& w);
  int frameId() const;
  // A system-modal box or a file dialog holds every other window of the
  // program; returns the slot holding them, or -1.
  int holdingSlot() const;

  Backend& m_backend;
  const Catalogue& m_catalogue;
  ProcedureThreads m_threads;
  EventTrace m_trace;
  std::array<ThreadState, ProcedureThreads::kSlots> m_state;
  std::map<int, std::unique_ptr<Window>> m_windows;  // by handle
  std::vector<int> m_order;                          // handles in opening order
  int m_lastId = 0;
  int m_active = 0;
  bool m_newLook = true;
  bool m_busy = false;
  bool m_ended = false;
  int m_exitCode = 0;
  std::function<void(int)> m_endHandler;
  std::function<void(std::string_view, std::string_view)> m_previousErrorHandler;
  Engine* m_previousInstance = nullptr;
};

}  // namespace linkar::ui
