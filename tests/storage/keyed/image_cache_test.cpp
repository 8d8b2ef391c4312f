// The cache of decoded pages: hits only for the same offset and image length,
// the byte budget evicts the least recently used, clearing forgets all, and
// a page built from cached content equals one parsed afresh.
#include <gtest/gtest.h>

#include <string>

#include "storage/keyed/image_cache.h"
#include "storage/keyed/page_image.h"
#include "storage/keyed/sdf_format.h"

namespace linkar::keyed {
namespace {

// Content whose footprint is about `bytes`.
std::shared_ptr<const PageContent> contentOf(std::size_t bytes, char fill) {
  auto content = std::make_shared<PageContent>();
  std::shared_ptr<char[]> store(new char[bytes]);
  std::fill_n(store.get(), bytes, fill);
  content->bytes = std::move(store);
  content->bytesLength = bytes;
  return content;
}

TEST(ImageCache, FindsContentByOffsetAndLengthAndKeepsWithinItsBudget) {
  ImageCache cache;
  const std::size_t size = ImageCache::kBudget / 4 - sizeof(PageContent);
  cache.put(0, 512, contentOf(size, 'a'));
  cache.put(1 << 20, 512, contentOf(size, 'b'));
  ASSERT_NE(cache.find(0, 512), nullptr);
  EXPECT_EQ(cache.find(1 << 20, 512)->bytes[0], 'b');
  EXPECT_EQ(cache.find(0, 256), nullptr) << "another length is another page";
  EXPECT_EQ(cache.find(7, 512), nullptr);

  // Offset 0 was used last; three more push out the one at 1 MB.
  ASSERT_NE(cache.find(0, 512), nullptr);
  for (std::uint64_t at : {2, 3, 4}) cache.put(at << 20, 512, contentOf(size, 'x'));
  EXPECT_LE(cache.bytes(), ImageCache::kBudget);
  EXPECT_NE(cache.find(0, 512), nullptr);
  EXPECT_EQ(cache.find(1 << 20, 512), nullptr);

  // Putting an offset again replaces its content.
  cache.put(0, 512, contentOf(size, 'n'));
  EXPECT_EQ(cache.find(0, 512)->bytes[0], 'n');
  EXPECT_LE(cache.bytes(), ImageCache::kBudget);

  // Content handed out stays valid after the cache lets it go.
  const auto held = cache.find(0, 512);
  cache.clear();
  EXPECT_EQ(cache.find(0, 512), nullptr);
  EXPECT_EQ(cache.bytes(), 0u);
  EXPECT_EQ(held->bytes[size - 1], 'n');
  cache.put(0, 512, contentOf(ImageCache::kBudget, 'z'));
  EXPECT_EQ(cache.find(0, 512), nullptr) << "content over the budget is not kept";
}

TEST(ImageCache, PagesBuiltFromOneDecodedImageAreIndependent) {
  Page page(3, 1, 1);
  std::uint32_t bound = kNewPageBound;
  for (int i = 0; i < 40; ++i) {
    const std::string key = "entry" + std::to_string(100 + i);
    page.insert(key, key.size(), 1000 + i);
    bound += page.entryCost(key.size());
  }
  page.setSizeBound(bound);
  std::string image;
  buildPageImage(page, image);
  finishPageImage(page, image);
  const PageContent content = decodePageImage(image, 3);
  auto a = pageFromContent(content, 3, 10);
  auto b = pageFromContent(content, 3, 11);
  // Changing one page leaves the other and the shared bytes as they were.
  a->changeData(a->find("entry105"), "changed");
  a->erase(a->find("entry110"));
  EXPECT_EQ(b->count(), 40u);
  EXPECT_EQ(b->find("entry105")->data(), "");
  EXPECT_EQ(b->find("entry110")->child, 1010);
  std::string again;
  buildPageImage(*b, again);
  finishPageImage(*b, again);
  EXPECT_EQ(again, image);
}

}  // namespace
}  // namespace linkar::keyed
