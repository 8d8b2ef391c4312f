// The open-window model: control states initialised from the declaration,
// DISPLAY and UPDATE through the controls' bindings, and the event queue.

#include "ui/window.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>

#include "ui/picture_field.h"

namespace linkar::ui {

Window::Window(int id, int thread, const Structure& decl)
    : m_id(id), m_thread(thread),
      m_kind(decl.kind == StructureKind::Application ? WindowKind::Application
             : decl.kind == StructureKind::Report    ? WindowKind::Report
                                                     : WindowKind::Window),
      m_decl(&decl) {
  initControls();
}

Window::Window(int id, int thread, std::unique_ptr<Structure> decl, WindowKind kind)
    : m_id(id), m_thread(thread), m_kind(kind), m_ownDecl(std::move(decl)), m_decl(m_ownDecl.get()) {
  initControls();
}

void Window::initControls() {
  m_title = m_decl->title;
  m_place = m_decl->at;
  m_timer = m_decl->timer;
  m_status.assign(std::max<size_t>(1, m_decl->statusZones.size()), std::string());
  m_states.resize(m_decl->controls.size());
  for (size_t i = 0; i < m_decl->controls.size(); ++i) {
    const ControlDecl& c = m_decl->controls[i];
    ControlState& s = m_states[i];
    s.text = c.text;
    s.status = c.status;
    s.picture = c.picture;
    s.enabled = !c.disabled;
    s.hidden = c.hidden;
    if (c.type == ControlType::Sheet) s.selection = 1;
  }
}

size_t Window::indexOf(int field) const {
  for (size_t i = 0; i < m_decl->controls.size(); ++i)
    if (m_decl->controls[i].field == field) return i;
  return m_decl->controls.size();
}

bool Window::hasField(int field) const { return field != 0 && indexOf(field) < m_states.size(); }

const ControlDecl& Window::control(int field) const {
  size_t i = indexOf(field);
  assert(i < m_states.size() && "no such field in this window");
  return m_decl->controls[i];
}

ControlState& Window::state(int field) {
  size_t i = indexOf(field);
  assert(i < m_states.size() && "no such field in this window");
  return m_states[i];
}

const ControlState& Window::state(int field) const {
  size_t i = indexOf(field);
  assert(i < m_states.size() && "no such field in this window");
  return m_states[i];
}

int Window::fieldOf(std::string_view use) const {
  const ControlDecl* c = m_decl->byUse(use);
  return c ? c->field : 0;
}

std::vector<int> Window::fields() const {
  std::vector<int> out;
  for (const auto& c : m_decl->controls) out.push_back(c.field);
  return out;
}

bool Window::reachable(int field) const {
  size_t i = indexOf(field);
  while (i < m_states.size()) {
    if (m_states[i].hidden || !m_states[i].enabled) return false;
    int parent = m_decl->controls[i].parent;
    if (parent < 0) return true;
    i = static_cast<size_t>(parent);
  }
  return false;
}

int Window::rowsOf(int field) const {
  size_t i = indexOf(field);
  return i < m_visibleRows.size() ? m_visibleRows[i] : 0;
}

void Window::setVisibleRows(int field, int rows) {
  size_t i = indexOf(field);
  assert(i < m_states.size() && "no such field in this window");
  m_visibleRows.resize(m_states.size(), 0);
  m_visibleRows[i] = std::max(1, rows);
}

void Window::display(int field) {
  for (size_t i = 0; i < m_decl->controls.size(); ++i) {
    const ControlDecl& c = m_decl->controls[i];
    if (field != 0 && c.field != field) continue;
    ControlState& s = m_states[i];
    if (c.type == ControlType::List) {
      if (!s.source.count) continue;
      s.rows.clear();
      size_t n = s.source.count();
      size_t columns = c.format ? c.format->columns.size() : 1;
      for (size_t r = 0; r < n; ++r) {
        std::vector<std::string> row;
        for (size_t col = 0; col < columns; ++col) {
          std::string value = s.source.cell ? s.source.cell(r, col) : std::string();
          row.push_back(c.format ? formatForDisplay(value, c.format->columns[col].picture) : value);
        }
        s.rows.push_back(std::move(row));
      }
      if (s.selection > static_cast<int>(n)) s.selection = static_cast<int>(n);
      continue;
    }
    if (!s.binding.get) continue;
    std::string value = s.binding.get();
    if (c.type == ControlType::Progress) {
      s.progress = std::clamp(std::atoi(value.c_str()), 0, 100);
    } else {
      s.text = formatForDisplay(value, s.picture);
    }
  }
}

void Window::update(int field) {
  for (size_t i = 0; i < m_decl->controls.size(); ++i) {
    const ControlDecl& c = m_decl->controls[i];
    if (field != 0 && c.field != field) continue;
    if (c.type != ControlType::Entry && c.type != ControlType::Spin && c.type != ControlType::Text)
      continue;
    ControlState& s = m_states[i];
    if (!s.binding.set) continue;
    if (auto value = deformatInput(s.text, s.picture)) s.binding.set(*value);
  }
}

void Window::focusControl(int field) {
  m_focus = field;
  if (hasField(field) && m_decl->statusBar) setStatusText(1, state(field).status);
}

const std::string& Window::statusText(int zone) const {
  static const std::string kEmpty;
  if (zone < 1 || static_cast<size_t>(zone) > m_status.size()) return kEmpty;
  return m_status[static_cast<size_t>(zone) - 1];
}

void Window::setStatusText(int zone, std::string_view text) {
  if (zone < 1) return;
  if (static_cast<size_t>(zone) > m_status.size()) m_status.resize(static_cast<size_t>(zone));
  m_status[static_cast<size_t>(zone) - 1] = text;
}

void Window::post(int event, int field) { m_queue.push_back({event + kEventMessageBase, field}); }

bool Window::hasPending(int event, int field) const {
  return std::any_of(m_queue.begin(), m_queue.end(),
                     [&](const PendingEvent& e) { return e.event() == event && e.field == field; });
}

PendingEvent Window::takeEvent() {
  assert(!m_queue.empty());
  PendingEvent e = m_queue.front();
  m_queue.pop_front();
  return e;
}

}  // namespace linkar::ui
