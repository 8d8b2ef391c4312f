// The window statements as the application's procedures write them: free
// functions over the running engine (Engine::instance()). Each must be
// called inside a procedure thread. OPEN, CLOSE, ACCEPT and SELECT carry
// longer names (openWindow, closeWindow, acceptEvent, selectControl) so that
// they never shadow the POSIX calls of the same name; the engine's parts use
// the same names.
#pragma once

#include <string_view>

#include "ui/engine.h"
#include "ui/event_codes.h"
#include "ui/key_codes.h"

namespace linkar::ui {

inline Engine& engine() { return *Engine::instance(); }

// OPEN by module and label, or by label alone; returns the window handle.
inline int openWindow(std::string_view module, std::string_view label) {
  return engine().registry().openWindow(module, label);
}
inline int openWindow(std::string_view label) { return engine().registry().openWindow(label); }
inline void closeWindow(int window) { engine().registry().closeWindow(window); }
inline int openReport(std::string_view label) { return engine().registry().openReport(label); }
// while (acceptEvent()) { switch (event()) ... }
inline bool acceptEvent() { return engine().loop().acceptEvent(); }
inline int event() { return engine().loop().event(); }
inline int field() { return engine().loop().field(); }
inline int accepted() { return engine().loop().accepted(); }
inline void post(int event, int field = 0, int thread = 0) { engine().loop().post(event, field, thread); }
inline void selectControl(int field, int row = 0) { engine().loop().selectControl(field, row); }
// The accept-all pass over the current window.
inline void acceptAll() { engine().loop().acceptAll(); }
inline void display(int field = 0) { engine().loop().display(field); }
inline void update(int field = 0) { engine().loop().update(field); }
inline int start(Procedure procedure, int stackBytes) { return engine().start(std::move(procedure), stackBytes); }
inline int thread() { return engine().thread(); }
inline int keyCode() { return engine().loop().keyCode(); }
inline int keyChar() { return engine().loop().keyChar(); }
inline void setKeyCode(int code) { engine().loop().setKeyCode(code); }
inline void beep() { engine().loop().beep(); }
inline void setBusy(bool busy) { engine().loop().setBusy(busy); }
inline int popup(std::string_view items) { return engine().dialogs().popup(items); }

// MESSAGE: text, title, icon name, icon, buttons, default button, system modal.
inline int message(std::string_view text, std::string_view title = {}, std::string_view iconName = {},
                   int icon = Icon::kNone, int buttons = Button::kOk, int defaultButton = 0,
                   bool systemModal = false) {
  MessageRequest r;
  r.text = std::string(text);
  r.title = std::string(title);
  r.iconName = std::string(iconName);
  r.icon = icon;
  r.buttons = buttons;
  r.defaultButton = defaultButton;
  r.systemModal = systemModal;
  return engine().dialogs().message(std::move(r));
}
[[noreturn]] inline void halt(int exitCode, std::string_view message = {}, bool silent = false) {
  engine().dialogs().halt(exitCode, message, silent);
}
// FILEDIALOG: offers fileName and puts the chosen name into it; false when
// the user cancelled.
inline bool fileDialog(std::string_view title, std::string& fileName, std::string_view filters,
                       bool save = false, bool mustExist = true) {
  FileDialogRequest r;
  r.title = std::string(title);
  r.fileName = fileName;
  r.filters = std::string(filters);
  r.save = save;
  r.mustExist = mustExist;
  return engine().dialogs().fileDialog(std::move(r), &fileName);
}
inline void stop(std::string_view message, bool askExit = false) { engine().dialogs().stop(message, askExit); }

}  // namespace linkar::ui
