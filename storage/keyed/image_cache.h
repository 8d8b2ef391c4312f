// Recently read pages of one data file, decoded, by file offset, up to a
// byte budget. The page cache keeps few pages by its eviction rule; a page
// evicted there and needed again soon is built from here without reading,
// deciphering and decoding its image once more. Any write to the file and
// any change of its header seen from another process empties it, so what it
// holds is always the file's current content.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>

#include "storage/keyed/page_image.h"

namespace linkar::keyed {

class ImageCache {
 public:
  static constexpr std::size_t kBudget = 2u << 20;  // bytes held, as a small file cache

  // The content read at `offset` from an image of this length, or null.
  std::shared_ptr<const PageContent> find(std::uint64_t offset, std::size_t length);
  void put(std::uint64_t offset, std::size_t length, std::shared_ptr<const PageContent> content);
  void clear();

  std::size_t bytes() const { return m_bytes; }

 private:
  struct Held {
    std::shared_ptr<const PageContent> content;
    std::size_t length = 0;     // of the image it was decoded from
    std::size_t footprint = 0;
    std::list<std::uint64_t>::iterator recency;
  };
  void drop(std::unordered_map<std::uint64_t, Held>::iterator it);

  std::unordered_map<std::uint64_t, Held> m_held;
  std::list<std::uint64_t> m_recency;  // least recently used first
  std::size_t m_bytes = 0;
};

}  // namespace linkar::keyed
