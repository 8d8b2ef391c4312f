// The page queue of a browse: one entry per row the list shows, in display
// order, each holding the raw bytes of the browse's columns and the view
// position text of its record. The list control displays the queue
// directly; rows count from 1 as the list's highlight does. Holds one page
// at most (the browse drops entries at the other end as it fills).
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace linkar::app {

struct QueueEntry {
  std::vector<std::string> columns;  // each column's field bytes
  std::string position;              // the view's position text of the record
};

class PageQueue {
 public:
  int size() const { return static_cast<int>(m_entries.size()); }
  bool empty() const { return m_entries.empty(); }
  void clear() { m_entries.clear(); }

  // REQUIRES: 1 <= row <= size().
  const QueueEntry& entry(int row) const;
  const QueueEntry& first() const { return entry(1); }
  const QueueEntry& last() const { return entry(size()); }

  void pushBack(QueueEntry entry) { m_entries.push_back(std::move(entry)); }
  void pushFront(QueueEntry entry) { m_entries.push_front(std::move(entry)); }
  void dropFront() { m_entries.pop_front(); }
  void dropBack() { m_entries.pop_back(); }
  // REQUIRES: 1 <= row <= size().
  void remove(int row);

  // The row whose record has that position, or 0.
  int rowOf(const std::string& position) const;

 private:
  std::deque<QueueEntry> m_entries;
};

}  // namespace linkar::app
