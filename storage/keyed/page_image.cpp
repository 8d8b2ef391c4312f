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

std::size_t PageContent::footprint() const {
  return sizeof(PageContent) + bytesLength + entries.size() * sizeof(DecodedEntry) +
         children.size() * sizeof(std::int32_t);
}

PageContent decodePageImage(std::string_view image, std::int32_t ref) {
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
  // Reused: pages are decoded one at a time.
  static thread_local std::string expanded;
  static thread_local std::vector<char> scratch;
  std::string_view body = image.substr(headerPart, storedLength - headerPart);
  if (storedLength < uncompressed) {
    SDFBT_CHECK(decompressBody(body, uncompressed - headerPart, expanded));
    body = expanded;
  }
  scratch.resize(std::max<std::size_t>(1, decodedBound(body, n)));
  PageContent content;
  content.level = level;
  content.bound = bound;
  SDFBT_CHECK(decodeEntries(body, n, scratch.data(), content.entries));
  for (std::size_t i = 1; i < n; ++i) {
    // The bytes shared with the entry before are equal by construction.
    const DecodedEntry& before = content.entries[i - 1];
    const DecodedEntry& e = content.entries[i];
    const std::size_t same = std::min<std::size_t>({e.shared, before.keyLength, e.keyLength});
    SDFBT_CHECK(compareKeys({scratch.data() + before.offset + same, before.keyLength - same},
                            {scratch.data() + e.offset + same, e.keyLength - same}) < 0);
  }
  content.bytesLength = n ? content.entries.back().offset + content.entries.back().length : 0;
  std::shared_ptr<char[]> bytes(new char[std::max<std::size_t>(1, content.bytesLength)]);
  std::copy_n(scratch.data(), content.bytesLength, bytes.get());
  content.bytes = std::move(bytes);
  if (level > 0) {
    content.children.resize(n);
    for (std::size_t i = 0; i < n; ++i)
      content.children[i] = static_cast<std::int32_t>(getLe32(p + kPageHeader + kChildRefSize * i));
  }
  return content;
}

std::unique_ptr<Page> pageFromContent(const PageContent& content, std::int32_t ref, std::uint64_t serial) {
  auto page = std::make_unique<Page>(ref, content.level, serial);
  page->load(content.bytes, content.entries, content.level > 0 ? &content.children : nullptr);
  page->setSizeBound(content.bound);
  return page;
}

std::unique_ptr<Page> parsePageImage(std::string_view image, std::int32_t ref, std::uint64_t serial) {
  return pageFromContent(decodePageImage(image, ref), ref, serial);
}

}  // namespace linkar::keyed
