// The on-disk image of one page: serialising an in-memory page (entries,
// optional body compression, 0xB0 padding) and parsing an image read from
// the file, with the structural checks of a page load.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "storage/keyed/page.h"

namespace linkar::keyed {

// Serialises `page` into `out` (class length, padded); the home offset and the
// child array are left for finishPageImage(). Returns the page's size class.
int buildPageImage(const Page& page, std::string& out);

// Fills in the home offset and the child references, which can change up to
// the moment the image is written.
void finishPageImage(const Page& page, std::string& image);

// A page image decoded and checked: what any number of later loads of the
// page can be built from without decoding again.
struct PageContent {
  std::shared_ptr<const char[]> bytes;  // the entries' bytes, never written
  std::vector<DecodedEntry> entries;
  std::vector<std::int32_t> children;   // branch pages: one child per entry
  std::uint8_t level = 0;
  std::uint32_t bound = 0;
  std::size_t bytesLength = 0;

  // Memory held, for cache budgets.
  std::size_t footprint() const;
};

// Decodes the image of the page at `ref` whose region has class `k`
// (image.size() == k * 256). Structural faults are internal errors.
PageContent decodePageImage(std::string_view image, std::int32_t ref);
// A page in memory built from decoded content.
std::unique_ptr<Page> pageFromContent(const PageContent& content, std::int32_t ref, std::uint64_t serial);
// Both in one.
std::unique_ptr<Page> parsePageImage(std::string_view image, std::int32_t ref, std::uint64_t serial);

}  // namespace linkar::keyed
