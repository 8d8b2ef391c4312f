// Process-wide memory kept separate for every procedure thread, such as the
// record buffer of a file that each thread works in on its own: whatever a
// thread leaves in it is saved when the thread gives up control and put back
// when it runs again, so another thread's work in between does not show.
#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "ui/procedure_threads.h"

namespace linkar::ui {

class ThreadSwappedMemory {
 public:
  // REQUIRES: data stays valid while this object lives; made and destroyed
  // in the home context. A thread running for the first time finds the
  // contents the memory had when this object was made.
  ThreadSwappedMemory(ProcedureThreads& threads, void* data, size_t size);
  ~ThreadSwappedMemory();
  ThreadSwappedMemory(const ThreadSwappedMemory&) = delete;
  ThreadSwappedMemory& operator=(const ThreadSwappedMemory&) = delete;

 private:
  struct Saved {
    bool valid = false;
    unsigned generation = 0;
    std::vector<std::byte> bytes;
  };
  // The home context keeps its copy after the 64 slots.
  static constexpr size_t kHome = ProcedureThreads::kSlots;

  void onSwitch(int from, int to);
  size_t indexOf(int slot) const { return slot < 0 ? kHome : static_cast<size_t>(slot); }

  ProcedureThreads& m_threads;
  std::byte* m_data;
  size_t m_size;
  std::vector<std::byte> m_initial;
  std::array<Saved, ProcedureThreads::kSlots + 1> m_saved;
  int m_hook = 0;
};

}  // namespace linkar::ui
