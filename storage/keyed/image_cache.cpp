// The image cache: a map by offset with a recency list and a byte budget.
#include "storage/keyed/image_cache.h"

#include <utility>

namespace linkar::keyed {

std::shared_ptr<const PageContent> ImageCache::find(std::uint64_t offset, std::size_t length) {
  const auto it = m_held.find(offset);
  if (it == m_held.end() || it->second.length != length) return nullptr;
  m_recency.splice(m_recency.end(), m_recency, it->second.recency);
  return it->second.content;
}

void ImageCache::drop(std::unordered_map<std::uint64_t, Held>::iterator it) {
  m_bytes -= it->second.footprint;
  m_recency.erase(it->second.recency);
  m_held.erase(it);
}

void ImageCache::put(std::uint64_t offset, std::size_t length, std::shared_ptr<const PageContent> content) {
  const std::size_t footprint = content->footprint();
  if (footprint > kBudget) return;
  if (const auto it = m_held.find(offset); it != m_held.end()) drop(it);
  while (m_bytes + footprint > kBudget && !m_recency.empty()) drop(m_held.find(m_recency.front()));
  Held& held = m_held[offset];
  held.content = std::move(content);
  held.length = length;
  held.footprint = footprint;
  held.recency = m_recency.insert(m_recency.end(), offset);
  m_bytes += footprint;
}

void ImageCache::clear() {
  // Emptying the map walks all its buckets: not for every write of a commit.
  if (m_held.empty()) return;
  m_held.clear();
  m_recency.clear();
  m_bytes = 0;
}

}  // namespace linkar::keyed
