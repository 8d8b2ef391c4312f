// The image cache: a map by offset with a recency list and a byte budget.
#include "storage/keyed/image_cache.h"

namespace linkar::keyed {

const std::string* ImageCache::find(std::uint64_t offset, std::size_t length) {
  const auto it = m_images.find(offset);
  if (it == m_images.end() || it->second.image.size() != length) return nullptr;
  m_recency.splice(m_recency.end(), m_recency, it->second.recency);
  return &it->second.image;
}

void ImageCache::put(std::uint64_t offset, std::string_view image) {
  if (image.size() > kBudget) return;
  if (const auto it = m_images.find(offset); it != m_images.end()) {
    m_bytes -= it->second.image.size();
    m_recency.erase(it->second.recency);
    m_images.erase(it);
  }
  while (m_bytes + image.size() > kBudget && !m_recency.empty()) {
    const auto oldest = m_images.find(m_recency.front());
    m_bytes -= oldest->second.image.size();
    m_images.erase(oldest);
    m_recency.pop_front();
  }
  Held& held = m_images[offset];
  held.image.assign(image);
  held.recency = m_recency.insert(m_recency.end(), offset);
  m_bytes += image.size();
}

void ImageCache::clear() {
  // Emptying the map walks all its buckets: not for every write of a commit.
  if (m_images.empty()) return;
  m_images.clear();
  m_recency.clear();
  m_bytes = 0;
}

}  // namespace linkar::keyed
