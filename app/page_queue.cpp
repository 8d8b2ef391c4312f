// The browse's page of entries.
#include "app/page_queue.h"

#include <cassert>

namespace linkar::app {

const QueueEntry& PageQueue::entry(int row) const {
  assert(row >= 1 && row <= size());
  return m_entries[static_cast<size_t>(row - 1)];
}

void PageQueue::remove(int row) {
  assert(row >= 1 && row <= size());
  m_entries.erase(m_entries.begin() + (row - 1));
}

int PageQueue::rowOf(const std::string& position) const {
  for (size_t i = 0; i < m_entries.size(); ++i)
    if (m_entries[i].position == position) return static_cast<int>(i) + 1;
  return 0;
}

}  // namespace linkar::app
