// Procedure threads resumed from the home context, newest first, until
// every one waits; pauses between two tries of a wait kept on the monotonic
// clock; the end of the program.

#include "ui/scheduler.h"

#include <algorithm>
#include <cassert>

#include "platform/clock.h"
#include "runtime/runtime_error.h"

namespace linkar::ui {
namespace {

// A pause never takes less than this, so that a thread pausing again has a
// wake-up time after the start of the runReady() that resumed it.
constexpr std::int64_t kShortestPauseMilliseconds = 1;

}  // namespace

Scheduler::Scheduler(ProcedureThreads& threads, Backend& backend, const WaitConditions& conditions)
    : m_threads(threads), m_backend(backend), m_conditions(conditions) {
  m_previousPause = platform::setPauseHandler([this](std::int64_t milliseconds) { pause(milliseconds); });
}

Scheduler::~Scheduler() { platform::setPauseHandler(std::move(m_previousPause)); }

void Scheduler::waitFor(Wait wait) {
  int slot = m_threads.current();
  assert(slot >= 0 && "only a procedure thread waits");
  m_slots[static_cast<size_t>(slot)].wait = wait;
  m_threads.wait();
  m_slots[static_cast<size_t>(slot)].wait = Wait::None;
}

void Scheduler::pause(std::int64_t milliseconds) {
  if (!m_threads.inFiber()) {
    platform::sleepMilliseconds(milliseconds);
    return;
  }
  SlotWait& s = m_slots[static_cast<size_t>(m_threads.current())];
  s.wakeUp = platform::monotonicMilliseconds() + std::max(milliseconds, kShortestPauseMilliseconds);
  waitFor(Wait::Pause);
}

bool Scheduler::runnable(int slot) const {
  if (!m_threads.alive(slot)) return false;
  if (m_conditions.heldBack(slot)) return false;
  if (!m_threads.started(slot)) return true;
  const SlotWait& s = m_slots[static_cast<size_t>(slot)];
  switch (s.wait) {
    case Wait::Pause: return s.wakeUp <= m_roundStart;
    case Wait::None: case Wait::Ended: return false;
    case Wait::Accept: case Wait::MessageBox: case Wait::Popup: case Wait::FileDialog:
      return m_conditions.waitOver(slot, s.wait);
  }
  return false;
}

bool Scheduler::runReady() {
  assert(!m_threads.inFiber() && "runReady runs in the home context");
  // Backend callbacks come from inside procedure threads; a nested call
  // from one of them must not resume another thread from there.
  if (m_threads.inFiber()) return false;
  m_roundStart = platform::monotonicMilliseconds();
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

std::optional<std::int64_t> Scheduler::nextWakeUp() const {
  std::optional<std::int64_t> first;
  for (int slot = 0; slot < ProcedureThreads::kSlots; ++slot) {
    const SlotWait& s = m_slots[static_cast<size_t>(slot)];
    if (s.wait != Wait::Pause || !m_threads.alive(slot)) continue;
    if (!first || s.wakeUp < *first) first = s.wakeUp;
  }
  return first;
}

void Scheduler::clear(int slot) { m_slots[static_cast<size_t>(slot)] = SlotWait{}; }

void Scheduler::finished(int slot) {
  m_slots[static_cast<size_t>(slot)] = SlotWait{Wait::Ended, 0};
  if (slot == 0) markEnded(0);
}

bool Scheduler::waitsForUser(int slot) const {
  switch (waitOf(slot)) {
    case Wait::Accept: case Wait::MessageBox: case Wait::Popup: case Wait::FileDialog:
      return true;
    case Wait::None: case Wait::Pause: case Wait::Ended:
      return false;
  }
  return false;
}

void Scheduler::markEnded(int code) {
  m_ended = true;
  m_exitCode = code;
  m_threads.setStartBarred(true);
  m_backend.programEnded(code);
}

void Scheduler::endProgram(int code) {
  m_threads.setStartBarred(true);
  if (!m_endHandler) runtime::endProgram(code);
  m_endHandler(code);
  markEnded(code);
  // The handler returned: this thread never runs again.
  assert(m_threads.inFiber() && "a program ending outside a procedure thread must exit");
  if (!m_threads.inFiber()) runtime::endProgram(code);
  for (;;) waitFor(Wait::Ended);
}

}  // namespace linkar::ui
