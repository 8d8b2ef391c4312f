// The 512-byte header of a data file, field by field, with its reader,
// writer and the structural checks every open applies before trusting it.
#pragma once

#include <array>
#include <cstdint>

#include "storage/keyed/sdf_format.h"

namespace linkar::keyed {

struct FileHeader {
  std::uint32_t redoStart = kHeaderSize;  // data end when no commit is pending
  std::uint32_t redoEnd = kHeaderSize;    // equal to redoStart when no commit is pending
  std::uint32_t counter = 0;              // last issued table or record number
  std::uint32_t changes = 0;              // change counter; 0 while the file has no tree
  std::int32_t root = 0;                  // page reference of the root page
  std::array<std::uint32_t, kClassSlots> regionStart{};  // per class: first page reference
  std::array<std::uint32_t, kClassSlots> regionEnd{};    // per class: reference past the region

  void write(std::uint8_t* out) const;  // fills kHeaderSize bytes
  // Reads a header; false when the length field or the magic is wrong.
  static bool read(const std::uint8_t* in, FileHeader& out);
  // Regions in class order, whole pages, index 0 unused, below the lock area.
  bool regionsSound() const;
  // The class whose region holds a page starting at `ref`, or 0.
  int classOf(std::int32_t ref) const;
  // File offset just past the highest non-empty region.
  std::uint64_t dataEnd() const;
};

inline std::uint64_t pageOffset(std::int32_t ref) {
  return static_cast<std::uint64_t>(static_cast<std::uint32_t>(ref)) * kUnit + kHeaderSize;
}

// Highest page reference a data file may use: pages stay below the lock area.
inline constexpr std::uint32_t kMaxPageRef =
    static_cast<std::uint32_t>((kLockAreaStart - kHeaderSize) / kUnit);

}  // namespace linkar::keyed
