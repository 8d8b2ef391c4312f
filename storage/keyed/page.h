// A page in memory: its entries in a search tree balanced by subtree sizes,
// with the page's reference, level, size bound and cache bookkeeping.
//
// A page read from disk keeps all its entry bytes in one read-only buffer
// (shared with the data file's cache of decoded pages) and all its nodes in
// one block, so loading and evicting a page cost a few allocations rather
// than two per entry. Entries inserted or changed later own their bytes;
// removed nodes go to the page's free list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "storage/keyed/page_codec.h"

namespace linkar::keyed {

// Orders key parts: unsigned bytes, a proper prefix first.
int compareKeys(std::string_view a, std::string_view b);

struct PageNode {
  const char* ptr = nullptr;       // key part then data part
  std::uint32_t length = 0;
  std::uint16_t keyLength = 0;
  std::int32_t child = 0;          // branch pages: the child page reference
  std::uint32_t size = 1;          // nodes in this subtree
  PageNode* parent = nullptr;
  PageNode* left = nullptr;
  PageNode* right = nullptr;
  std::unique_ptr<char[]> own;     // the bytes, when this node holds its own

  std::string_view bytes() const { return {ptr, length}; }
  std::string_view key() const { return {ptr, keyLength}; }
  std::string_view data() const { return {ptr + keyLength, length - keyLength}; }
};

class Page {
 public:
  Page(std::int32_t ref, std::uint8_t level, std::uint64_t serial)
      : m_ref(ref), m_level(level), m_serial(serial) {}
  Page(const Page&) = delete;
  Page& operator=(const Page&) = delete;

  std::int32_t ref() const { return m_ref; }
  void setRef(std::int32_t ref) { m_ref = ref; }
  std::uint8_t level() const { return m_level; }
  void setLevel(std::uint8_t level) { m_level = level; }
  bool isBranch() const { return m_level > 0; }
  std::uint32_t sizeBound() const { return m_sizeBound; }
  void setSizeBound(std::uint32_t bound) { m_sizeBound = bound; }
  std::uint64_t serial() const { return m_serial; }
  // Changes whenever the in-memory tree changes, so cursors can tell that
  // their remembered node may be gone.
  std::uint64_t generation() const { return m_generation; }

  std::size_t count() const { return m_root ? m_root->size : 0; }
  bool empty() const { return !m_root; }
  PageNode* root() const { return m_root; }
  PageNode* first() const;
  PageNode* last() const;
  static PageNode* next(PageNode* n);
  static PageNode* prev(PageNode* n);

  // Greatest entry with key <= k (< k when strict), or null.
  PageNode* floor(std::string_view k, bool strict = false) const;
  // Least entry with key >= k (> k when strict), or null.
  PageNode* ceiling(std::string_view k, bool strict = false) const;
  PageNode* find(std::string_view k) const;

  // Inserts an entry and rebalances with single rotations on the way up.
  // Returns null, changing nothing, when the key part is already present.
  PageNode* insert(std::string_view bytes, std::size_t keyLength, std::int32_t child);
  void erase(PageNode* n);
  // Replaces the data part of an entry; its key part and place stay.
  void changeData(PageNode* n, std::string_view data);

  // Cost of an entry in the size bound: length + 5, plus 4 on branch pages.
  std::uint32_t entryCost(std::size_t entryLength) const;
  // The size bound recomputed from the entries held.
  std::uint32_t exactBound() const;

  // Takes over a page's entries (in strictly ascending key order) lying in
  // `store` as decoded, with their child references on a branch page; the
  // tree is built in linear time. The page must be empty; `store` is shared
  // and never written.
  void load(std::shared_ptr<const char[]> store, const std::vector<DecodedEntry>& entries,
            const std::vector<std::int32_t>* children);
  // Moves the entries from the `cut`-th on (in key order) to the empty page
  // `to`; this page keeps the ones before, rebuilt as a balanced tree.
  void moveTail(std::size_t cut, Page& to);
  // The entries in key order (no ownership).
  std::vector<PageNode*> inOrder() const;
  // Memory held by the page, for cache budgets.
  std::size_t footprint() const;

  // Cache bookkeeping, owned by the data file.
  bool dirty = false;
  std::uint64_t lastUse = 0;
  std::uint64_t created = 0;
  Page* newer = nullptr;  // recency list of clean pages, kept by the cache
  Page* older = nullptr;
  bool inRecency = false;
  int preparedClass = 0;  // class of `image`; 0 = not serialised since the last change
  std::string image;      // serialised page, home offset and child array filled at write

  void touch() {
    ++m_generation;
    preparedClass = 0;
    image.clear();
  }

 private:
  template <typename NodeAt>
  static PageNode* build(const NodeAt& at, std::size_t lo, std::size_t hi, PageNode* parent);
  PageNode*& slotOf(PageNode* n);
  void rotateLeft(PageNode* x);
  void rotateRight(PageNode* x);
  PageNode* newNode();
  void freeNode(PageNode* n);
  // Gives the node its own copy of head then tail (which may be its old bytes).
  void setBytes(PageNode* n, std::string_view head, std::string_view tail = {});

  std::int32_t m_ref;
  std::uint8_t m_level;
  std::uint32_t m_sizeBound = 13;
  std::uint64_t m_serial;
  std::uint64_t m_generation = 0;
  PageNode* m_root = nullptr;
  std::shared_ptr<const char[]> m_store;               // bytes of the entries as loaded
  std::size_t m_storeBytes = 0;
  std::size_t m_ownedBytes = 0;                        // bytes the nodes hold themselves
  std::unique_ptr<PageNode[]> m_loaded;                // the nodes of the entries as loaded
  std::vector<std::unique_ptr<PageNode[]>> m_blocks;   // nodes added since
  PageNode* m_free = nullptr;                          // removed nodes, linked by `right`
};

}  // namespace linkar::keyed
