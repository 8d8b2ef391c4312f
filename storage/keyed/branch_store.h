// Branch pages the page cache let go, kept whole (tree built) up to a byte
// budget. The cache's eviction rule keeps about a hundred pages; a large
// tree has far more branch pages than that, and each descent needs one per
// level. A branch page needed again is taken back from here instead of being
// read, deciphered and decoded again. Like the image cache, the store is
// emptied by any write to the file and by any change of its header seen
// from another process, so what it holds is always the file's content.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <unordered_map>

#include "storage/keyed/page.h"

namespace linkar::keyed {

class BranchStore {
 public:
  static constexpr std::size_t kBudget = 32u << 20;  // bytes of decoded branch pages held

  // Keeps a clean page let go by the cache; leaves are dropped.
  void put(std::unique_ptr<Page> page);
  // The page kept under `ref`, now the caller's, or null.
  std::unique_ptr<Page> take(std::int32_t ref);
  void clear();

  std::size_t bytes() const { return m_bytes; }
  std::size_t size() const { return m_held.size(); }

 private:
  struct Held {
    std::unique_ptr<Page> page;
    std::size_t footprint = 0;
    std::list<std::int32_t>::iterator recency;
  };
  void drop(std::unordered_map<std::int32_t, Held>::iterator it);

  std::unordered_map<std::int32_t, Held> m_held;
  std::list<std::int32_t> m_recency;  // least recently kept first
  std::size_t m_bytes = 0;
};

}  // namespace linkar::keyed
