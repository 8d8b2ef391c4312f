// The page image cache: hits only for the same offset and length, the byte
// budget evicts the least recently used images, and clearing forgets all.
#include <gtest/gtest.h>

#include <string>

#include "storage/keyed/image_cache.h"

namespace linkar::keyed {
namespace {

TEST(ImageCache, FindsImagesByOffsetAndLengthAndKeepsWithinItsBudget) {
  ImageCache cache;
  const std::size_t size = ImageCache::kBudget / 4;
  cache.put(0, std::string(size, 'a'));
  cache.put(size, std::string(size, 'b'));
  ASSERT_NE(cache.find(0, size), nullptr);
  EXPECT_EQ(*cache.find(size, size), std::string(size, 'b'));
  EXPECT_EQ(cache.find(0, size / 2), nullptr) << "another length is another page";
  EXPECT_EQ(cache.find(7, size), nullptr);

  // Offset 0 was used last; three more images push out the one at `size`.
  ASSERT_NE(cache.find(0, size), nullptr);
  for (std::uint64_t at : {2, 3, 4}) cache.put(at * size, std::string(size, 'x'));
  EXPECT_LE(cache.bytes(), ImageCache::kBudget);
  EXPECT_NE(cache.find(0, size), nullptr);
  EXPECT_EQ(cache.find(size, size), nullptr);

  // Putting an offset again replaces its image.
  cache.put(0, std::string(size, 'n'));
  EXPECT_EQ(*cache.find(0, size), std::string(size, 'n'));
  EXPECT_LE(cache.bytes(), ImageCache::kBudget);

  cache.clear();
  EXPECT_EQ(cache.find(0, size), nullptr);
  EXPECT_EQ(cache.bytes(), 0u);
  cache.put(0, std::string(ImageCache::kBudget + 1, 'z'));
  EXPECT_EQ(cache.find(0, ImageCache::kBudget + 1), nullptr) << "an image over the budget is not kept";
}

}  // namespace
}  // namespace linkar::keyed
