// The user's actions turned into events on the windows' queues. A window
// held by its thread's box or popup, or by another thread's system-modal
// box or file dialog, takes nothing.

#include "ui/input_router.h"

#include <algorithm>
#include <cctype>
#include <sys/stat.h>

#include "ui/event_codes.h"
#include "ui/key_codes.h"
#include "ui/picture_field.h"

namespace linkar::ui {
namespace {

// The letter a text marks with "&" ("&&" is a plain ampersand), upper case;
// 0 when it marks none.
int mnemonicOf(const std::string& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return std::toupper(static_cast<unsigned char>(text[i + 1]));
  }
  return 0;
}

bool isEditable(ControlType type) {
  return type == ControlType::Entry || type == ControlType::Spin || type == ControlType::Text;
}

bool isAlertKey(const ControlState& s, int key) {
  return std::find(s.alertKeys.begin(), s.alertKeys.end(), key) != s.alertKeys.end();
}

// A character a list's locator takes: printable, typed without Ctrl or Alt.
bool isLocatorKey(int key, int character) {
  constexpr int kDeleteCharacter = 0x7F;
  return character > Key::kSpaceKey && character != kDeleteCharacter && !(key & (Key::kCtrl | Key::kAlt));
}

bool isScrollEvent(int event) {
  switch (event) {
    case Event::ScrollUp: case Event::ScrollDown: case Event::PageUp: case Event::PageDown:
    case Event::ScrollTop: case Event::ScrollBottom:
      return true;
    default:
      return false;
  }
}

void postOnce(Window& w, int event, int field = 0) {
  if (!w.hasPending(event, field)) w.post(event, field);
}

}  // namespace

InputRouter::InputRouter(Backend& backend, WindowRegistry& registry, AcceptLoop& loop, Dialogs& dialogs,
                         const Scheduler& scheduler)
    : m_backend(backend), m_registry(registry), m_loop(loop), m_dialogs(dialogs), m_scheduler(scheduler) {}

Window* InputRouter::inputWindow(int id) {
  if (m_scheduler.ended()) return nullptr;
  Window* w = m_registry.window(id);
  if (!w || w->kind() == WindowKind::Report) return nullptr;
  bool box = w->kind() == WindowKind::MessageBox;
  if (m_dialogs.holdingSlot() >= 0 && !(box && m_dialogs.systemModalBox(w->thread()))) return nullptr;
  if (box) return w;
  return m_dialogs.holdsThread(w->thread()) ? nullptr : w;
}

Window* InputRouter::placeableWindow(int id) {
  Window* w = inputWindow(id);
  return w && w->kind() != WindowKind::MessageBox ? w : nullptr;
}

Window* InputRouter::reachableControl(int id, int field) {
  Window* w = inputWindow(id);
  return w && w->hasField(field) && w->reachable(field) ? w : nullptr;
}

bool InputRouter::press(int id, int field) {
  Window* w = reachableControl(id, field);
  if (!w) return false;
  const ControlDecl& c = w->control(field);
  if (w->kind() == WindowKind::MessageBox) {
    int bit = messageButtonBit(*w, field);
    if (bit == 0) return false;
    m_dialogs.answerBox(w->thread(), bit);
    return true;
  }
  switch (c.type) {
    case ControlType::Item:
      if (c.action == "close") return close(m_registry.frameId() ? m_registry.frameId() : id);
      if (!c.action.empty()) {
        m_backend.standardAction(c.action);
        return true;
      }
      w->post(Event::Accepted, field);
      return true;
    case ControlType::Button:
    case ControlType::Region:
      w->focusControl(field);
      w->post(Event::Accepted, field);
      return true;
    case ControlType::Tab:
      return pressTab(*w, c);
    default:
      return focus(id, field);
  }
}

bool InputRouter::pressTab(Window& w, const ControlDecl& tab) {
  const auto& controls = w.decl().controls;
  int sheet = controls[static_cast<size_t>(tab.parent)].field;
  int number = 0;
  for (const auto& other : controls) {
    if (other.type == ControlType::Tab && other.parent == tab.parent) ++number;
    if (other.field == tab.field) break;
  }
  return chooseTab(w.id(), sheet, number);
}

bool InputRouter::focus(int id, int field) {
  Window* w = reachableControl(id, field);
  if (!w) return false;
  w->focusControl(field);
  w->post(Event::Selected, field);
  return true;
}

bool InputRouter::type(int id, int field, std::string_view text) {
  Window* w = reachableControl(id, field);
  if (!w || !isEditable(w->control(field).type)) return false;
  ControlState& s = w->state(field);
  const ControlDecl& c = w->control(field);
  std::string typed(text);
  if (c.length > 0 && typed.size() > static_cast<size_t>(c.length)) typed.resize(static_cast<size_t>(c.length));
  s.text = typed;
  w->focusControl(field);
  auto value = deformatInput(s.text, s.picture);
  if (!value) {
    w->post(Event::Rejected, field);
    return true;
  }
  if (s.binding.set) s.binding.set(*value);
  w->post(Event::Accepted, field);
  return true;
}

