// Page space management: pages of each size class lie back to back in one
// region; allocating, freeing and compacting move whole pages between places
// and tell the owner of the pages through PageMover.
#pragma once

#include <cstdint>

#include "storage/keyed/file_header.h"

namespace linkar::keyed {

class PageMover {
 public:
  virtual ~PageMover() = default;
  // The page at reference `from` now lives at `to`; every reference to it
  // (its parent's child entry or the root reference, the page cache) must follow.
  virtual void movePage(std::int32_t from, std::int32_t to) = 0;
};

// Works on the region arrays of `header`; `mover` must outlive the table.
class RegionTable {
 public:
  RegionTable(FileHeader& header, PageMover& mover) : m_h(header), m_mover(mover) {}

  // Returns the reference of a new page of class `k` (1..59).
  std::int32_t allocate(int k);
  // Frees the page at `ref`: the last page of its region fills the hole.
  void release(std::int32_t ref);
  // Closes the gaps below regions 2..59, ahead of a commit.
  void compact();

 private:
  bool openGapBelow(int k, std::uint32_t units);
  void makeRoomAbove(int k, std::uint32_t units);
  void move(std::uint32_t from, std::uint32_t to);
  void shift(int k, std::int64_t delta);

  FileHeader& m_h;
  PageMover& m_mover;
};

}  // namespace linkar::keyed
