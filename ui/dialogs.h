// The dialogs a procedure thread waits on: message boxes (MESSAGE), popup
// menus (POPUP), the open- and save-file dialog (FILEDIALOG), the program
// stops HALT and STOP, and the box of a runtime error. Each is modal to its
// thread only: the thread gives up its turn while the dialog is up and the
// other threads go on; a system-modal box or a file dialog holds every
// other thread back until it closes.
#pragma once

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/backend.h"
#include "ui/message_box.h"
#include "ui/procedure_threads.h"
#include "ui/scheduler.h"
#include "ui/window_registry.h"

namespace linkar::ui {

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

class Dialogs {
 public:
  // Every argument must outlive the dialogs.
  Dialogs(Backend& backend, WindowRegistry& registry, Scheduler& scheduler, const ProcedureThreads& threads);
  Dialogs(const Dialogs&) = delete;
  Dialogs& operator=(const Dialogs&) = delete;

  // ---- statements: inside procedure threads ----

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
  // The runtime-error box: system-modal, since the program ends after it.
  void showRuntimeError(std::string_view caption, std::string_view message);
  bool newLook() const { return m_newLook; }
  void setNewLook(bool on) { m_newLook = on; }

  // ---- what is up, by thread number ----

  // The thread's open message box, if any.
  Window* messageBox(int threadNumber);
  // The window a thread's message box belongs to: the thread's newest
  // window, else the application frame; 0 when there is neither.
  int messageBoxOwner(int threadNumber) const;
  PopupMenu* popupMenu(int threadNumber);
  FileDialog* openFileDialog(int threadNumber);

  // ---- by slot, for the scheduler and the user's input ----

  // A system-modal box or a file dialog holds every other window of the
  // program; returns the slot holding them, or -1.
  int holdingSlot() const;
  // Whether a box or popup is up on the thread: its windows take no input.
  bool holdsThread(int slot) const;
  bool systemModalBox(int slot) const;
  // Whether the box, popup or file dialog the thread waits on was answered.
  bool answered(int slot, Wait wait) const;
  // The user pressed the button of the thread's box with that bit.
  void answerBox(int slot, int bit);

  void clear(int slot);

 private:
  struct SlotDialogs {
    int box = 0;                  // open message box
    int boxResult = 0;
    bool boxSystemModal = false;
    int boxOwner = 0;             // the window the box belongs to (0: none)
    std::unique_ptr<PopupMenu> popup;
    std::unique_ptr<FileDialog> fileDialog;
  };

  // The slot of a thread number, or nullopt when there is no such thread.
  static std::optional<size_t> slotOf(int threadNumber);
  // The slot of the running thread, or nullopt when none can wait for an
  // answer (the home context, or the program has ended).
  std::optional<size_t> waitingSlot() const;
  [[noreturn]] void endProgram(int code) { m_scheduler.endProgram(code); }

  Backend& m_backend;
  WindowRegistry& m_registry;
  Scheduler& m_scheduler;
  const ProcedureThreads& m_threads;
  std::array<SlotDialogs, ProcedureThreads::kSlots> m_slots;
  bool m_newLook = true;
};

}  // namespace linkar::ui
