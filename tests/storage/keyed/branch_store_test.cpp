// Branch pages kept past the page cache: two opens of one shared file take
// turns changing it, and every entry each of them finds, and the whole file
// read in order, match a map changed alongside, while the open that reads
// keeps branch pages in its store.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/storage/keyed/commit_test_support.h"

namespace linkar::keyed::testing {
namespace {

constexpr int kEntries = 30000;     // enough leaves for more branch pages than the cache keeps
constexpr int kPerOperation = 2000;  // entries changed by one operation (one commit)
constexpr std::size_t kKeyWidth = 120;

std::unique_ptr<FileAccess> openShared(const std::string& path) {
  std::unique_ptr<FileAccess> access;
  if (FileAccess::open(path, kSharedReadWrite, platform::Disposition::OpenAlways, {}, access) != 0) return nullptr;
  return access;
}

std::string keyOf(int n) {
  std::string key = std::to_string(n);
  key.insert(0, 8 - key.size(), '0');
  key.resize(kKeyWidth, static_cast<char>('a' + n % 26));
  return key;
}

// Entries [from, to) with a step: put, or erase; each batch one operation.
void change(FileAccess& access, Entries& model, int from, int to, int step, bool erase) {
  for (int batch = from; batch < to; batch += kPerOperation * step) {
    ASSERT_EQ(access.beginWrite(), 0);
    access.file().beginOperation();
    Sdfbt tree(access.file());
    for (int n = batch; n < std::min(to, batch + kPerOperation * step); n += step) {
      const std::string key = keyOf(n);
      if (erase) {
        ASSERT_TRUE(tree.erase(key)) << n;
        model.erase(key);
      } else {
        const std::string data = "data " + std::to_string(n * 7);
        tree.put(key, data);
        model[key] = data;
      }
    }
    ASSERT_EQ(access.endOperation(false, false), 0);
  }
}

// Every key ever used, in random order, each found in its own operation
// exactly when the model holds it.
void findAll(FileAccess& access, const Entries& model, unsigned seed) {
  std::vector<int> order(2 * kEntries);
  for (int n = 0; n < 2 * kEntries; ++n) order[n] = n;
  std::shuffle(order.begin(), order.end(), std::mt19937(seed));
  for (int n : order) {
    ASSERT_EQ(access.beginAccess(AccessMode::Read), 0);
    access.file().beginOperation();
    const std::string key = keyOf(n);
    const auto found = Sdfbt(access.file()).find(key);
    const auto it = model.find(key);
    ASSERT_EQ(found.has_value(), it != model.end()) << n;
    if (found) ASSERT_EQ(found->data(), it->second) << n;
    ASSERT_EQ(access.endAccess(), 0);
  }
}

TEST(BranchStore, KeptBranchPagesFollowAnotherOpensCommitsAndTheirOwn) {
  const auto dir = makeFastTempDir();
  const std::string path = dir->file("branches.sdf");
  auto reader = openShared(path);
  auto writer = openShared(path);
  ASSERT_TRUE(reader && writer);
  Entries model;

  // The even numbers, then random reads that keep branch pages.
  change(*reader, model, 0, 2 * kEntries, 2, false);
  findAll(*reader, model, 1);
  EXPECT_GT(reader->file().branches().size(), 0u) << "branch pages were kept past the cache";

  // The other open fills every gap (splits at every level) and takes out a
  // third of the first entries (separators change, pages empty).
  change(*writer, model, 1, 2 * kEntries, 2, false);
  change(*writer, model, 0, 2 * kEntries, 6, true);
  findAll(*reader, model, 2);
  EXPECT_EQ(entriesOf(*reader), model);

  // The reader's own commits change pages it may have kept.
  change(*reader, model, 3, 2 * kEntries, 6, true);
  findAll(*reader, model, 3);
  EXPECT_EQ(entriesOf(*reader), model);
  findAll(*writer, model, 4);
}

}  // namespace
}  // namespace linkar::keyed::testing
