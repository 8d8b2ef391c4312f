// The model of one open window: its controls with their current texts,
// values, states and list contents, its event queue, timer and status bar.
// Backends render this model; application code reads and changes it through
// the engine's statements and these properties, never through widgets.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/catalogue.h"
#include "ui/event_codes.h"

namespace linkar::ui {

// Ties a control to a program variable: DISPLAY reads it, UPDATE writes it.
// Values travel as text (numbers as their decimal text).
struct Binding {
  std::function<std::string()> get;
  std::function<void(std::string_view)> set;
};

// The rows a list shows, read from the program's queue at DISPLAY time. cell
// gives the raw value of column `column` (from 0) of row `row` (from 0); the
// list formats it with the column's picture.
struct ListSource {
  std::function<size_t()> count;
  std::function<std::string(size_t row, size_t column)> cell;
};

// A report is kept in the same model (texts, pictures, bound fields) for the
// page engine to lay out; it takes no input and has no accept loop.
enum class WindowKind { Application, Window, MessageBox, Report };

// A queued event travels as its window message: the event code plus
// kEventMessageBase.
struct PendingEvent {
  int message = 0;
  int field = 0;
  int event() const { return message - kEventMessageBase; }
};

struct ControlState {
  std::string text;          // caption; for entries and strings the shown value
  std::string status;        // status-bar message
  std::string picture;
  bool enabled = true;
  bool hidden = false;
  int selection = 0;         // list: highlighted row from 1 (0: none); sheet: tab from 1
  int thumb = 0;             // vertical scroll-bar thumb, 0-100
  bool scrollBar = true;     // vertical scroll bar shown
  int progress = 0;          // progress bar, 0-100
  std::vector<int> alertKeys;
  ListSource source;
  std::vector<std::vector<std::string>> rows;  // formatted cells, as last displayed
  Binding binding;
};

class Window {
 public:
  Window(int id, int thread, const Structure& decl);
  // A window whose structure is built at run time (a message box).
  Window(int id, int thread, std::unique_ptr<Structure> decl, WindowKind kind);
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  int id() const { return m_id; }
  int thread() const { return m_thread; }   // slot of the procedure thread that owns it
  WindowKind kind() const { return m_kind; }
  const Structure& decl() const { return *m_decl; }
  const std::string& label() const { return m_decl->label; }

  const std::string& title() const { return m_title; }
  void setTitle(std::string_view title) { m_title = title; }

  // Position and size in dialog units, and the window's state.
  Rect place() const { return m_place; }
  void setPlace(Rect place) { m_place = place; }
  bool maximized() const { return m_maximized; }
  void setMaximized(bool on) { m_maximized = on; if (on) m_minimized = false; }
  bool minimized() const { return m_minimized; }
  void setMinimized(bool on) { m_minimized = on; if (on) m_maximized = false; }
  bool resizable() const { return m_decl->resizable; }

  // Controls. `field` is a field number of this window; asking for one that
  // does not exist is a programming error.
  bool hasField(int field) const;
  const ControlDecl& control(int field) const;
  ControlState& state(int field);
  const ControlState& state(int field) const;
  // The field number of the control using `use`, or 0.
  int fieldOf(std::string_view use) const;
  std::vector<int> fields() const;

  const std::string& text(int field) const { return state(field).text; }
  void setText(int field, std::string_view text) { state(field).text = text; }
  bool enabled(int field) const { return state(field).enabled; }
  void setEnabled(int field, bool on) { state(field).enabled = on; }
  bool hidden(int field) const { return state(field).hidden; }
  void setHidden(int field, bool on) { state(field).hidden = on; }
  // Whether the user can reach the control: it and its containers are shown
  // and enabled.
  bool reachable(int field) const;

  void bind(int field, Binding binding) { state(field).binding = std::move(binding); }
  void setListSource(int field, ListSource source) { state(field).source = std::move(source); }
  // Rows a list shows at once, from its height and the row height in pixels.
  int visibleRows(int field) const { return m_visibleRows.empty() ? 0 : rowsOf(field); }
  void setRowGeometry(std::vector<int> rowsPerField) { m_visibleRows = std::move(rowsPerField); }
  // One list's rows, once its backend has laid it out (at least one row).
  void setVisibleRows(int field, int rows);

  // Copies bound variables into controls (field 0: every control).
  void display(int field = 0);
  // Copies what the user typed into the bound variables (field 0: every
  // entry); a value its picture refuses is left alone.
  void update(int field = 0);

  int focus() const { return m_focus; }
  void setFocus(int field) { m_focus = field; }
  // Moves the focus to the control; a window with a status bar shows the
  // control's status message in zone 1 while it has the focus.
  void focusControl(int field);

  // The status bar's zones, from 1; zone 1 shows a control's status message.
  const std::string& statusText(int zone) const;
  void setStatusText(int zone, std::string_view text);

  int timer() const { return m_timer; }
  void setTimer(int hundredths) { m_timer = hundredths; }

  // The event queue.
  void post(int event, int field);
  bool hasEvents() const { return !m_queue.empty(); }
  bool hasPending(int event, int field) const;
  PendingEvent takeEvent();
  const std::deque<PendingEvent>& queue() const { return m_queue; }

  // The last key or click the window received, as KEYCODE() and KEYCHAR().
  int keyCode() const { return m_keyCode; }
  int keyChar() const { return m_keyChar; }
  void setKey(int code, int character) { m_keyCode = code; m_keyChar = character; }

  // Set once the loop has been handed EVENT:CloseWindow or EVENT:CloseDown;
  // the next round of the accept loop then ends it.
  bool closeDelivered() const { return m_closeDelivered; }
  void setCloseDelivered() { m_closeDelivered = true; }

 private:
  size_t indexOf(int field) const;
  int rowsOf(int field) const;
  void initControls();

  int m_id;
  int m_thread;
  WindowKind m_kind;
  std::unique_ptr<Structure> m_ownDecl;
  const Structure* m_decl;
  std::string m_title;
  Rect m_place;
  bool m_maximized = false;
  bool m_minimized = false;
  std::vector<ControlState> m_states;   // parallel to decl().controls
  std::vector<int> m_visibleRows;       // parallel to decl().controls
  int m_focus = 0;
  std::vector<std::string> m_status;
  int m_timer = 0;
  std::deque<PendingEvent> m_queue;
  int m_keyCode = 0;
  int m_keyChar = 0;
  bool m_closeDelivered = false;
};

}  // namespace linkar::ui
