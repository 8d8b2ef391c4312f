// Page cache bookkeeping and the eviction rule.
#include "storage/keyed/page_cache.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace linkar::keyed {

std::size_t PageCache::bucketOf(std::int32_t ref) {
  const std::int64_t m = static_cast<std::int64_t>(ref) % static_cast<std::int64_t>(kBuckets);
  return static_cast<std::size_t>(m < 0 ? m + static_cast<std::int64_t>(kBuckets) : m);
}

Page* PageCache::find(std::int32_t ref) const {
  const Bucket& b = m_buckets[bucketOf(ref)];
  auto it = b.find(ref);
  return it == b.end() ? nullptr : it->second.get();
}

void PageCache::link(Page* page) {
  page->older = m_newest;
  page->newer = nullptr;
  if (m_newest) m_newest->newer = page;
  else m_oldest = page;
  m_newest = page;
  page->inRecency = true;
  ++m_clean;
}

void PageCache::unlink(Page* page) {
  if (page->older) page->older->newer = page->newer;
  else m_oldest = page->newer;
  if (page->newer) page->newer->older = page->older;
  else m_newest = page->older;
  page->older = page->newer = nullptr;
  page->inRecency = false;
  --m_clean;
}

Page* PageCache::add(std::unique_ptr<Page> page) {
  assert(!find(page->ref()));
  Page* p = page.get();
  p->created = m_clock;
  p->lastUse = m_clock;
  bucket(p->ref()).emplace(p->ref(), std::move(page));
  ++m_size;
  if (!p->dirty) link(p);
  return p;
}

std::unique_ptr<Page> PageCache::remove(Page* page) {
  auto& b = bucket(page->ref());
  auto it = b.find(page->ref());
  assert(it != b.end() && it->second.get() == page);
  std::unique_ptr<Page> out = std::move(it->second);
  b.erase(it);
  --m_size;
  if (out->inRecency) unlink(out.get());
  return out;
}

void PageCache::rekey(Page* page, std::int32_t ref) {
  auto& b = bucket(page->ref());
  auto it = b.find(page->ref());
  assert(it != b.end() && it->second.get() == page);
  std::unique_ptr<Page> own = std::move(it->second);
  b.erase(it);
  own->setRef(ref);
  bucket(ref).emplace(ref, std::move(own));
}

void PageCache::access(Page* page) {
  page->lastUse = ++m_clock;
  if (page->inRecency && page != m_newest) {
    unlink(page);
    link(page);
  }
}

void PageCache::setDirty(Page* page, bool dirty) {
  if (page->dirty == dirty) return;
  page->dirty = dirty;
  if (dirty && page->inRecency) {
    unlink(page);
  } else if (!dirty && !page->inRecency) {
    link(page);
  }
}

void PageCache::evict(BranchStore* keep) {
  while (m_clean >= kEvictFloor) {
    Page* lru = m_oldest;
    const std::uint64_t clean = m_clean;
    const std::uint64_t idle = m_clock - lru->lastUse;
    const std::uint64_t age = m_clock - lru->created;
    if (clean < kEvictCeiling && idle < kIdleFactor * (age / clean)) break;
    std::unique_ptr<Page> out = remove(lru);
    if (keep) keep->put(std::move(out));
  }
}

void PageCache::clear() {
  for (auto& b : m_buckets) b.clear();
  m_oldest = m_newest = nullptr;
  m_clean = 0;
  m_size = 0;
}

std::vector<Page*> PageCache::dirtyPages() const {
  std::vector<Page*> out;
  for (const auto& b : m_buckets)
    for (const auto& [ref, p] : b)
      if (p->dirty) out.push_back(p.get());
  // Placement follows this order: keep it independent of the index's own.
  std::sort(out.begin(), out.end(), [](const Page* a, const Page* b) {
    return std::make_pair(bucketOf(a->ref()), a->ref()) < std::make_pair(bucketOf(b->ref()), b->ref());
  });
  return out;
}

std::vector<Page*> PageCache::allPages() const {
  std::vector<Page*> out;
  for (const auto& b : m_buckets)
    for (const auto& [ref, p] : b) out.push_back(p.get());
  std::sort(out.begin(), out.end(), [](const Page* a, const Page* b) { return a->ref() < b->ref(); });
  return out;
}

}  // namespace linkar::keyed
