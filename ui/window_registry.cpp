// OPEN and CLOSE: windows built from the catalogue with their list geometry
// and first focus, MDI activation handed on as children open and close, and
// the reports a thread holds.

#include "ui/window_registry.h"

#include <algorithm>

#include "runtime/error_codes.h"
#include "runtime/runtime_error.h"
#include "ui/event_codes.h"

namespace linkar::ui {
namespace {

bool takesFocus(ControlType type) {
  switch (type) {
    case ControlType::Button: case ControlType::Entry: case ControlType::Text:
    case ControlType::Spin: case ControlType::List:
      return true;
    default:
      return false;
  }
}

void postOnce(Window& w, int event) {
  if (!w.hasPending(event, 0)) w.post(event, 0);
}

}  // namespace

WindowRegistry::WindowRegistry(Backend& backend, const Catalogue& catalogue, const ProcedureThreads& threads)
    : m_backend(backend), m_catalogue(catalogue), m_threads(threads) {}

Window* WindowRegistry::window(int id) {
  auto it = m_windows.find(id);
  return it == m_windows.end() ? nullptr : it->second.get();
}

std::vector<Window*> WindowRegistry::windows() {
  std::vector<Window*> out;
  for (int id : m_order) out.push_back(window(id));
  return out;
}

Window* WindowRegistry::topWindow(int slot) {
  if (slot < 0) return nullptr;
  const auto& list = windowsOf(slot);
  return list.empty() ? nullptr : window(list.back());
}

int WindowRegistry::frameId() const {
  for (const auto& [id, w] : m_windows)
    if (w->kind() == WindowKind::Application) return id;
  return 0;
}

void WindowRegistry::computeRows(Window& w) {
  FontDescription font{w.decl().fontFace, w.decl().fontSize, w.decl().fontBold};
  int height = std::max(1, m_backend.textHeight(font));
  int rowHeight = height + 2;  // a list row is the text plus a pixel above and below
  std::vector<int> rows;
  for (const auto& c : w.decl().controls) {
    if (c.type != ControlType::List || !c.at) {
      rows.push_back(0);
      continue;
    }
    int pixels = c.at->height * height / 8;
    bool header = c.format && std::any_of(c.format->columns.begin(), c.format->columns.end(),
                                          [](const ListColumn& col) { return !col.header.empty(); });
    if (header) pixels -= rowHeight;
    rows.push_back(std::max(1, pixels / rowHeight));
  }
  w.setRowGeometry(std::move(rows));
}

int WindowRegistry::openWindow(std::string_view label) { return openWindow({}, label); }

void WindowRegistry::checkOpen(int slot, const Structure* s) {
  if (!s || s->kind == StructureKind::Report) runtime::raiseRuntimeError(runtime::err::kUnableToOpenWindow);
  int frame = frameId();
  if (s->kind == StructureKind::Application && frame != 0)
    runtime::raiseRuntimeError(runtime::err::kApplicationAlreadyActive);
  if (s->mdi) {
    if (frame == 0) runtime::raiseRuntimeError(runtime::err::kMdiWithoutApplication);
    if (window(frame)->thread() == slot) runtime::raiseRuntimeError(runtime::err::kMdiOnApplicationThread);
  }
  for (int id : windowsOf(slot))
    if (&window(id)->decl() == s) runtime::raiseRuntimeError(runtime::err::kWindowAlreadyOpen);
}

int WindowRegistry::openWindow(std::string_view module, std::string_view label) {
  int slot = m_threads.current();
  if (slot < 0) runtime::raiseRuntimeError(runtime::err::kUnableToOpenWindow);
  const Structure* s = module.empty() ? m_catalogue.find(label) : m_catalogue.find(module, label);
  checkOpen(slot, s);

  int id = newId();
  auto w = std::make_unique<Window>(id, slot, *s);
  computeRows(*w);
  for (int f : w->fields()) {
    if (takesFocus(w->control(f).type) && w->reachable(f)) {
      w->focusControl(f);
      break;
    }
  }
  w->post(Event::OpenWindow, 0);
  Window& ref = *w;
  m_windows.emplace(id, std::move(w));
  m_order.push_back(id);
  m_slots[static_cast<size_t>(slot)].windows.push_back(id);
  if (s->mdi) {
    // A new MDI child takes the activation from the one that had it.
    Window* old = window(m_active);
    if (old && old->decl().mdi) postOnce(*old, Event::LoseFocus);
  }
  if (s->kind == StructureKind::Application || s->mdi || m_active == 0) m_active = id;
  m_backend.windowOpened(ref);
  return id;
}

void WindowRegistry::closeWindow(int id) {
  Window* w = window(id);
  if (!w || w->kind() == WindowKind::MessageBox) runtime::raiseRuntimeError(runtime::err::kWindowNotOpen);
  if (w->kind() == WindowKind::Report) {
    std::erase(m_slots[static_cast<size_t>(w->thread())].reports, id);
    m_windows.erase(id);
    return;
  }
  remove(id, true);
}

int WindowRegistry::openReport(std::string_view label) {
  int slot = m_threads.current();
  if (slot < 0) runtime::raiseRuntimeError(runtime::err::kUnableToOpenWindow);
  const Structure* s = m_catalogue.find(label);
  if (!s || s->kind != StructureKind::Report) runtime::raiseRuntimeError(runtime::err::kUnableToOpenWindow);
  auto& reports = m_slots[static_cast<size_t>(slot)].reports;
  for (int id : reports)
    if (&window(id)->decl() == s) runtime::raiseRuntimeError(runtime::err::kReportAlreadyOpen);
  int id = newId();
  m_windows.emplace(id, std::make_unique<Window>(id, slot, *s));
  reports.push_back(id);
  return id;
}

void WindowRegistry::remove(int id, bool notifyThread) {
  Window* w = window(id);
  if (!w) return;
  int slot = w->thread();
  auto& list = m_slots[static_cast<size_t>(slot)].windows;
  bool wasTop = !list.empty() && list.back() == id;
  std::erase(list, id);
  m_backend.windowClosed(*w);
  std::erase(m_order, id);
  m_windows.erase(id);
  if (m_active == id) activateNext();
  // The window under it on the same thread gets the focus back.
  if (notifyThread && wasTop) {
    if (Window* next = topWindow(slot)) postOnce(*next, Event::GainFocus);
  }
}

void WindowRegistry::activateNext() {
  m_active = frameId();
  for (auto it = m_order.rbegin(); it != m_order.rend(); ++it) {
    Window* other = window(*it);
    if (other->kind() == WindowKind::Window && other->decl().mdi) {
      m_active = *it;
      postOnce(*other, Event::GainFocus);
      return;
    }
  }
}

Window& WindowRegistry::addMessageBox(int slot, std::unique_ptr<Structure> box) {
  int id = newId();
  auto w = std::make_unique<Window>(id, slot, std::move(box), WindowKind::MessageBox);
  for (int f : w->fields())
    if (w->control(f).isDefault) w->setFocus(f);
  Window& ref = *w;
  m_windows.emplace(id, std::move(w));
  m_order.push_back(id);
  return ref;
}

void WindowRegistry::removeMessageBox(int id) {
  Window* w = window(id);
  if (!w) return;
  m_backend.windowClosed(*w);
  std::erase(m_order, id);
  m_windows.erase(id);
}

void WindowRegistry::closeAllOf(int slot) {
  SlotWindows& s = m_slots[static_cast<size_t>(slot)];
  // A returning procedure leaves no window behind.
  std::vector<int> open = s.windows;
  for (auto it = open.rbegin(); it != open.rend(); ++it) remove(*it, false);
  for (int id : s.reports) m_windows.erase(id);
  s = SlotWindows{};
}

void WindowRegistry::clear(int slot) { m_slots[static_cast<size_t>(slot)] = SlotWindows{}; }

}  // namespace linkar::ui
