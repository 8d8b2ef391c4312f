// The procedure-thread table: 64 slots, slot 0 the program's main thread,
// each started procedure a stackful fiber on the one GUI thread.
//
// Invariants:
//  1. At most one fiber runs at any moment; the home context (the backend's
//     event loop, or a test playing the user) resumes a fiber with resume()
//     and gets control back when that fiber calls wait() or returns.
//  2. Fibers switch only through wait(): the engine calls it in the accept
//     loop's wait for an event and while a message box or popup is up.
//  3. Each slot owns a storage::ThreadContext (string stack, evaluator
//     bindings, error state, files: record and memo buffers, open files,
//     transaction); resume() makes the slot's context current and hands the
//     home context's back when the fiber yields. Nothing is copied at a
//     switch: only the current pointers change.
//  4. A slot is in use from start() until its procedure returns; slot 0 is
//     in use for the program's lifetime.
//
// Life of a slot:
//
//   free --start()--> created --resume()--> running --wait()--> waiting
//                                              ^                    |
//                                              +-----resume()-------+
//   running --procedure returns--> onFinish (windows closed) --> free
//   waiting --unwindAll()--> stack unwound --> free
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace linkar::ui {

using Procedure = std::function<void()>;

class ProcedureThreads {
 public:
  // Slots of the table; slot 0 is the main thread.
  static constexpr int kSlots = 64;
  // A requested stack below this many bytes is raised to it.
  static constexpr int kMinStackBytes = 20000;

  ProcedureThreads();
  ~ProcedureThreads();  // unwinds every suspended fiber
  // Unwinds the stacks of all suspended fibers (their destructors run) and
  // frees their slots; the home context only.
  void unwindAll();
  ProcedureThreads(const ProcedureThreads&) = delete;
  ProcedureThreads& operator=(const ProcedureThreads&) = delete;

  // Takes the first free slot from 1 up for procedure and returns its
  // thread number (slot + 1), or 0 when no slot is free, the fiber cannot be
  // created or starting is barred. The procedure runs at its first resume().
  int start(Procedure procedure, int stackBytes);
  // Puts the main procedure in slot 0 (thread number 1).
  void startMain(Procedure procedure);

  void setStartBarred(bool barred) { m_startBarred = barred; }

  // Home context only: runs the slot until it waits or returns. False when
  // the slot holds nothing to run.
  bool resume(int slot);
  // Inside a fiber only: gives control back to the home context until the
  // slot is resumed again.
  void wait();

  // The running slot, or -1 in the home context.
  int current() const { return m_current; }
  bool inFiber() const { return m_current >= 0; }
  bool inUse(int slot) const;
  bool started(int slot) const;           // has run at least once
  bool alive(int slot) const;             // holds a fiber that has not returned
  int recordedStackBytes(int slot) const;  // the size START recorded
  int usedSlots() const;

  // Called in the finishing fiber after its procedure returned, before its
  // slot is freed (the engine closes the thread's windows here).
  void setOnFinish(std::function<void(int slot)> onFinish) { m_onFinish = std::move(onFinish); }
  // Counts the procedures a slot has held: a slot reused by a new START has
  // a new generation.
  unsigned generation(int slot) const;

 private:
  struct Slot;
  void switchTo(int slot);
  // Gives the slot its fiber with a real stack of stackBytes; the fiber runs
  // the slot's procedure and reports the slot finished. Throws when no stack
  // can be had.
  void launch(Slot& slot, int index, size_t stackBytes);
  std::array<std::unique_ptr<Slot>, kSlots> m_slots;
  int m_current = -1;
  bool m_startBarred = false;
  std::function<void(int)> m_onFinish;
  std::array<unsigned, kSlots> m_generation{};
};

}  // namespace linkar::ui
