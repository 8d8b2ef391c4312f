// The accept loop: the loop's window is the thread's newest window when the
// loop is entered; each round hands over one queued event, and while none is
// queued the thread waits for the user (the other threads go on meanwhile).

#include "ui/accept_loop.h"

#include "runtime/error_codes.h"
#include "runtime/runtime_error.h"
#include "ui/event_codes.h"
#include "ui/picture_field.h"

namespace linkar::ui {

AcceptLoop::AcceptLoop(const ProcedureThreads& threads, WindowRegistry& registry, Scheduler& scheduler,
                       Backend& backend, EventTrace& trace)
    : m_threads(threads), m_registry(registry), m_scheduler(scheduler), m_backend(backend), m_trace(trace) {}

const AcceptLoop::SlotLoop* AcceptLoop::current() const {
  int slot = m_threads.current();
  return slot < 0 ? nullptr : &m_slots[static_cast<size_t>(slot)];
}

bool AcceptLoop::acceptEvent() {
  int slot = m_threads.current();
  if (slot < 0) runtime::raiseRuntimeError(runtime::err::kAcceptRequiresWindow);
  SlotLoop& t = loopOf(slot);
  t.event = 0;
  t.field = 0;
  // The loop's window was closed inside the loop body: the loop ends.
  if (!t.loops.empty() && !m_registry.window(t.loops.back())) {
    t.loops.pop_back();
    return false;
  }
  // Entering a loop: the thread's newest window becomes the loop's window.
  Window* top = m_registry.topWindow(slot);
  if (top && (t.loops.empty() || t.loops.back() != top->id())) t.loops.push_back(top->id());
  if (t.loops.empty()) runtime::raiseRuntimeError(runtime::err::kAcceptRequiresWindow);
  for (;;) {
    Window* w = m_registry.window(t.loops.back());
    if (!w || w->closeDelivered()) {
      t.loops.pop_back();
      return false;
    }
    if (w->hasEvents()) {
      PendingEvent e = w->takeEvent();
      int code = e.event();
      if (code == Event::CloseWindow || code == Event::CloseDown) w->setCloseDelivered();
      t.event = code;
      t.field = e.field;
      m_trace.delivered(slot + 1, w->label(), code, e.field);
      return true;
    }
    for (int id : m_registry.windowsOf(slot)) m_backend.windowChanged(*m_registry.window(id));
    m_scheduler.waitFor(Wait::Accept);
  }
}

int AcceptLoop::event() const {
  const SlotLoop* t = current();
  return t ? t->event : 0;
}

int AcceptLoop::field() const {
  const SlotLoop* t = current();
  return t && isFieldEvent(t->event) ? t->field : 0;
}

int AcceptLoop::accepted() const { return event() == Event::Accepted ? field() : 0; }

void AcceptLoop::post(int event, int field, int threadNumber) {
  int slot = threadNumber == 0 ? m_threads.current() : threadNumber - 1;
  if (slot < 0 || slot >= ProcedureThreads::kSlots) return;
  Window* w = m_registry.topWindow(slot);
  if (!w) return;
  w->post(event, isFieldEvent(event) ? field : 0);
}

void AcceptLoop::postTo(int id, int event, int field) {
  Window* w = m_registry.window(id);
  if (!w || w->kind() == WindowKind::MessageBox) return;
  if (w->kind() == WindowKind::Report) runtime::raiseRuntimeError(runtime::err::kEventPostedToReportControl);
  w->post(event, isFieldEvent(event) ? field : 0);
}

void AcceptLoop::selectControl(int field, int row) {
  Window* w = currentWindow();
  if (!w || !w->hasField(field)) return;
  w->focusControl(field);
  ControlType type = w->control(field).type;
  if (row > 0 && (type == ControlType::List || type == ControlType::Sheet)) w->state(field).selection = row;
}

void AcceptLoop::display(int field) {
  if (Window* w = currentWindow()) {
    w->display(field);
    m_backend.windowChanged(*w);
  }
}

void AcceptLoop::update(int field) {
  if (Window* w = currentWindow()) w->update(field);
}

void AcceptLoop::acceptAll() {
  Window* w = currentWindow();
  if (!w) return;
  for (int f : w->fields()) {
    const ControlDecl& c = w->control(f);
    if (c.type != ControlType::Entry && c.type != ControlType::Spin && c.type != ControlType::Text)
      continue;
    ControlState& s = w->state(f);
    if (s.hidden || !s.enabled) continue;
    auto value = deformatInput(s.text, s.picture);
    if (!value) {
      w->focusControl(f);
      w->post(Event::Rejected, f);
      return;
    }
    if (s.binding.set) s.binding.set(*value);
  }
  w->post(Event::Completed, 0);
}

int AcceptLoop::keyCode() const {
  const SlotLoop* t = current();
  return t ? t->keyCode : 0;
}

int AcceptLoop::keyChar() const {
  const SlotLoop* t = current();
  return t ? t->keyChar : 0;
}

void AcceptLoop::setKeyCode(int code) {
  int slot = m_threads.current();
  if (slot < 0) return;
  loopOf(slot).keyCode = code;
  if (code == 0) loopOf(slot).keyChar = 0;
}

void AcceptLoop::setBusy(bool busy) {
  m_busy = busy;
  m_backend.busyCursor(busy);
}

void AcceptLoop::setKey(int slot, int code, int character) {
  loopOf(slot).keyCode = code;
  loopOf(slot).keyChar = character;
}

bool AcceptLoop::eventReady(int slot) const {
  const SlotLoop& t = m_slots[static_cast<size_t>(slot)];
  if (t.loops.empty()) return true;
  Window* w = m_registry.window(t.loops.back());
  return !w || w->hasEvents() || w->closeDelivered();
}

bool AcceptLoop::postTimer(int slot) {
  const SlotLoop& t = loopOf(slot);
  if (m_scheduler.waitOf(slot) != Wait::Accept || t.loops.empty()) return false;
  Window* w = m_registry.window(t.loops.back());
  if (!w || w->timer() <= 0 || w->hasEvents()) return false;
  w->post(Event::Timer, 0);
  return true;
}

void AcceptLoop::clear(int slot) { loopOf(slot) = SlotLoop{}; }

void AcceptLoop::inheritKey(int from, int to) {
  if (from < 0) return;
  setKey(to, loopOf(from).keyCode, loopOf(from).keyChar);
}

}  // namespace linkar::ui
