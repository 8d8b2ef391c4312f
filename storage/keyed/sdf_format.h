// Fixed numbers of the keyed data file: header offsets, page layout, entry
// kinds and size classes, plus the byte-order helpers every reader and writer
// of the file shares.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace linkar::keyed {

// File geometry.
inline constexpr std::size_t kHeaderSize = 0x200;        // the file header, at offset 0
inline constexpr std::size_t kIoBlock = 64;              // every transfer is a multiple of this
inline constexpr std::size_t kUnit = 256;                // page space is counted in these
inline constexpr int kMaxClass = 59;                     // largest size class (units per page)
inline constexpr int kClassSlots = 60;                   // region arrays hold indices 0..59
inline constexpr std::size_t kMaxPageBytes = kMaxClass * kUnit;  // 15104
inline constexpr std::uint64_t kLockAreaStart = 0x80000000ull;  // data never reaches the lock area

// Header field offsets.
inline constexpr std::size_t kHdrHome = 0x00;        // own home offset, always 0
inline constexpr std::size_t kHdrLength = 0x04;      // 0x0200
inline constexpr std::size_t kHdrRedoStart = 0x06;   // start of the redo area / data end
inline constexpr std::size_t kHdrRedoEnd = 0x0A;     // end of the redo area
inline constexpr std::size_t kHdrMagic = 0x0E;       // "sTrD"
inline constexpr std::size_t kHdrCounter = 0x14;     // last issued number, big-endian
inline constexpr std::size_t kHdrChanges = 0x18;     // change counter, 0 while there is no tree
inline constexpr std::size_t kHdrRoot = 0x1C;        // page reference of the root page
inline constexpr std::size_t kHdrRegionStart = 0x20; // 60 x 4: first reference of each class region
inline constexpr std::size_t kHdrRegionEnd = 0x110;  // 60 x 4: reference just past each region
inline constexpr char kMagic[4] = {'s', 'T', 'r', 'D'};

// Page layout.
inline constexpr std::size_t kPageHome = 0x00;        // home offset, 4
inline constexpr std::size_t kPageStored = 0x04;      // stored length, 2
inline constexpr std::size_t kPageLength = 0x06;      // uncompressed length, 2
inline constexpr std::size_t kPageBound = 0x08;       // size bound, 2
inline constexpr std::size_t kPageCount = 0x0A;       // number of entries, 2
inline constexpr std::size_t kPageLevel = 0x0C;       // level, 1
inline constexpr std::size_t kPageHeader = 0x0D;      // fixed header part; child array follows on branches
inline constexpr std::size_t kChildRefSize = 4;       // one child reference in the array
inline constexpr std::uint8_t kPagePad = 0xB0;        // fills a page past its stored length

// Entry encoding inside a page body.
inline constexpr std::uint8_t kFlagLength = 0x80;     // a 2-byte entry length follows
inline constexpr std::uint8_t kFlagKeyLength = 0x40;  // a 2-byte key length follows
inline constexpr std::uint8_t kPrefixMask = 0x3F;     // shared prefix length P
inline constexpr std::size_t kMaxPrefix = 63;         // prefix sharing cap

// Size accounting and split thresholds.
inline constexpr std::uint32_t kNewPageBound = 13;     // size bound of a fresh page
inline constexpr std::uint32_t kEntryCost = 5;         // flag byte and two lengths, worst case
inline constexpr std::uint32_t kBranchEntryCost = 4;   // child reference of a branch entry
inline constexpr std::uint32_t kSplitBound = 0x3AF6;   // 15094: a page above this always splits
inline constexpr std::uint32_t kSoftSplitBound = 0x1000;  // above this a page splits past 20 entries
inline constexpr std::size_t kSoftSplitCount = 20;
// Longest entry (key plus data) the tree accepts: a page holding it alone,
// even as a branch entry, must stay within the split bound.
inline constexpr std::size_t kMaxEntryLength =
    kSplitBound - kNewPageBound - kEntryCost - kBranchEntryCost;
// Longest key part the tree accepts: any two separators must share a branch
// page, or splitting a branch could never bring it under the bound.
inline constexpr std::size_t kMaxKeyLength =
    (kSplitBound - kNewPageBound) / 2 - kEntryCost - kBranchEntryCost;

// Entry kinds (the byte after the 4-byte table number).
inline constexpr std::uint8_t kKindRecord = 0xF3;     // data record
inline constexpr std::uint8_t kKindCounter = 0xF6;    // counter entry
inline constexpr std::uint8_t kKindDefinition = 0xFA; // definition block
inline constexpr std::uint8_t kKindMemo = 0xFC;       // memo segment
inline constexpr std::uint8_t kNamePrefix = 0xFE;     // name entry: 0xFE + table name
inline constexpr std::uint8_t kMarkerKey = 0xFF;      // transaction marker entry
inline constexpr std::uint32_t kNumberLimit = 0xFE000000u;  // the number counter must stay below
inline constexpr std::size_t kStoredNumberBytes = 4;          // a stored table or record number
inline constexpr std::size_t kRecordKeyLength = 9;    // table, kind, record number
inline constexpr std::size_t kCounterKeyLength = 6;   // table, kind, subject
inline constexpr std::size_t kCounterDataLength = 8;  // count, out-of-date mark
inline constexpr std::size_t kDefinitionKeyLength = 7;  // table, kind, block number
inline constexpr std::size_t kDefinitionBlock = 512;    // bytes of the definition stream per block
inline constexpr std::size_t kMemoKeyLength = 12;     // table, kind, record, memo, segment
inline constexpr std::size_t kMemoSegment = 256;      // memo bytes per segment
inline constexpr std::uint16_t kMemoFlagBinary = 2;   // text memo never converted
inline constexpr std::uint16_t kMemoFlagBlob = 4;     // blob memo with a stored length

inline std::size_t roundUpUnit(std::size_t n) { return (n + kUnit - 1) / kUnit * kUnit; }

// Little- and big-endian helpers over raw bytes. Callers check bounds.
inline std::uint16_t getLe16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t getLe32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint32_t getBe32(const std::uint8_t* p) {
  return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
         (static_cast<std::uint32_t>(p[2]) << 8) | static_cast<std::uint32_t>(p[3]);
}
inline void putLe16(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void putLe32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void putBe32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}
inline void appendBe32(std::string& s, std::uint32_t v) {
  std::uint8_t b[4];
  putBe32(b, v);
  s.append(reinterpret_cast<const char*>(b), 4);
}
inline void appendLe32(std::string& s, std::uint32_t v) {
  std::uint8_t b[4];
  putLe32(b, v);
  s.append(reinterpret_cast<const char*>(b), 4);
}
inline void appendLe16(std::string& s, std::uint32_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
inline const std::uint8_t* bytesOf(std::string_view s) {
  return reinterpret_cast<const std::uint8_t*>(s.data());
}

}  // namespace linkar::keyed
