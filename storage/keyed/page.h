// A page in memory: its entries in a search tree balanced by subtree sizes,
// with the page's reference, level, size bound and cache bookkeeping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace linkar::keyed {

// Orders key parts: unsigned bytes, a proper prefix first.
int compareKeys(std::string_view a, std::string_view b);

struct PageNode {
  std::string bytes;          // key part then data part
  std::uint16_t keyLength = 0;
  std::int32_t child = 0;     // branch pages: the child page reference
  std::uint32_t size = 1;     // nodes in this subtree
  PageNode* parent = nullptr;
  std::unique_ptr<PageNode> left;
  std::unique_ptr<PageNode> right;

  std::string_view key() const { return std::string_view(bytes).substr(0, keyLength); }
  std::string_view data() const { return std::string_view(bytes).substr(keyLength); }
};

using NodeList = std::vector<std::unique_ptr<PageNode>>;

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
  PageNode* root() const { return m_root.get(); }
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
  PageNode* insert(std::string bytes, std::size_t keyLength, std::int32_t child);
  void erase(PageNode* n);

  // Cost of an entry in the size bound: length + 5, plus 4 on branch pages.
  std::uint32_t entryCost(std::size_t entryLength) const;
  // The size bound recomputed from the entries held.
  std::uint32_t exactBound() const;

  // Builds the tree from entries already in key order, in linear time.
  void adopt(NodeList nodes);
  // Takes every node out, in key order; the page is left empty.
  NodeList release();
  // The entries in key order (no ownership).
  std::vector<PageNode*> inOrder() const;

  // Cache bookkeeping, owned by the data file.
  bool dirty = false;
  std::uint64_t lastUse = 0;
  std::uint64_t created = 0;
  std::list<Page*>::iterator recency;
  bool inRecency = false;
  int preparedClass = 0;  // class of `image`; 0 = not serialised since the last change
  std::string image;      // serialised page, home offset and child array filled at write

  void touch() {
    ++m_generation;
    preparedClass = 0;
    image.clear();
  }

 private:
  static std::unique_ptr<PageNode> build(NodeList& nodes, std::size_t lo, std::size_t hi,
                                         PageNode* parent);
  std::unique_ptr<PageNode>& slotOf(PageNode* n);
  void rotateLeft(PageNode* x);
  void rotateRight(PageNode* x);

  std::int32_t m_ref;
  std::uint8_t m_level;
  std::uint32_t m_sizeBound = 13;
  std::uint64_t m_serial;
  std::uint64_t m_generation = 0;
  std::unique_ptr<PageNode> m_root;
};

}  // namespace linkar::keyed
