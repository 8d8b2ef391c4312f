// The window engine's statements: OPEN, CLOSE, the accept loop, EVENT(),
// FIELD(), ACCEPTED(), POST, SELECT, DISPLAY, UPDATE, the accept-all pass and
// START, and the home-side scheduling of procedure threads.
//
// Scheduling: runReady() resumes, from the home context, every thread that
// can go on: one not yet started, one whose accept loop has an event (or
// whose loop window is gone), one whose message box or popup was answered.
// A thread runs until it waits again (waitForUser) or returns.

#include "ui/engine.h"

#include <algorithm>
#include <cassert>
#include <cstdio>

#include "runtime/runtime_error.h"
#include "ui/event_codes.h"
#include "ui/picture_field.h"

namespace linkar::ui {
namespace {

Engine* g_instance = nullptr;

bool takesFocus(ControlType type) {
  switch (type) {
    case ControlType::Button: case ControlType::Entry: case ControlType::Text:
    case ControlType::Spin: case ControlType::List:
      return true;
    default:
      return false;
  }
}

}  // namespace

void Backend::showFatal(std::string_view caption, std::string_view message) {
  std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(message.size()), message.data());
}

Engine::Engine(Backend& backend, const Catalogue& catalogue)
    : m_backend(backend), m_catalogue(catalogue) {
  m_previousInstance = g_instance;
  g_instance = this;
  m_threads.setOnFinish([this](int slot) { onThreadFinished(slot); });
  m_previousErrorHandler = runtime::setRuntimeErrorHandler(
      [this](std::string_view caption, std::string_view message) { showRuntimeError(caption, message); });
}

Engine::~Engine() {
  // Suspended procedures unwind while the engine they may touch still lives.
  m_threads.unwindAll();
  runtime::setRuntimeErrorHandler(m_previousErrorHandler);
  g_instance = m_previousInstance;
}

Engine* Engine::instance() { return g_instance; }

int Engine::currentSlot() const { return m_threads.current(); }

Window* Engine::window(int id) {
  auto it = m_windows.find(id);
  return it == m_windows.end() ? nullptr : it->second.get();
}

Window* Engine::topWindow(int slot) {
  if (slot < 0) return nullptr;
  auto& list = stateOf(slot).windows;
  return list.empty() ? nullptr : window(list.back());
}

Window* Engine::currentWindow() { return topWindow(currentSlot()); }

int Engine::frameId() const {
  for (const auto& [id, w] : m_windows)
    if (w->kind() == WindowKind::Application) return id;
  return 0;
}

int Engine::thread() const { return currentSlot() + 1; }

