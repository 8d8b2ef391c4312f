// What the user does, turned into events: pressing buttons and menu items,
// typing into entries, choosing list rows and tabs, keys and clicks on
// lists, closing and activating windows, answering boxes and popups. Every
// function runs in the home context and refuses (returns false) an action
// the user could not take: a closed window, a hidden or disabled control, a
// window whose thread is held by a message box or popup.

#include <algorithm>
#include <cctype>
#include <sys/stat.h>

#include "ui/engine.h"
#include "ui/event_codes.h"
#include "ui/key_codes.h"
#include "ui/picture_field.h"

namespace linkar::ui {

Window* Engine::inputWindow(int id) {
  if (m_ended) return nullptr;
  Window* w = window(id);
  if (!w || w->kind() == WindowKind::Report) return nullptr;
  const ThreadState& t = m_state[static_cast<size_t>(w->thread())];
  int holder = holdingSlot();
  if (holder >= 0 && !(w->kind() == WindowKind::MessageBox && t.boxSystemModal)) return nullptr;
  if (w->kind() == WindowKind::MessageBox) return w;
  if (t.box != 0 || t.popup) return nullptr;
  return w;
}

bool Engine::userPress(int id, int field) {
  Window* w = inputWindow(id);
  if (!w || !w->hasField(field) || !w->reachable(field)) return false;
  const ControlDecl& c = w->control(field);
  if (w->kind() == WindowKind::MessageBox) {
    int bit = messageButtonBit(*w, field);
    if (bit == 0) return false;
    stateOf(w->thread()).boxResult = bit;
    return true;
  }
  switch (c.type) {
    case ControlType::Item:
      if (c.action == "close") return userClose(frameId() ? frameId() : id);
      if (!c.action.empty()) {
        m_backend.standardAction(c.action);
        return true;
      }
      w->post(Event::Accepted, field);
      return true;
    case ControlType::Button:
    case ControlType::Region:
      focusControl(*w, field);
      w->post(Event::Accepted, field);
      return true;
    case ControlType::Tab: {
      int sheet = w->decl().controls[static_cast<size_t>(c.parent)].field;
      int number = 0;
      for (const auto& other : w->decl().controls) {
        if (other.type == ControlType::Tab && other.parent == c.parent) ++number;
        if (other.field == field) break;
      }
      return userChooseTab(id, sheet, number);
    }
    default:
      return userFocus(id, field);
  }
}

bool Engine::userFocus(int id, int field) {
  Window* w = inputWindow(id);
  if (!w || !w->hasField(field) || !w->reachable(field)) return false;
  focusControl(*w, field);
  w->post(Event::Selected, field);
  return true;
}

bool Engine::userType(int id, int field, std::string_view text) {
  Window* w = inputWindow(id);
  if (!w || !w->hasField(field) || !w->reachable(field)) return false;
  ControlType type = w->control(field).type;
  if (type != ControlType::Entry && type != ControlType::Spin && type != ControlType::Text)
    return false;
  ControlState& s = w->state(field);
  const ControlDecl& c = w->control(field);
  std::string typed(text);
  if (c.length > 0 && typed.size() > static_cast<size_t>(c.length)) typed.resize(static_cast<size_t>(c.length));
  s.text = typed;
  focusControl(*w, field);
  auto value = deformatInput(s.text, s.picture);
  if (!value) {
    w->post(Event::Rejected, field);
    return true;
  }
  if (s.binding.set) s.binding.set(*value);
  w->post(Event::Accepted, field);
  return true;
}

bool Engine::userSelectRow(int id, int field, int row, int key) {
  Window* w = inputWindow(id);
  if (!w || !w->hasField(field) || !w->reachable(field)) return false;
  if (w->control(field).type != ControlType::List) return false;
  ControlState& s = w->state(field);
  if (row < 1 || row > static_cast<int>(s.rows.size())) return false;
  s.selection = row;
  focusControl(*w, field);
  ThreadState& t = stateOf(w->thread());
  t.keyCode = key;
  t.keyChar = 0;
  bool alerted = std::find(s.alertKeys.begin(), s.alertKeys.end(), key) != s.alertKeys.end();
  if (key == Key::kMouseLeft2) {
    w->post(alerted ? Event::AlertKey : Event::Accepted, field);
  } else if (alerted) {
    w->post(Event::AlertKey, field);
  } else if (!w->hasPending(Event::NewSelection, field)) {
    w->post(Event::NewSelection, field);
  }
  return true;
}

bool Engine::userKey(int id, int field, int key, int character) {
  Window* w = inputWindow(id);
  if (!w) return false;
  if (w->kind() == WindowKind::MessageBox) {
    if (key == Key::kEnterKey) return userPress(id, w->focus());
    if (key == Key::kEscKey) {
      for (int f : w->fields())
        if (messageButtonBit(*w, f) == Button::kCancel) return userPress(id, f);
      auto fields = w->fields();
      int buttons = 0, only = 0;
      for (int f : fields)
        if (messageButtonBit(*w, f) != 0) { ++buttons; only = f; }
      if (buttons == 1 && messageButtonBit(*w, only) == Button::kOk) return userPress(id, only);
      return false;
    }
    return false;
  }
  if ((key & Key::kAlt) && !(key & Key::kCtrl)) return userMnemonic(id, key & 0xFF);
  if (field == 0) field = w->focus();
  if (!w->hasField(field) || !w->reachable(field)) return false;
  ThreadState& t = stateOf(w->thread());
  t.keyCode = key;
  t.keyChar = character;
  focusControl(*w, field);
  const ControlDecl& c = w->control(field);
  ControlState& s = w->state(field);
  if (c.type == ControlType::List) {
    if (std::find(s.alertKeys.begin(), s.alertKeys.end(), key) != s.alertKeys.end()) {
      w->post(Event::AlertKey, field);
      return true;
    }
    int rows = static_cast<int>(s.rows.size());
    auto moveTo = [&](int row) {
      s.selection = row;
      if (!w->hasPending(Event::NewSelection, field)) w->post(Event::NewSelection, field);
    };
    switch (key) {
      case Key::kUpKey:
        if (s.selection <= 1) w->post(Event::ScrollUp, field);
        else moveTo(s.selection - 1);
        return true;
      case Key::kDownKey:
        if (s.selection >= rows) w->post(Event::ScrollDown, field);
        else moveTo(s.selection + 1);
        return true;
      case Key::kPgUpKey: w->post(Event::PageUp, field); return true;
      case Key::kPgDnKey: w->post(Event::PageDown, field); return true;
      case Key::kCtrlHome: w->post(Event::ScrollTop, field); return true;
      case Key::kCtrlEnd: w->post(Event::ScrollBottom, field); return true;
      case Key::kHomeKey: if (rows > 0) moveTo(1); return true;
      case Key::kEndKey: if (rows > 0) moveTo(rows); return true;
      case Key::kEnterKey: w->post(Event::Accepted, field); return true;
      default: return true;  // a key the list does not use
    }
  }
  if (key == Key::kEnterKey) {
    if (c.type == ControlType::Button) return userPress(id, field);
    if (c.type == ControlType::Entry || c.type == ControlType::Spin)
      return userType(id, field, s.text);
    for (int f : w->fields())
      if (w->control(f).isDefault && w->reachable(f)) return userPress(id, f);
  }
  return true;
}

bool Engine::userMnemonic(int id, int letter) {
  Window* w = inputWindow(id);
  if (!w) return false;
  int wanted = std::toupper(letter);
  auto mnemonicOf = [](const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
      if (text[i] != '&') continue;
      if (text[i + 1] == '&') { ++i; continue; }
      return std::toupper(static_cast<unsigned char>(text[i + 1]));
    }
    return 0;
  };
  const auto& controls = w->decl().controls;
  for (size_t i = 0; i < controls.size(); ++i) {
    int f = controls[i].field;
    if (mnemonicOf(w->text(f)) != wanted || !w->reachable(f)) continue;
    switch (controls[i].type) {
      case ControlType::Prompt:
        // A prompt's mnemonic moves to the control declared after it.
        for (size_t j = i + 1; j < controls.size(); ++j)
          if (w->reachable(controls[j].field) && controls[j].type != ControlType::Prompt)
            return userFocus(id, controls[j].field);
        return false;
      case ControlType::Menu:
        continue;  // opening a drop-down menu is the backend's business
      default:
        return userPress(id, f);
    }
  }
  return false;
}

