// Procedure threads as Boost.Context fibers. Every fiber is resumed from the
// home context and yields back to it, so control always passes through one
// place where the per-thread runtime state is swapped.

#include "ui/procedure_threads.h"

#include <algorithm>
#include <boost/context/fiber.hpp>
#include <boost/context/protected_fixedsize_stack.hpp>
#include <cassert>
#include <cstdio>
#include <exception>
#include <vector>

#include "runtime/error_codes.h"
#include "runtime/runtime_error.h"
#include "storage/layer/thread_context.h"

namespace linkar::ui {

namespace ctx = boost::context;

namespace {
// Native frames are several times larger than the sizes the program asks
// for, so a fiber gets this many bytes for each byte requested ...
constexpr size_t kStackScale = 16;
// ... and never less than this.
constexpr size_t kMinFiberStack = 512 * 1024;
// Runtime error for an internal fault of the window library.
constexpr int kInternalWindowError = runtime::err::kInternalError01;
}  // namespace

struct ProcedureThreads::Slot {
  // The thread's string stack, bindings, error state and files. Declared
  // first, so destroyed last: a fiber unwound at its slot's end still finds
  // them, and the files are closed after the procedure is gone.
  storage::ThreadContext context;
  Procedure procedure;
  int recordedStack = 0;
  bool started = false;
  ctx::fiber fiber;
  ctx::fiber home;  // valid while the fiber runs
};

ProcedureThreads::ProcedureThreads() = default;

ProcedureThreads::~ProcedureThreads() { unwindAll(); }

void ProcedureThreads::unwindAll() {
  // Destroying a suspended fiber unwinds its stack; each must see its own
  // slot as current while it unwinds, and not be re-entered.
  for (int i = 0; i < kSlots; ++i) {
    if (!m_slots[i]) continue;
    if (m_slots[i]->fiber) {
      storage::ThreadContext* previous = storage::switchThreadContext(&m_slots[i]->context);
      m_current = i;
      m_slots[i]->fiber = ctx::fiber();
      m_current = -1;
      storage::switchThreadContext(previous);
    }
    m_slots[i].reset();
  }
}

void ProcedureThreads::launch(Slot& slot, int index, size_t stackBytes) {
  Slot* raw = &slot;
  slot.fiber = ctx::fiber(std::allocator_arg, ctx::protected_fixedsize_stack(stackBytes),
                          [this, raw, index](ctx::fiber&& home) {
                            raw->home = std::move(home);
                            try {
                              raw->procedure();
                            } catch (const ctx::detail::forced_unwind&) {
                              throw;
                            } catch (const std::exception& e) {
                              runtime::raiseRuntimeError(kInternalWindowError, e.what());
                            }
                            if (m_onFinish) m_onFinish(index);
                            raw->procedure = nullptr;
                            return std::move(raw->home);
                          });
}

int ProcedureThreads::start(Procedure procedure, int stackBytes) {
  if (m_startBarred) return 0;
  for (int i = 1; i < kSlots; ++i) {
    if (m_slots[i]) continue;
    auto slot = std::make_unique<Slot>();
    slot->procedure = std::move(procedure);
    slot->recordedStack = std::max(stackBytes, kMinStackBytes);
    size_t real = std::max(kMinFiberStack, static_cast<size_t>(slot->recordedStack) * kStackScale);
    try {
      launch(*slot, i, real);
    } catch (const std::exception&) {
      return 0;  // no memory for the stack: the thread could not be created
    }
    m_slots[i] = std::move(slot);
    ++m_generation[static_cast<size_t>(i)];
    return i + 1;
  }
  return 0;
}

void ProcedureThreads::startMain(Procedure procedure) {
  assert(!m_slots[0] && "the main procedure runs once");
  auto slot = std::make_unique<Slot>();
  slot->procedure = std::move(procedure);
  slot->recordedStack = kMinStackBytes;
  launch(*slot, 0, kMinFiberStack * 4);
  m_slots[0] = std::move(slot);
  ++m_generation[0];
}

void ProcedureThreads::switchTo(int slot) {
  m_current = slot;
  storage::switchThreadContext(slot >= 0 ? &m_slots[slot]->context : nullptr);
}

bool ProcedureThreads::resume(int slot) {
  assert(!inFiber() && "only the home context resumes procedure threads");
  if (slot < 0 || slot >= kSlots || !m_slots[slot] || !m_slots[slot]->fiber) return false;
  Slot& s = *m_slots[slot];
  s.started = true;
  switchTo(slot);
  s.fiber = std::move(s.fiber).resume();
  switchTo(-1);
  // A fiber that has returned leaves an empty continuation: free the slot,
  // except slot 0, which stays in use while the program lives.
  if (!m_slots[slot]->fiber && slot != 0) m_slots[slot].reset();
  return true;
}

void ProcedureThreads::wait() {
  assert(inFiber() && "only a procedure thread waits");
  Slot& s = *m_slots[m_current];
  s.home = std::move(s.home).resume();
}

bool ProcedureThreads::inUse(int slot) const {
  if (slot == 0) return true;
  return slot > 0 && slot < kSlots && m_slots[slot] != nullptr;
}

bool ProcedureThreads::started(int slot) const {
  return slot >= 0 && slot < kSlots && m_slots[slot] && m_slots[slot]->started;
}

bool ProcedureThreads::alive(int slot) const {
  return slot >= 0 && slot < kSlots && m_slots[slot] && m_slots[slot]->fiber;
}

int ProcedureThreads::recordedStackBytes(int slot) const {
  if (slot < 0 || slot >= kSlots || !m_slots[slot]) return 0;
  return m_slots[slot]->recordedStack;
}

int ProcedureThreads::usedSlots() const {
  int n = 1;
  for (int i = 1; i < kSlots; ++i)
    if (m_slots[i]) ++n;
  return n;
}

unsigned ProcedureThreads::generation(int slot) const {
  return slot >= 0 && slot < kSlots ? m_generation[static_cast<size_t>(slot)] : 0;
}

}  // namespace linkar::ui
