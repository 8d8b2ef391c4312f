// Saving and restoring a block of memory at every switch between procedure
// threads.

#include "ui/thread_memory.h"

#include <cstring>

namespace linkar::ui {

ThreadSwappedMemory::ThreadSwappedMemory(ProcedureThreads& threads, void* data, size_t size)
    : m_threads(threads), m_data(static_cast<std::byte*>(data)), m_size(size),
      m_initial(m_data, m_data + size) {
  m_hook = m_threads.addSwitchHook([this](int from, int to) { onSwitch(from, to); });
}

ThreadSwappedMemory::~ThreadSwappedMemory() { m_threads.removeSwitchHook(m_hook); }

void ThreadSwappedMemory::onSwitch(int from, int to) {
  Saved& out = m_saved[indexOf(from)];
  out.bytes.assign(m_data, m_data + m_size);
  out.generation = m_threads.generation(from);
  out.valid = true;

  const Saved& in = m_saved[indexOf(to)];
  // A slot taken by a new procedure starts from the initial contents.
  bool current = in.valid && (to < 0 || in.generation == m_threads.generation(to));
  const std::vector<std::byte>& source = current ? in.bytes : m_initial;
  std::memcpy(m_data, source.data(), m_size);
}

}  // namespace linkar::ui