bool InputRouter::selectRow(int id, int field, int row, int key) {
  Window* w = reachableControl(id, field);
  if (!w || w->control(field).type != ControlType::List) return false;
  ControlState& s = w->state(field);
  if (row < 1 || row > static_cast<int>(s.rows.size())) return false;
  s.selection = row;
  w->focusControl(field);
  m_loop.setKey(w->thread(), key, 0);
  bool alerted = isAlertKey(s, key);
  if (key == Key::kMouseLeft2) {
    w->post(alerted ? Event::AlertKey : Event::Accepted, field);
  } else if (alerted) {
    w->post(Event::AlertKey, field);
  } else if (!w->hasPending(Event::NewSelection, field)) {
    w->post(Event::NewSelection, field);
  }
  return true;
}

bool InputRouter::boxKey(Window& box, int key) {
  if (key == Key::kEnterKey) return press(box.id(), box.focus());
  if (key != Key::kEscKey) return false;
  // Esc is Cancel, or OK when that is the box's only button.
  int buttons = 0, only = 0;
  for (int f : box.fields()) {
    int bit = messageButtonBit(box, f);
    if (bit == Button::kCancel) return press(box.id(), f);
    if (bit != 0) {
      ++buttons;
      only = f;
    }
  }
  if (buttons == 1 && messageButtonBit(box, only) == Button::kOk) return press(box.id(), only);
  return false;
}

bool InputRouter::key(int id, int field, int key, int character) {
  Window* w = inputWindow(id);
  if (!w) return false;
  if (w->kind() == WindowKind::MessageBox) return boxKey(*w, key);
  if ((key & Key::kAlt) && !(key & Key::kCtrl)) return mnemonic(id, key & 0xFF);
  if (field == 0) field = w->focus();
  if (!w->hasField(field) || !w->reachable(field)) return false;
  m_loop.setKey(w->thread(), key, character);
  w->focusControl(field);
  const ControlDecl& c = w->control(field);
  if (c.type == ControlType::List) return listKey(*w, field, key, character);
  if (key != Key::kEnterKey) return true;
  // Enter presses a button, accepts an entry, or presses the default button.
  if (c.type == ControlType::Button) return press(id, field);
  if (c.type == ControlType::Entry || c.type == ControlType::Spin) return type(id, field, w->state(field).text);
  for (int f : w->fields())
    if (w->control(f).isDefault && w->reachable(f)) return press(id, f);
  return true;
}

bool InputRouter::listKey(Window& w, int field, int key, int character) {
  ControlState& s = w.state(field);
  // A list whose procedure alerted keys is a browse: every printable
  // character typed on it reaches the procedure too, as its locator.
  if (isAlertKey(s, key) || (!s.alertKeys.empty() && isLocatorKey(key, character))) {
    w.post(Event::AlertKey, field);
    return true;
  }
  int rows = static_cast<int>(s.rows.size());
  auto moveTo = [&](int row) {
    s.selection = row;
    if (!w.hasPending(Event::NewSelection, field)) w.post(Event::NewSelection, field);
  };
  switch (key) {
    case Key::kUpKey:
      if (s.selection <= 1) w.post(Event::ScrollUp, field);
      else moveTo(s.selection - 1);
      return true;
    case Key::kDownKey:
      if (s.selection >= rows) w.post(Event::ScrollDown, field);
      else moveTo(s.selection + 1);
      return true;
    case Key::kPgUpKey: w.post(Event::PageUp, field); return true;
    case Key::kPgDnKey: w.post(Event::PageDown, field); return true;
    case Key::kCtrlHome: w.post(Event::ScrollTop, field); return true;
    case Key::kCtrlEnd: w.post(Event::ScrollBottom, field); return true;
    case Key::kHomeKey: if (rows > 0) moveTo(1); return true;
    case Key::kEndKey: if (rows > 0) moveTo(rows); return true;
    case Key::kEnterKey: w.post(Event::Accepted, field); return true;
    default: return true;  // a key the list does not use
  }
}

bool InputRouter::mnemonic(int id, int letter) {
  Window* w = inputWindow(id);
  if (!w) return false;
  int wanted = std::toupper(letter);
  const auto& controls = w->decl().controls;
  for (size_t i = 0; i < controls.size(); ++i) {
    int f = controls[i].field;
    if (mnemonicOf(w->text(f)) != wanted || !w->reachable(f)) continue;
    switch (controls[i].type) {
      case ControlType::Prompt:
        // A prompt's mnemonic moves to the control declared after it.
        for (size_t j = i + 1; j < controls.size(); ++j)
          if (w->reachable(controls[j].field) && controls[j].type != ControlType::Prompt)
            return focus(id, controls[j].field);
        return false;
      case ControlType::Menu:
        continue;  // opening a drop-down menu is the backend's business
      default:
        return press(id, f);
    }
  }
  return false;
}

