// sdfbt: the B-tree of sorted entries that holds everything in a data file.
// Search, floor, next and previous across pages; insertion with page splits
// that never move the root reference; deletion that keeps separators exact
// and frees pages that become empty. Structural faults are internal errors.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "storage/keyed/data_file.h"

namespace linkar::keyed {

// A copy of one entry: key part then data part.
struct Entry {
  std::string bytes;
  std::size_t keyLength = 0;

  std::string_view key() const { return std::string_view(bytes).substr(0, keyLength); }
  std::string_view data() const { return std::string_view(bytes).substr(keyLength); }
};

// A position in key order. It always works from its own copy of the key part;
// the page hint only speeds up stepping while that page is unchanged.
class Cursor {
 public:
  bool positioned() const { return m_positioned; }
  const std::string& key() const { return m_key; }
  // Positions on `key` (which need not be present); the next step starts there.
  void setKey(std::string_view key) {
    m_key.assign(key);
    m_positioned = true;
    m_node = nullptr;
  }
  void clear() {
    m_positioned = false;
    m_node = nullptr;
  }

 private:
  friend class Sdfbt;
  std::string m_key;
  bool m_positioned = false;
  PageNode* m_node = nullptr;  // valid only while the page below is unchanged
  std::int32_t m_pageRef = 0;
  std::uint64_t m_pageSerial = 0;
  std::uint64_t m_pageGeneration = 0;
};

class Sdfbt {
 public:
  // `file` must outlive the tree object.
  explicit Sdfbt(DataFile& file) : m_file(file) {}

  // The entry whose key part equals `key`; the empty entry never matches.
  std::optional<Entry> find(std::string_view key);
  // Greatest entry with key part <= key.
  std::optional<Entry> floor(std::string_view key);
  // Least entry above `key`, greatest entry below `key`.
  std::optional<Entry> next(std::string_view key);
  std::optional<Entry> previous(std::string_view key);
  // Least entry with key part >= key.
  std::optional<Entry> ceiling(std::string_view key);
  std::optional<Entry> first();
  std::optional<Entry> last();

  // Calls `visit(key part, data part)` for the entries from the least one at
  // or above `from`, in key order, while it returns true. Steps within a page
  // without searching again; the views last only for the call.
  void walk(std::string_view from,
            const std::function<bool(std::string_view, std::string_view)>& visit);

  // Steps a cursor; on success it moves to the entry returned.
  std::optional<Entry> next(Cursor& cursor);
  std::optional<Entry> previous(Cursor& cursor);

  // Inserts a new leaf entry; a key part already present is an internal error.
  void insert(std::string_view key, std::string_view data);
  // Inserts a new leaf entry in one descent; false, changing nothing, when
  // the key part is already present.
  bool insertNew(std::string_view key, std::string_view data);
  // Inserts, or replaces the data part of the entry with this key part.
  void put(std::string_view key, std::string_view data);
  // Replaces the data part of the entry with this key part by what `change`
  // makes of it, in one descent; false, changing nothing, when there is none.
  bool update(std::string_view key, const std::function<void(std::string& data)>& change);
  // Inserts a separator pointing at `child` into the page of `level`.
  void insertSeparator(std::string_view key, std::int32_t child, std::uint8_t level);
  // Removes the entry with this key part; false when there is none.
  // The empty entry is never removed.
  bool erase(std::string_view key);

  DataFile& file() { return m_file; }

 private:
  struct Spot {
    Page* page = nullptr;
    PageNode* node = nullptr;
  };
  Spot lowerBound(std::string_view key, bool strict);
  // The leaf last reached, when it is still in memory unchanged in identity
  // and `key` lies between its first and last key parts: then it is the
  // leaf a descent would reach.
  Page* fingerLeaf(std::string_view key);
  Spot upperBound(const std::string* key, bool strict);
  Page* descend(std::string_view key, std::uint8_t level);
  void insertAt(std::string_view bytes, std::size_t keyLength, std::int32_t child, std::uint8_t level);
  bool placeEntry(std::string_view bytes, std::size_t keyLength, std::int32_t child, std::uint8_t level);
  static bool needsSplit(const Page& page);
  void splitIfNeeded(Page* page);
  void split(Page* page);
  void changeData(Page* page, PageNode* node, std::string_view data);
  void remember(Cursor& cursor, const Spot& spot);
  static Entry copy(const PageNode* node);

  DataFile& m_file;
  std::int32_t m_fingerRef = 0;
  std::uint64_t m_fingerSerial = 0;  // 0: no leaf reached yet
};

}  // namespace linkar::keyed