void Engine::computeRows(Window& w) {
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

void Engine::focusControl(Window& w, int field) {
  w.setFocus(field);
  if (w.hasField(field) && w.decl().statusBar) w.setStatusText(1, w.state(field).status);
}

int Engine::open(std::string_view label) { return open({}, label); }

int Engine::open(std::string_view module, std::string_view label) {
  int slot = currentSlot();
  if (slot < 0) runtime::raiseRuntimeError(WindowError::kOpenWindow);
  const Structure* s = module.empty() ? m_catalogue.find(label) : m_catalogue.find(module, label);
  if (!s || s->kind == StructureKind::Report) runtime::raiseRuntimeError(WindowError::kOpenWindow);
  int frame = frameId();
  if (s->kind == StructureKind::Application && frame != 0)
    runtime::raiseRuntimeError(WindowError::kAppAlreadyActive);
  if (s->mdi) {
    if (frame == 0) runtime::raiseRuntimeError(WindowError::kNoApplication);
    if (window(frame)->thread() == slot) runtime::raiseRuntimeError(WindowError::kMdiOnAppThread);
  }
  for (int id : stateOf(slot).windows)
    if (&window(id)->decl() == s) runtime::raiseRuntimeError(WindowError::kAlreadyOpen);

  int id = newId();
  auto w = std::make_unique<Window>(id, slot, *s);
  computeRows(*w);
  for (int f : w->fields()) {
    if (takesFocus(w->control(f).type) && w->reachable(f)) {
      focusControl(*w, f);
      break;
    }
  }
  w->post(Event::OpenWindow, 0);
  Window& ref = *w;
  m_windows.emplace(id, std::move(w));
  m_order.push_back(id);
  stateOf(slot).windows.push_back(id);
  if (s->mdi) {
    // A new MDI child takes the activation from the one that had it.
    Window* old = window(m_active);
    if (old && old->decl().mdi && !old->hasPending(Event::LoseFocus, 0)) old->post(Event::LoseFocus, 0);
  }
  if (s->kind == StructureKind::Application || s->mdi || m_active == 0) m_active = id;
  m_backend.windowOpened(ref);
  return id;
}

void Engine::close(int id) {
  Window* w = window(id);
  if (!w || w->kind() == WindowKind::MessageBox) runtime::raiseRuntimeError(WindowError::kNotOpen);
  if (w->kind() == WindowKind::Report) {
    auto& list = stateOf(w->thread()).reports;
    list.erase(std::remove(list.begin(), list.end(), id), list.end());
    m_windows.erase(id);
    return;
  }
  closeWindow(id, true);
}

int Engine::openReport(std::string_view label) {
  int slot = currentSlot();
  if (slot < 0) runtime::raiseRuntimeError(WindowError::kOpenWindow);
  const Structure* s = m_catalogue.find(label);
  if (!s || s->kind != StructureKind::Report) runtime::raiseRuntimeError(WindowError::kOpenWindow);
  for (int id : stateOf(slot).reports)
    if (&window(id)->decl() == s) runtime::raiseRuntimeError(WindowError::kReportAlreadyOpen);
  int id = newId();
  m_windows.emplace(id, std::make_unique<Window>(id, slot, *s));
  stateOf(slot).reports.push_back(id);
  return id;
}

void Engine::postTo(int id, int event, int field) {
  Window* w = window(id);
  if (!w || w->kind() == WindowKind::MessageBox) return;
  if (w->kind() == WindowKind::Report) runtime::raiseRuntimeError(WindowError::kEventToReport);
  w->post(event, isFieldEvent(event) ? field : 0);
}

void Engine::closeWindow(int id, bool notifyThread) {
  Window* w = window(id);
  if (!w) return;
  int slot = w->thread();
  auto& list = stateOf(slot).windows;
  bool wasTop = !list.empty() && list.back() == id;
  list.erase(std::remove(list.begin(), list.end(), id), list.end());
  m_backend.windowClosed(*w);
  m_order.erase(std::remove(m_order.begin(), m_order.end(), id), m_order.end());
  m_windows.erase(id);
  if (m_active == id) {
    // The newest remaining MDI child becomes active and regains the focus;
    // with none left, the frame is active.
    m_active = frameId();
    for (auto it = m_order.rbegin(); it != m_order.rend(); ++it) {
      Window* other = window(*it);
      if (other->kind() == WindowKind::Window && other->decl().mdi) {
        m_active = *it;
        if (!other->hasPending(Event::GainFocus, 0)) other->post(Event::GainFocus, 0);
        break;
      }
    }
  }
  // The window under it on the same thread gets the focus back.
  if (notifyThread && wasTop) {
    if (Window* next = topWindow(slot)) {
      if (!next->hasPending(Event::GainFocus, 0)) next->post(Event::GainFocus, 0);
    }
  }
}

bool Engine::accept() {
  int slot = currentSlot();
  if (slot < 0) runtime::raiseRuntimeError(WindowError::kAcceptNeedsWindow);
  ThreadState& t = stateOf(slot);
  t.event = 0;
  t.field = 0;
  // The loop's window was closed inside the loop body: the loop ends.
  if (!t.loops.empty() && !window(t.loops.back())) {
    t.loops.pop_back();
    return false;
  }
  // Entering a loop: the thread's newest window becomes the loop's window.
  Window* top = topWindow(slot);
  if (top && (t.loops.empty() || t.loops.back() != top->id())) t.loops.push_back(top->id());
  if (t.loops.empty()) runtime::raiseRuntimeError(WindowError::kAcceptNeedsWindow);
  for (;;) {
    Window* w = window(t.loops.back());
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
    for (int id : t.windows) m_backend.windowChanged(*window(id));
    waitForUser(Wait::Accept);
  }
}

void Engine::waitForUser(Wait wait) {
  int slot = currentSlot();
  stateOf(slot).wait = wait;
  m_threads.wait();
  stateOf(slot).wait = Wait::None;
}

int Engine::event() const {
  int slot = currentSlot();
  return slot < 0 ? 0 : m_state[static_cast<size_t>(slot)].event;
}

int Engine::field() const {
  int slot = currentSlot();
  if (slot < 0) return 0;
  const ThreadState& t = m_state[static_cast<size_t>(slot)];
  return isFieldEvent(t.event) ? t.field : 0;
}

int Engine::accepted() const { return event() == Event::Accepted ? field() : 0; }

void Engine::post(int event, int field, int threadNumber) {
  int slot = threadNumber == 0 ? currentSlot() : threadNumber - 1;
  if (slot < 0 || slot >= ProcedureThreads::kSlots) return;
  Window* w = topWindow(slot);
  if (!w) return;
  w->post(event, isFieldEvent(event) ? field : 0);
}

void Engine::select(int field, int row) {
  Window* w = currentWindow();
  if (!w || !w->hasField(field)) return;
  focusControl(*w, field);
  ControlState& s = w->state(field);
  if (row > 0 && w->control(field).type == ControlType::List) s.selection = row;
  if (row > 0 && w->control(field).type == ControlType::Sheet) s.selection = row;
}

void Engine::display(int field) {
  if (Window* w = currentWindow()) {
    w->display(field);
    m_backend.windowChanged(*w);
  }
}

void Engine::update(int field) {
  if (Window* w = currentWindow()) w->update(field);
}

void Engine::acceptAll() {
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
      focusControl(*w, f);
      w->post(Event::Rejected, f);
      return;
    }
    if (s.binding.set) s.binding.set(*value);
  }
  w->post(Event::Completed, 0);
}

