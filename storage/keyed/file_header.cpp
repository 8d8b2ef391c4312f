// Reading, writing and checking the data file header.
#include "storage/keyed/file_header.h"

#include <cstring>

namespace linkar::keyed {

void FileHeader::write(std::uint8_t* out) const {
  std::memset(out, 0, kHeaderSize);
  putLe32(out + kHdrHome, 0);
  putLe16(out + kHdrLength, kHeaderSize);
  putLe32(out + kHdrRedoStart, redoStart);
  putLe32(out + kHdrRedoEnd, redoEnd);
  std::memcpy(out + kHdrMagic, kMagic, sizeof kMagic);
  putBe32(out + kHdrCounter, counter);
  putLe32(out + kHdrChanges, changes);
  putLe32(out + kHdrRoot, static_cast<std::uint32_t>(root));
  for (int k = 0; k < kClassSlots; ++k) {
    putLe32(out + kHdrRegionStart + 4 * k, regionStart[k]);
    putLe32(out + kHdrRegionEnd + 4 * k, regionEnd[k]);
  }
}

bool FileHeader::read(const std::uint8_t* in, FileHeader& out) {
  if (getLe16(in + kHdrLength) != kHeaderSize) return false;
  if (std::memcmp(in + kHdrMagic, kMagic, sizeof kMagic) != 0) return false;
  out.redoStart = getLe32(in + kHdrRedoStart);
  out.redoEnd = getLe32(in + kHdrRedoEnd);
  out.counter = getBe32(in + kHdrCounter);
  out.changes = getLe32(in + kHdrChanges);
  out.root = static_cast<std::int32_t>(getLe32(in + kHdrRoot));
  for (int k = 0; k < kClassSlots; ++k) {
    out.regionStart[k] = getLe32(in + kHdrRegionStart + 4 * k);
    out.regionEnd[k] = getLe32(in + kHdrRegionEnd + 4 * k);
  }
  return true;
}

bool FileHeader::regionsSound() const {
  if (regionStart[0] != 0 || regionEnd[0] != 0) return false;
  std::uint32_t below = 0;
  for (int k = 1; k < kClassSlots; ++k) {
    const std::uint32_t s = regionStart[k];
    const std::uint32_t e = regionEnd[k];
    if (s < below || e < s || e > kMaxPageRef) return false;
    if ((e - s) % static_cast<std::uint32_t>(k) != 0) return false;
    below = e;
  }
  return true;
}

int FileHeader::classOf(std::int32_t ref) const {
  if (ref < 0) return 0;
  const auto r = static_cast<std::uint32_t>(ref);
  for (int k = 1; k < kClassSlots; ++k) {
    if (r >= regionStart[k] && r < regionEnd[k])
      return (r - regionStart[k]) % static_cast<std::uint32_t>(k) == 0 ? k : 0;
  }
  return 0;
}

std::uint64_t FileHeader::dataEnd() const {
  for (int k = kClassSlots - 1; k >= 1; --k) {
    if (regionEnd[k] > regionStart[k]) return pageOffset(static_cast<std::int32_t>(regionEnd[k]));
  }
  return kHeaderSize;
}

}  // namespace linkar::keyed