bool Engine::userChooseTab(int id, int sheet, int tab) {
  Window* w = inputWindow(id);
  if (!w || !w->hasField(sheet) || !w->reachable(sheet)) return false;
  if (w->control(sheet).type != ControlType::Sheet) return false;
  int tabs = 0;
  size_t sheetIndex = 0;
  for (size_t i = 0; i < w->decl().controls.size(); ++i)
    if (w->decl().controls[i].field == sheet) sheetIndex = i;
  for (const auto& c : w->decl().controls)
    if (c.type == ControlType::Tab && c.parent == static_cast<int>(sheetIndex)) ++tabs;
  if (tab < 1 || tab > tabs) return false;
  ControlState& s = w->state(sheet);
  if (s.selection == tab) return true;
  s.selection = tab;
  w->post(Event::NewSelection, sheet);
  return true;
}

bool Engine::userThumb(int id, int field, int thumb) {
  Window* w = inputWindow(id);
  if (!w || !w->hasField(field) || !w->reachable(field)) return false;
  if (w->control(field).type != ControlType::List) return false;
  w->state(field).thumb = std::clamp(thumb, 0, 100);
  w->post(Event::ScrollDrag, field);
  return true;
}

bool Engine::userClose(int id) {
  Window* w = inputWindow(id);
  if (!w || w->kind() == WindowKind::MessageBox) return false;
  if (w->kind() == WindowKind::Application) {
    // Closing the frame closes down every other thread's window first.
    for (int slot = 0; slot < ProcedureThreads::kSlots; ++slot) {
      if (slot == w->thread()) continue;
      if (Window* top = topWindow(slot))
        if (!top->hasPending(Event::CloseDown, 0)) top->post(Event::CloseDown, 0);
    }
  }
  if (!w->hasPending(Event::CloseWindow, 0)) w->post(Event::CloseWindow, 0);
  return true;
}

