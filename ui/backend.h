// The interface between the window engine and whatever renders its windows.
// The engine keeps the model (windows, controls, values, event queues); a
// backend draws it, measures text for it, and turns the user's actions into
// calls of the engine's input router (see engine.h and input_router.h).
#pragma once

#include <string>
#include <string_view>

namespace linkar::ui {

class Window;

struct FontDescription {
  std::string face;
  int points = 8;
  bool bold = false;
};

// Pixel sizes of text in a font.
struct TextExtent {
  int width = 0;
  int height = 0;
};

// Callbacks may come from inside a procedure thread: they must only record
// or draw, never call back into the engine's input router or
// runReady() (do that from the backend's own loop afterwards).
class Backend {
 public:
  virtual ~Backend() = default;

  // Width in pixels of one line of text (no wrapping).
  virtual int textWidth(const FontDescription& font, std::string_view text) = 0;
  // Height in pixels of one line of text.
  virtual int textHeight(const FontDescription& font) = 0;
  // Size of text wrapped at word boundaries to maxWidth pixels; "\r\n"
  // breaks a line. Ampersands are measured as typed.
  virtual TextExtent measureWrapped(const FontDescription& font, std::string_view text, int maxWidth) = 0;
  // Pixel size of a standard message-box icon.
  virtual int iconSize() { return 32; }

  // The model changed; the backend redraws at its own pace. Window pointers
  // stay valid until windowClosed returns.
  virtual void windowOpened(Window&) {}
  virtual void windowChanged(Window&) {}
  virtual void windowClosed(Window&) {}

  // A procedure thread put up a popup menu (Dialogs::popupMenu) and waits
  // for InputRouter::choosePopup; it is gone once the thread has the answer.
  virtual void popupOpened(int /*threadNumber*/) {}
  virtual void popupClosed(int /*threadNumber*/) {}

  // A procedure thread put up a file dialog (Dialogs::openFileDialog) and
  // waits for InputRouter::answerFileDialog.
  virtual void fileDialogOpened(int /*threadNumber*/) {}
  virtual void fileDialogClosed(int /*threadNumber*/) {}

  // A menu item's standard action with no application code ("printsetup",
  // "tile", "cascade", "arrange"); "close" is handled by the engine.
  virtual void standardAction(std::string_view) {}
  virtual void beep() {}
  // The busy (hourglass) cursor on or off while a procedure works.
  virtual void busyCursor(bool) {}
  // A runtime error raised while no procedure thread runs: there is no
  // thread to wait for an answer, so the backend shows it as it can.
  virtual void showFatal(std::string_view caption, std::string_view message);
  // The main procedure has returned: the program is over.
  virtual void programEnded(int) {}
};

}  // namespace linkar::ui
