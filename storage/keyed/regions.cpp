// Class regions: allocation opens gaps below a region or makes room above
// it; freeing fills the hole with the region's last page; compaction closes
// the gaps between regions before each commit.
#include "storage/keyed/regions.h"

#include "storage/keyed/internal_error.h"

namespace linkar::keyed {

void RegionTable::move(std::uint32_t from, std::uint32_t to) {
  m_mover.movePage(static_cast<std::int32_t>(from), static_cast<std::int32_t>(to));
}

void RegionTable::shift(int k, std::int64_t delta) {
  const std::int64_t s = static_cast<std::int64_t>(m_h.regionStart[k]) + delta;
  const std::int64_t e = static_cast<std::int64_t>(m_h.regionEnd[k]) + delta;
  SDFBT_CHECK(s >= 0 && e <= static_cast<std::int64_t>(kMaxPageRef));
  m_h.regionStart[k] = static_cast<std::uint32_t>(s);
  m_h.regionEnd[k] = static_cast<std::uint32_t>(e);
}

bool RegionTable::openGapBelow(int k, std::uint32_t units) {
  const std::uint32_t below = k == 1 ? 0 : m_h.regionEnd[k - 1];
  const std::uint32_t gap = m_h.regionStart[k] - below;
  if (gap >= units) return true;
  if (k == 1) return false;
  const int lower = k - 1;
  const std::uint32_t needed = units - gap;
  const auto size = static_cast<std::uint32_t>(lower);
  if (m_h.regionStart[lower] == m_h.regionEnd[lower]) {
    // An empty region slides down for free once there is room below it.
    if (!openGapBelow(lower, needed)) return false;
    shift(lower, -static_cast<std::int64_t>(needed));
    return true;
  }
  const std::uint32_t moves = (needed + size - 1) / size;
  if (!openGapBelow(lower, moves * size)) return false;
  for (std::uint32_t i = 0; i < moves; ++i) {
    move(m_h.regionEnd[lower] - size, m_h.regionStart[lower] - size);
    shift(lower, -static_cast<std::int64_t>(size));
  }
  return true;
}

void RegionTable::makeRoomAbove(int k, std::uint32_t units) {
  if (k >= kMaxClass) return;  // the last region grows at the end of the file
  const int upper = k + 1;
  const auto size = static_cast<std::uint32_t>(upper);
  while (m_h.regionStart[upper] - m_h.regionEnd[k] < units) {
    const std::uint32_t missing = units - (m_h.regionStart[upper] - m_h.regionEnd[k]);
    const std::uint32_t pages = (m_h.regionEnd[upper] - m_h.regionStart[upper]) / size;
    if (pages > 1) {
      // Rotate the first page to the end: the region moves up by one page.
      makeRoomAbove(upper, size);
      move(m_h.regionStart[upper], m_h.regionEnd[upper]);
      shift(upper, size);
    } else {
      makeRoomAbove(upper, missing);
      if (pages == 1) move(m_h.regionStart[upper], m_h.regionStart[upper] + missing);
      shift(upper, missing);
    }
  }
}

std::int32_t RegionTable::allocate(int k) {
  SDFBT_CHECK(k >= 1 && k <= kMaxClass);
  const auto size = static_cast<std::uint32_t>(k);
  if (openGapBelow(k, size)) {
    m_h.regionStart[k] -= size;
    return static_cast<std::int32_t>(m_h.regionStart[k]);
  }
  makeRoomAbove(k, size);
  const std::uint32_t ref = m_h.regionEnd[k];
  SDFBT_CHECK(ref + size <= kMaxPageRef);
  m_h.regionEnd[k] += size;
  return static_cast<std::int32_t>(ref);
}

void RegionTable::release(std::int32_t ref) {
  const int k = m_h.classOf(ref);
  SDFBT_CHECK(k > 0);
  const auto size = static_cast<std::uint32_t>(k);
  const std::uint32_t last = m_h.regionEnd[k] - size;
  if (last != static_cast<std::uint32_t>(ref)) move(last, static_cast<std::uint32_t>(ref));
  m_h.regionEnd[k] -= size;
}

void RegionTable::compact() {
  for (int k = 2; k < kClassSlots; ++k) {
    const auto size = static_cast<std::uint32_t>(k);
    const std::uint32_t pages = (m_h.regionEnd[k] - m_h.regionStart[k]) / size;
    const std::uint32_t below = m_h.regionEnd[k - 1];
    if (pages <= 1) {
      if (m_h.regionStart[k] > below) {
        if (pages == 1) move(m_h.regionStart[k], below);
        shift(k, -static_cast<std::int64_t>(m_h.regionStart[k] - below));
      }
      continue;
    }
    while (m_h.regionStart[k] - m_h.regionEnd[k - 1] >= size) {
      move(m_h.regionEnd[k] - size, m_h.regionStart[k] - size);
      shift(k, -static_cast<std::int64_t>(size));
    }
  }
}

}  // namespace linkar::keyed
