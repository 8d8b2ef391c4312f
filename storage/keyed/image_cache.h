// Recently read page images of one data file, by file offset, up to a byte
// budget: a page evicted from the page cache and needed again soon is parsed
// from memory instead of being read from the file once more. Any write to the
// file and any change of its header seen from another process empties it, so
// an image held here is always the file's current bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

namespace linkar::keyed {

class ImageCache {
 public:
  static constexpr std::size_t kBudget = 2u << 20;  // bytes of images kept, as a small file cache

  // The image read at `offset` with this length, or null.
  const std::string* find(std::uint64_t offset, std::size_t length);
  void put(std::uint64_t offset, std::string_view image);
  void clear();

  std::size_t bytes() const { return m_bytes; }

 private:
  struct Held {
    std::string image;
    std::list<std::uint64_t>::iterator recency;
  };
  std::unordered_map<std::uint64_t, Held> m_images;
  std::list<std::uint64_t> m_recency;  // least recently used first
  std::size_t m_bytes = 0;
};

}  // namespace linkar::keyed
