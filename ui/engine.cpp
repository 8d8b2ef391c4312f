// The window engine put together: its parts wired to one another, the
// thread life that concerns all of them (START, a procedure returning) and
// the answers the scheduler needs about threads waiting for the user.

#include "ui/engine.h"

#include <cstdio>

#include "runtime/runtime_error.h"

namespace linkar::ui {
namespace {

Engine* g_instance = nullptr;

}  // namespace

void Backend::showFatal(std::string_view caption, std::string_view message) {
  std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
               static_cast<int>(message.size()), message.data());
}

Engine::Engine(Backend& backend, const Catalogue& catalogue)
    : m_backend(backend),
      m_catalogue(catalogue),
      m_registry(backend, catalogue, m_threads),
      m_scheduler(m_threads, backend, *this),
      m_loop(m_threads, m_registry, m_scheduler, backend, m_trace),
      m_dialogs(backend, m_registry, m_scheduler, m_threads),
      m_input(backend, m_registry, m_loop, m_dialogs, m_scheduler) {
  m_previousInstance = g_instance;
  g_instance = this;
  m_threads.setOnFinish([this](int slot) { onThreadFinished(slot); });
  m_previousErrorHandler = runtime::setRuntimeErrorHandler(
      [this](std::string_view caption, std::string_view message) { m_dialogs.showRuntimeError(caption, message); });
}

Engine::~Engine() {
  // Suspended procedures unwind while the engine they may touch still lives.
  m_threads.unwindAll();
  runtime::setRuntimeErrorHandler(m_previousErrorHandler);
  g_instance = m_previousInstance;
}

Engine* Engine::instance() { return g_instance; }

int Engine::start(Procedure procedure, int stackBytes) {
  if (m_scheduler.ended()) return 0;
  int number = m_threads.start(std::move(procedure), stackBytes);
  if (number != 0) {
    clearThread(number - 1);
    m_loop.inheritKey(m_threads.current(), number - 1);
  }
  return number;
}

void Engine::startMain(Procedure main) {
  clearThread(0);
  m_threads.startMain(std::move(main));
}

int Engine::postTimers() {
  // A system-modal box or a file dialog holds every timer too.
  if (m_dialogs.holdingSlot() >= 0) return 0;
  int posted = 0;
  for (int slot = 0; slot < ProcedureThreads::kSlots; ++slot)
    if (m_loop.postTimer(slot)) ++posted;
  return posted;
}

bool Engine::heldBack(int slot) const {
  int holder = m_dialogs.holdingSlot();
  return holder >= 0 && holder != slot;
}

bool Engine::waitOver(int slot, Wait wait) const {
  return wait == Wait::Accept ? m_loop.eventReady(slot) : m_dialogs.answered(slot, wait);
}

void Engine::clearThread(int slot) {
  m_registry.clear(slot);
  m_scheduler.clear(slot);
  m_loop.clear(slot);
  m_dialogs.clear(slot);
}

void Engine::onThreadFinished(int slot) {
  m_registry.closeAllOf(slot);
  m_loop.clear(slot);
  m_dialogs.clear(slot);
  m_scheduler.finished(slot);
}

}  // namespace linkar::ui