int Engine::start(Procedure procedure, int stackBytes) {
  if (m_ended) return 0;
  int number = m_threads.start(std::move(procedure), stackBytes);
  if (number != 0) {
    ThreadState& t = stateOf(number - 1);
    t = ThreadState{};
    // The new thread inherits the key that started it, as its caller saw it.
    int from = currentSlot();
    if (from >= 0) {
      t.keyCode = stateOf(from).keyCode;
      t.keyChar = stateOf(from).keyChar;
    }
  }
  return number;
}

void Engine::startMain(Procedure main) {
  stateOf(0) = ThreadState{};
  m_threads.startMain(std::move(main));
}

int Engine::keyCode() const {
  int slot = currentSlot();
  return slot < 0 ? 0 : m_state[static_cast<size_t>(slot)].keyCode;
}

int Engine::keyChar() const {
  int slot = currentSlot();
  return slot < 0 ? 0 : m_state[static_cast<size_t>(slot)].keyChar;
}

void Engine::setKeyCode(int code) {
  int slot = currentSlot();
  if (slot >= 0) {
    stateOf(slot).keyCode = code;
    if (code == 0) stateOf(slot).keyChar = 0;
  }
}

void Engine::onThreadFinished(int slot) {
  ThreadState& t = stateOf(slot);
  // A returning procedure leaves no window behind.
  std::vector<int> open = t.windows;
  for (auto it = open.rbegin(); it != open.rend(); ++it) closeWindow(*it, false);
  for (int id : t.reports) m_windows.erase(id);
  t = ThreadState{};
  t.wait = Wait::Ended;
  if (slot == 0) {
    m_ended = true;
    m_exitCode = 0;
    m_threads.setStartBarred(true);
    m_backend.programEnded(0);
  }
}

bool Engine::runnable(int slot) {
  if (!m_threads.alive(slot)) return false;
  ThreadState& t = stateOf(slot);
  // While a system-modal box or a file dialog is up only its own thread may
  // go on, so no other thread can open a window or enter a loop meanwhile.
  int holder = holdingSlot();
  if (holder >= 0 && holder != slot) return false;
  if (!m_threads.started(slot)) return true;
  switch (t.wait) {
    case Wait::Accept: {
      if (t.loops.empty()) return true;
      Window* w = window(t.loops.back());
      return !w || w->hasEvents() || w->closeDelivered();
    }
    case Wait::MessageBox: return t.boxResult != 0;
    case Wait::Popup: return t.popup && t.popup->result >= 0;
    case Wait::FileDialog: return t.fileDialog && t.fileDialog->result >= 0;
    case Wait::None: case Wait::Ended: return false;
  }
  return false;
}

bool Engine::runReady() {
  assert(!m_threads.inFiber() && "runReady runs in the home context");
  // Backend callbacks come from inside procedure threads; a nested call
  // from one of them must not resume another thread from there.
  if (m_threads.inFiber()) return false;
  bool any = false;
  bool progress = true;
  while (progress && !m_ended) {
    progress = false;
    // Newest threads first: when the frame closes, its children finish first.
    for (int slot = ProcedureThreads::kSlots - 1; slot >= 0 && !m_ended; --slot) {
      if (!runnable(slot)) continue;
      if (m_threads.resume(slot)) {
        progress = true;
        any = true;
      }
    }
  }
  return any;
}

int Engine::postTimers() {
  int posted = 0;
  if (holdingSlot() >= 0) return 0;
  for (int slot = 0; slot < ProcedureThreads::kSlots; ++slot) {
    ThreadState& t = stateOf(slot);
    if (t.wait != Wait::Accept || t.loops.empty()) continue;
    Window* w = window(t.loops.back());
    if (!w || w->timer() <= 0 || w->hasEvents()) continue;
    w->post(Event::Timer, 0);
    ++posted;
  }
  return posted;
}

bool Engine::threadWaiting(int threadNumber) const {
  int slot = threadNumber - 1;
  if (slot < 0 || slot >= ProcedureThreads::kSlots) return false;
  Wait w = m_state[static_cast<size_t>(slot)].wait;
  return w == Wait::Accept || w == Wait::MessageBox || w == Wait::Popup || w == Wait::FileDialog;
}

std::vector<Window*> Engine::windows() {
  std::vector<Window*> out;
  for (int id : m_order) out.push_back(window(id));
  return out;
}

}  // namespace linkar::ui
