// The scripted user: a test (or a command-line run) drives the program
// through this class with no display. It starts the program or single
// procedures, finds windows by label or title, reads controls, types, presses
// buttons and menu items, chooses list rows and tabs, sends keys and clicks,
// answers message boxes and popup menus, and runs the procedure threads until
// every one of them waits for the user or has ended. Timer events are
// delivered at once whenever nothing else is pending.
//
// Controls are named by their use name ("Insert", "ITEM:NAME"), by their
// text with or without the mnemonic ("&Insert", "Insert"), or by field number.
// Every action runs the threads afterwards and returns false when the user
// could not have done it (no such window or control, hidden or disabled,
// the window's thread held by a message box).
//
//   TestDriver d(catalogue);                 // the windows the program declares
//   d.startProgram(main);                    // or d.startFrame() / d.start(proc)
//   ASSERT_TRUE(d.pressMenu("&View|Items"));
//   Window* list = d.find("Items");
//   ASSERT_TRUE(d.press(*list, "&Insert"));
//   Window* form = d.find("ITEM$FORM");
//   ASSERT_TRUE(d.type(*form, "ITEM:NAME", "first"));
//   ASSERT_TRUE(d.press(*form, "OK"));
//   EXPECT_EQ(TestDriver::rows(*list, "Browse")[0][0].substr(0, 5), "first");
//
// A procedure that waits for something another thread holds pauses between
// two tries (platform::pauseBetweenTries); run() returns while it is paused,
// and runUntil() goes on running the threads until a condition holds.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ui/engine.h"
#include "ui/headless/headless_backend.h"

namespace linkar::ui {

class TestDriver {
 public:
  // Timer rounds run() allows before it gives up on reaching a quiet state.
  static constexpr int kDefaultTimerRounds = 100000;

  // The engine opens its windows from `catalogue`, which must outlive the
  // driver.
  explicit TestDriver(const Catalogue& catalogue);
  ~TestDriver();
  TestDriver(const TestDriver&) = delete;
  TestDriver& operator=(const TestDriver&) = delete;

  Engine& engine() { return *m_engine; }
  HeadlessBackend& backend() { return m_backend; }

  // ---- starting ----
  // Runs `main` as the program's main procedure (thread 1), then run().
  void startProgram(Procedure main);
  // A stand-in main procedure: opens the catalogue's application frame and
  // runs its accept loop until the frame closes, doing nothing with menu
  // choices.
  void startFrame();
  // START from the user's side with the given stack size; then run().
  // Returns the thread number, 0 if the table is full.
  int start(Procedure procedure, int stackBytes = 0);

  // Runs the threads until none can go on right now: each waits for the
  // user, is paused between two tries of a wait, or has ended. Returns
  // false if timers still kept a window busy after maxTimerRounds rounds.
  bool run(int maxTimerRounds = kDefaultTimerRounds);
  // Runs the threads until done() holds, sleeping while only paused threads
  // remain. False when the timeout passed first, or when no thread is
  // paused and so nothing would change without the user.
  bool runUntil(const std::function<bool()>& done, std::int64_t timeoutMilliseconds);
  bool ended() const { return m_engine->programEnded(); }
  int exitCode() const { return m_engine->exitCode(); }

  // ---- finding ----
  // The newest open window whose label or title is `name` (case matters for
  // titles, not for labels); nullptr if none. Message boxes are found by title.
  Window* find(std::string_view name);
  // Every open window with that label or title, oldest first.
  std::vector<Window*> findAll(std::string_view name);
  std::vector<Window*> windows() { return m_engine->registry().windows(); }
  // The newest open message box, or the one of thread number `thread`.
  Window* messageBox(int thread = 0);
  // The newest open popup menu.
  const PopupMenu* popup();
  // The open file dialog, if any.
  const FileDialog* fileDialog();

  // ---- reading ----
  // The field number of a control, 0 if there is none.
  static int fieldOf(const Window& w, std::string_view control);
  // Its current text: caption, or the value an entry or string shows.
  static std::string text(const Window& w, std::string_view control);
  // The message box's text split into its lines.
  static std::vector<std::string> messageLines(const Window& box);
  // The rows a list shows, formatted, as last displayed.
  static const std::vector<std::vector<std::string>>& rows(const Window& w, std::string_view list);

  // ---- acting ----
  bool press(Window& w, std::string_view control);
  bool press(Window& w, int field);
  // A menu item of the frame by its path of texts: "&File|&Import|from &HTML"
  // (mnemonics may be left out).
  bool pressMenu(std::string_view path);
  bool type(Window& w, std::string_view control, std::string_view text);
  bool focus(Window& w, std::string_view control);
  // Row from 1; `key` is the mouse button (Key::kMouseLeft, kMouseRight,
  // kMouseLeft2 for a double click).
  bool chooseRow(Window& w, std::string_view list, int row, int key = 0x01);
  bool key(Window& w, std::string_view control, int key, int character = 0);
  // A character key on a control: KEYCODE() is the capital's code.
  bool typeChar(Window& w, std::string_view control, char character);
  bool chooseTab(Window& w, std::string_view tabText);
  bool dragThumb(Window& w, std::string_view list, int thumb);
  bool close(Window& w);
  // Moving and sizing as the user does it (a fixed-size window keeps its size).
  bool place(Window& w, Rect place);
  bool maximize(Window& w);
  bool minimize(Window& w);
  bool restore(Window& w);
  bool activate(Window& w);
  // Presses the message box button with that text ("&No" or "No").
  bool answer(std::string_view button, int thread = 0);
  // Enter or Esc on the message box.
  bool answerKey(int key, int thread = 0);
  // Chooses a popup item by its text, or dismisses the popup with "".
  bool choosePopup(std::string_view item);
  // Answers the open file dialog with a name, or cancels it.
  bool chooseFile(std::string_view path);
  bool cancelFileDialog();

 private:
  HeadlessBackend m_backend;
  std::unique_ptr<Engine> m_engine;
};

}  // namespace linkar::ui