bool InputRouter::chooseTab(int id, int sheet, int tab) {
  Window* w = reachableControl(id, sheet);
  if (!w || w->control(sheet).type != ControlType::Sheet) return false;
  const auto& controls = w->decl().controls;
  int sheetIndex = 0;
  for (size_t i = 0; i < controls.size(); ++i)
    if (controls[i].field == sheet) sheetIndex = static_cast<int>(i);
  int tabs = static_cast<int>(std::count_if(controls.begin(), controls.end(), [&](const ControlDecl& c) {
    return c.type == ControlType::Tab && c.parent == sheetIndex;
  }));
  if (tab < 1 || tab > tabs) return false;
  ControlState& s = w->state(sheet);
  if (s.selection == tab) return true;
  s.selection = tab;
  w->post(Event::NewSelection, sheet);
  return true;
}

bool InputRouter::thumb(int id, int field, int thumb) {
  Window* w = reachableControl(id, field);
  if (!w || w->control(field).type != ControlType::List) return false;
  w->state(field).thumb = std::clamp(thumb, 0, 100);
  w->post(Event::ScrollDrag, field);
  return true;
}

bool InputRouter::scroll(int id, int field, int event) {
  Window* w = reachableControl(id, field);
  if (!w || w->control(field).type != ControlType::List || !isScrollEvent(event)) return false;
  w->post(event, field);
  return true;
}

bool InputRouter::listRows(int id, int field, int rows) {
  if (m_scheduler.ended()) return false;
  Window* w = m_registry.window(id);
  if (!w || !w->hasField(field) || w->control(field).type != ControlType::List) return false;
  rows = std::max(1, rows);
  if (w->visibleRows(field) == rows) return false;
  w->setVisibleRows(field, rows);
  postOnce(*w, Event::Sized);
  return true;
}

bool InputRouter::close(int id) {
  Window* w = placeableWindow(id);
  if (!w) return false;
  if (w->kind() == WindowKind::Application) {
    // Closing the frame closes down every other thread's window first.
    for (int slot = 0; slot < ProcedureThreads::kSlots; ++slot) {
      if (slot == w->thread()) continue;
      if (Window* top = m_registry.topWindow(slot))
        if (!top->hasPending(Event::CloseDown, 0)) top->post(Event::CloseDown, 0);
    }
  }
  if (!w->hasPending(Event::CloseWindow, 0)) w->post(Event::CloseWindow, 0);
  return true;
}

bool InputRouter::answerFileDialog(int threadNumber, std::optional<std::string> chosen) {
  if (m_scheduler.ended()) return false;
  FileDialog* dialog = m_dialogs.openFileDialog(threadNumber);
  if (!dialog || dialog->result >= 0) return false;
  if (!chosen) {
    dialog->result = 0;
    return true;
  }
  if (dialog->request.mustExist) {
    struct stat info;
    if (::stat(chosen->c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  }
  dialog->chosen = *chosen;
  dialog->result = 1;
  return true;
}

bool InputRouter::place(int id, Rect place) {
  Window* w = placeableWindow(id);
  if (!w) return false;
  Rect old = w->place();
  if (!w->resizable()) {
    place.width = old.width;
    place.height = old.height;
  }
  w->setPlace(place);
  if (place.x != old.x || place.y != old.y) w->post(Event::Moved, 0);
  if (place.width != old.width || place.height != old.height) postOnce(*w, Event::Sized);
  return true;
}

bool InputRouter::maximize(int id) {
  Window* w = placeableWindow(id);
  if (!w || !w->resizable()) return false;
  if (w->maximized()) return true;
  w->setMaximized(true);
  w->post(Event::Maximized, 0);
  postOnce(*w, Event::Sized);
  return true;
}

bool InputRouter::minimize(int id) {
  Window* w = placeableWindow(id);
  if (!w) return false;
  if (w->minimized()) return true;
  w->setMinimized(true);
  w->post(Event::Iconized, 0);
  return true;
}

bool InputRouter::restore(int id) {
  Window* w = placeableWindow(id);
  if (!w) return false;
  if (!w->maximized() && !w->minimized()) return true;
  bool wasMaximized = w->maximized();
  w->setMaximized(false);
  w->setMinimized(false);
  w->post(Event::Restored, 0);
  if (wasMaximized) postOnce(*w, Event::Sized);
  return true;
}

bool InputRouter::activate(int id) {
  Window* w = placeableWindow(id);
  if (!w) return false;
  if (m_registry.activeWindow() == id) return true;
  if (Window* old = m_registry.window(m_registry.activeWindow())) old->post(Event::LoseFocus, 0);
  m_registry.setActive(id);
  w->post(Event::GainFocus, 0);
  return true;
}

bool InputRouter::choosePopup(int threadNumber, int item) {
  if (m_scheduler.ended()) return false;
  PopupMenu* menu = m_dialogs.popupMenu(threadNumber);
  if (!menu) return false;
  if (item == 0) {
    menu->result = 0;
    return true;
  }
  // Items count from 1 without the separators.
  int number = 0;
  for (size_t i = 0; i < menu->items.size(); ++i) {
    if (menu->items[i] == "-") continue;
    if (++number == item) {
      if (!menu->enabled[i]) return false;
      menu->result = item;
      return true;
    }
  }
  return false;
}

}  // namespace linkar::ui
