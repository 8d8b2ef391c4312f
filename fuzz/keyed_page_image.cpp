// Fuzzes the page image parser on its own: any bytes at any class length must
// parse into a page or stop at a structural check; a parsed page must
// serialise again and parse back to the same entries.
#include <cstddef>
#include <cstdint>
#include <string>

#include "storage/keyed/file_header.h"
#include "storage/keyed/internal_error.h"
#include "storage/keyed/page.h"
#include "storage/keyed/page_image.h"
#include "storage/keyed/sdf_format.h"

namespace {

using namespace linkar::keyed;

constexpr std::int32_t kRef = 3;  // the page is read as if from reference 3

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || size > kMaxPageBytes) return 0;
  std::string image(reinterpret_cast<const char*>(data), size);
  image.resize(roundUpUnit(size), static_cast<char>(kPagePad));
  // Let the parse get past the home check most of the time.
  if (image.size() >= 4) putLe32(reinterpret_cast<std::uint8_t*>(image.data()), pageOffset(kRef));
  runGuarded([&] {
    auto page = parsePageImage(image, kRef, 1);
    std::string again;
    buildPageImage(*page, again);
    finishPageImage(*page, again);
    auto back = parsePageImage(again, kRef, 2);
    const auto a = page->inOrder();
    const auto b = back->inOrder();
    if (a.size() != b.size()) __builtin_trap();
    for (std::size_t i = 0; i < a.size(); ++i)
      if (a[i]->bytes() != b[i]->bytes() || a[i]->keyLength != b[i]->keyLength || a[i]->child != b[i]->child)
        __builtin_trap();
  });
  return 0;
}
