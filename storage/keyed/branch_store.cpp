// The branch store: pages by reference with a recency list and a byte budget.
#include "storage/keyed/branch_store.h"

#include <utility>

namespace linkar::keyed {

void BranchStore::drop(std::unordered_map<std::int32_t, Held>::iterator it) {
  m_bytes -= it->second.footprint;
  m_recency.erase(it->second.recency);
  m_held.erase(it);
}

void BranchStore::put(std::unique_ptr<Page> page) {
  if (!page->isBranch() || page->dirty || page->ref() < 0) return;
  const std::size_t footprint = page->footprint();
  if (footprint > kBudget) return;
  const std::int32_t ref = page->ref();
  if (const auto it = m_held.find(ref); it != m_held.end()) drop(it);
  while (m_bytes + footprint > kBudget && !m_recency.empty()) drop(m_held.find(m_recency.front()));
  Held& held = m_held[ref];
  held.page = std::move(page);
  held.footprint = footprint;
  held.recency = m_recency.insert(m_recency.end(), ref);
  m_bytes += footprint;
}

std::unique_ptr<Page> BranchStore::take(std::int32_t ref) {
  const auto it = m_held.find(ref);
  if (it == m_held.end()) return nullptr;
  std::unique_ptr<Page> page = std::move(it->second.page);
  drop(it);
  return page;
}

void BranchStore::clear() {
  if (m_held.empty()) return;
  m_held.clear();
  m_recency.clear();
  m_bytes = 0;
}

}  // namespace linkar::keyed
