// The page cache of one data file: a hash of 100 buckets by page reference,
// a recency list of clean pages and the access clock that drives eviction.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "storage/keyed/branch_store.h"
#include "storage/keyed/page.h"

namespace linkar::keyed {

class PageCache {
 public:
  static constexpr std::size_t kBuckets = 100;        // hash buckets (reference modulo 100)
  static constexpr std::size_t kEvictFloor = 20;      // eviction runs only above this many clean pages
  static constexpr std::size_t kEvictCeiling = 100;   // at or above this many, always evict
  static constexpr std::uint64_t kIdleFactor = 4;     // idle-time multiplier of the eviction rule

  Page* find(std::int32_t ref) const;
  // Takes the page; a clean page joins the recency list as most recent.
  Page* add(std::unique_ptr<Page> page);
  std::unique_ptr<Page> remove(Page* page);
  void rekey(Page* page, std::int32_t ref);
  // Stamps an access with the clock and makes a clean page the most recent.
  void access(Page* page);
  void setDirty(Page* page, bool dirty);
  // Evicts least recently used clean pages while the rule allows; branch
  // pages go to `keep` when one is given.
  void evict(BranchStore* keep = nullptr);
  void clear();

  std::size_t size() const { return m_size; }
  std::size_t cleanCount() const { return m_clean; }
  std::size_t dirtyCount() const { return m_size - m_clean; }
  std::uint64_t clock() const { return m_clock; }
  std::vector<Page*> dirtyPages() const;
  std::vector<Page*> allPages() const;

 private:
  // Within a bucket, pages are indexed by reference: with thousands of
  // dirty pages in a large commit, a scan of the bucket cost more than the
  // page work itself.
  using Bucket = std::unordered_map<std::int32_t, std::unique_ptr<Page>>;

  static std::size_t bucketOf(std::int32_t ref);
  Bucket& bucket(std::int32_t ref) { return m_buckets[bucketOf(ref)]; }

  void link(Page* page);    // as the most recent clean page
  void unlink(Page* page);

  std::array<Bucket, kBuckets> m_buckets;
  Page* m_oldest = nullptr;  // the recency list of clean pages
  Page* m_newest = nullptr;
  std::size_t m_clean = 0;
  std::size_t m_size = 0;
  std::uint64_t m_clock = 0;
};

}  // namespace linkar::keyed
