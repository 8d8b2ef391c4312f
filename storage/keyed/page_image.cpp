// Page images: serialisation with optional compression, and the checked parse
// of a page read from disk.
#include "storage/keyed/page_image.h"

#include <algorithm>

#include "storage/keyed/file_header.h"
#include "storage/keyed/internal_error.h"
#include "storage/keyed/page_codec.h"
#include "storage/keyed/sdf_format.h"

namespace linkar::keyed {
namespace {
constexpr std::uint32_t kMaxField16 = 0xFFFF;  // 2-byte page header fields
}

int buildPageImage(const Page& page, std::string& out) {
  const std::vector<PageNode*> nodes = page.inOrder();
  const std::size_t n = nodes.size();
  const std::size_t headerPart = kPageHeader + (page.isBranch() ? kChildRefSize * n : 0);
  std::vector<EntryBytes> entries;
  entries.reserve(n);
  for (const PageNode* node : nodes) entries.push_back({node->bytes(), node->keyLength});
  std::string body;
  encodeEntries(entries, body);
  const std::size_t uncompressed = headerPart + body.size();
  SDFBT_CHECK(uncompressed <= page.sizeBound());
  SDFBT_CHECK(page.sizeBound() <= kMaxField16 && n <= kMaxField16);
  std::string packed;
  const std::string* stored = &body;
  if (compressBody(body, packed) &&
      roundUpUnit(headerPart + packed.size()) < roundUpUnit(uncompressed))
    stored = &packed;
  const std::size_t storedLength = headerPart + stored->size();
  const std::size_t k = roundUpUnit(storedLength) / kUnit;
  SDFBT_CHECK(k >= 1 && k <= static_cast<std::size_t>(kMaxClass));
  out.assign(k * kUnit, static_cast<char>(kPagePad));
  auto* p = reinterpret_cast<std::uint8_t*>(out.data());
  putLe32(p + kPageHome, 0);
  putLe16(p + kPageStored, static_cast<std::uint32_t>(storedLength));
  putLe16(p + kPageLength, static_cast<std::uint32_t>(uncompressed));
  putLe16(p + kPageBound, page.sizeBound());
  putLe16(p + kPageCount, static_cast<std::uint32_t>(n));
  p[kPageLevel] = page.level();
  if (page.isBranch()) std::fill(out.begin() + kPageHeader, out.begin() + headerPart, '\0');
  out.replace(headerPart, stored->size(), *stored);
  return static_cast<int>(k);
}

void finishPageImage(const Page& page, std::string& image) {
  auto* p = reinterpret_cast<std::uint8_t*>(image.data());
  putLe32(p + kPageHome, static_cast<std::uint32_t>(pageOffset(page.ref())));
  if (!page.isBranch()) return;
  std::size_t at = kPageHeader;
  for (const PageNode* node = page.first(); node; node = Page::next(const_cast<PageNode*>(node))) {
    putLe32(p + at, static_cast<std::uint32_t>(node->child));
    at += kChildRefSize;
  }
}

std::unique_ptr<Page> parsePageImage(std::string_view image, std::int32_t ref, std::uint64_t serial) {
  SDFBT_CHECK(image.size() >= kPageHeader);
  const std::uint8_t* p = bytesOf(image);
  SDFBT_CHECK(getLe32(p + kPageHome) == pageOffset(ref));
  const std::size_t storedLength = getLe16(p + kPageStored);
  const std::size_t uncompressed = getLe16(p + kPageLength);
  const std::uint32_t bound = getLe16(p + kPageBound);
  const std::size_t n = getLe16(p + kPageCount);
  const std::uint8_t level = p[kPageLevel];
  SDFBT_CHECK(roundUpUnit(storedLength) == image.size());
  const std::size_t headerPart = kPageHeader + (level > 0 ? kChildRefSize * n : 0);
  SDFBT_CHECK(headerPart <= storedLength && storedLength <= uncompressed);
  SDFBT_CHECK(uncompressed <= bound);
  static thread_local std::string expanded;  // reused: pages are loaded one at a time
  std::string_view body = image.substr(headerPart, storedLength - headerPart);
  if (storedLength < uncompressed) {
    SDFBT_CHECK(decompressBody(body, uncompressed - headerPart, expanded));
    body = expanded;
  }
  std::unique_ptr<char[]> bytes(new char[std::max<std::size_t>(1, decodedBound(body, n))]);
  static thread_local std::vector<DecodedEntry> entries;
  static thread_local std::vector<EntrySpan> spans;
  SDFBT_CHECK(decodeEntries(body, n, bytes.get(), entries));
  spans.resize(n);
  for (std::size_t i = 0; i < n; ++i) {
    const DecodedEntry& e = entries[i];
    spans[i] = {e.offset, e.length, static_cast<std::uint16_t>(e.keyLength), 0};
    if (level > 0) spans[i].child = static_cast<std::int32_t>(getLe32(p + kPageHeader + kChildRefSize * i));
    if (i > 0) {
      const DecodedEntry& before = entries[i - 1];
      SDFBT_CHECK(compareKeys({bytes.get() + before.offset, before.keyLength},
                              {bytes.get() + e.offset, e.keyLength}) < 0);
    }
  }
  auto page = std::make_unique<Page>(ref, level, serial);
  page->load(std::move(bytes), spans);
  page->setSizeBound(bound);
  return page;
}

}  // namespace linkar::keyed