bool Engine::userAnswerFileDialog(int threadNumber, std::optional<std::string> chosen) {
  int slot = threadNumber - 1;
  if (m_ended || slot < 0 || slot >= ProcedureThreads::kSlots) return false;
  FileDialog* dialog = stateOf(slot).fileDialog.get();
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

bool Engine::userPlace(int id, Rect place) {
  Window* w = inputWindow(id);
  if (!w || w->kind() == WindowKind::MessageBox) return false;
  Rect old = w->place();
  if (!w->resizable()) {
    place.width = old.width;
    place.height = old.height;
  }
  w->setPlace(place);
  if (place.x != old.x || place.y != old.y) w->post(Event::Moved, 0);
  if (place.width != old.width || place.height != old.height) w->post(Event::Sized, 0);
  return true;
}

bool Engine::userMaximize(int id) {
  Window* w = inputWindow(id);
  if (!w || w->kind() == WindowKind::MessageBox || !w->resizable()) return false;
  if (w->maximized()) return true;
  w->setMaximized(true);
  w->post(Event::Maximized, 0);
  w->post(Event::Sized, 0);
  return true;
}

bool Engine::userMinimize(int id) {
  Window* w = inputWindow(id);
  if (!w || w->kind() == WindowKind::MessageBox) return false;
  if (w->minimized()) return true;
  w->setMinimized(true);
  w->post(Event::Iconized, 0);
  return true;
}

bool Engine::userRestore(int id) {
  Window* w = inputWindow(id);
  if (!w || w->kind() == WindowKind::MessageBox) return false;
  if (!w->maximized() && !w->minimized()) return true;
  bool wasMaximized = w->maximized();
  w->setMaximized(false);
  w->setMinimized(false);
  w->post(Event::Restored, 0);
  if (wasMaximized) w->post(Event::Sized, 0);
  return true;
}

bool Engine::userActivate(int id) {
  Window* w = inputWindow(id);
  if (!w || w->kind() == WindowKind::MessageBox) return false;
  if (m_active == id) return true;
  if (Window* old = window(m_active)) old->post(Event::LoseFocus, 0);
  m_active = id;
  w->post(Event::GainFocus, 0);
  return true;
}

bool Engine::userChoosePopup(int threadNumber, int item) {
  int slot = threadNumber - 1;
  if (m_ended || slot < 0 || slot >= ProcedureThreads::kSlots) return false;
  PopupMenu* menu = stateOf(slot).popup.get();
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
