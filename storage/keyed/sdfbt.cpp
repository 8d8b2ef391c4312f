// sdfbt: descents by floors, ordered stepping across pages, insertion with
// splits and deletion with separator maintenance.
#include "storage/keyed/sdfbt.h"

#include <vector>

#include "storage/keyed/internal_error.h"
#include "storage/keyed/sdf_format.h"

namespace linkar::keyed {

Entry Sdfbt::copy(const PageNode* node) { return Entry{std::string(node->bytes()), node->keyLength}; }

Page* Sdfbt::fingerLeaf(std::string_view key) {
  if (m_fingerSerial == 0) return nullptr;
  Page* page = m_file.cache().find(m_fingerRef);
  if (!page || page->serial() != m_fingerSerial || page->isBranch() || page->empty()) return nullptr;
  if (compareKeys(page->first()->key(), key) > 0 || compareKeys(key, page->last()->key()) > 0) return nullptr;
  m_file.cache().access(page);
  return page;
}

Page* Sdfbt::descend(std::string_view key, std::uint8_t level) {
  if (level == 0) {
    if (Page* leaf = fingerLeaf(key)) return leaf;
  }
  Page* page = m_file.rootPage();
  SDFBT_CHECK(page && page->level() >= level);
  while (page->level() > level) {
    const PageNode* n = page->floor(key);
    SDFBT_CHECK(n);
    page = m_file.fetchChild(*page, *n);
  }
  if (level == 0) {
    m_fingerRef = page->ref();
    m_fingerSerial = page->serial();
  }
  return page;
}

std::optional<Entry> Sdfbt::find(std::string_view key) {
  m_file.beginOperation();
  if (!m_file.hasTree() || key.empty()) return std::nullopt;
  const Page* leaf = descend(key, 0);
  const PageNode* n = leaf->find(key);
  if (!n) return std::nullopt;
  return copy(n);
}

Sdfbt::Spot Sdfbt::lowerBound(std::string_view key, bool strict) {
  if (!m_file.hasTree()) return {};
  // Pages stay in memory for the whole operation, so views of their keys
  // stay valid.
  std::string_view bound = key;
  for (;;) {
    // The tightest separator above the bound on the way down: where the next
    // entry lives when the leaf holds nothing above the bound.
    std::optional<std::string_view> upper;
    Page* page = m_file.rootPage();
    while (page->isBranch()) {
      PageNode* n = page->floor(bound);
      if (!n) n = page->first();
      SDFBT_CHECK(n);
      if (const PageNode* after = Page::next(n)) upper = after->key();
      page = m_file.fetchChild(*page, *n);
    }
    PageNode* r = page->ceiling(bound, strict);
    if (r && r->keyLength == 0) r = Page::next(r);
    if (r) return {page, r};
    if (!upper) return {};
    SDFBT_CHECK(compareKeys(*upper, bound) > 0);
    bound = *upper;
    strict = false;
  }
}

Sdfbt::Spot Sdfbt::upperBound(const std::string* key, bool strict) {
  if (!m_file.hasTree()) return {};
  std::optional<std::string> bound;
  if (key) bound = *key;
  for (;;) {
    // The separator that led to the current page: where to retry from when the
    // subtree below it holds nothing under the bound.
    std::optional<std::string> lower;
    Page* page = m_file.rootPage();
    PageNode* r = nullptr;
    bool stuck = false;
    while (page->isBranch()) {
      PageNode* n = bound ? page->floor(*bound, strict) : page->last();
      if (!n) {
        stuck = true;
        break;
      }
      lower.emplace(n->key());
      page = m_file.fetchChild(*page, *n);
    }
    if (!stuck) {
      r = bound ? page->floor(*bound, strict) : page->last();
      if (r && r->keyLength == 0) return {};
      if (r) return {page, r};
    }
    if (!lower) return {};
    SDFBT_CHECK(!bound || compareKeys(*lower, *bound) < 0 || (!strict && *lower == *bound));
    bound = std::move(*lower);
    strict = true;
  }
}

std::optional<Entry> Sdfbt::floor(std::string_view key) {
  m_file.beginOperation();
  const std::string k(key);
  const Spot s = upperBound(&k, false);
  if (!s.node) return std::nullopt;
  return copy(s.node);
}

std::optional<Entry> Sdfbt::previous(std::string_view key) {
  m_file.beginOperation();
  const std::string k(key);
  const Spot s = upperBound(&k, true);
  if (!s.node) return std::nullopt;
  return copy(s.node);
}

std::optional<Entry> Sdfbt::next(std::string_view key) {
  m_file.beginOperation();
  const Spot s = lowerBound(key, true);
  if (!s.node) return std::nullopt;
  return copy(s.node);
}

std::optional<Entry> Sdfbt::ceiling(std::string_view key) {
  m_file.beginOperation();
  const Spot s = lowerBound(key, false);
  if (!s.node) return std::nullopt;
  return copy(s.node);
}

std::optional<Entry> Sdfbt::first() { return ceiling({}); }

void Sdfbt::walk(std::string_view from,
                 const std::function<bool(std::string_view, std::string_view)>& visit) {
  m_file.beginOperation();
  Spot s = lowerBound(from, false);
  while (s.node) {
    if (!visit(s.node->key(), s.node->data())) return;
    if (PageNode* n = Page::next(s.node)) {
      s.node = n;
      continue;
    }
    const std::string last(s.node->key());
    s = lowerBound(last, true);
  }
}

std::optional<Entry> Sdfbt::last() {
  m_file.beginOperation();
  const Spot s = upperBound(nullptr, false);
  if (!s.node) return std::nullopt;
  return copy(s.node);
}

void Sdfbt::remember(Cursor& cursor, const Spot& spot) {
  cursor.m_key.assign(spot.node->key());
  cursor.m_positioned = true;
  cursor.m_node = spot.node;
  cursor.m_pageRef = spot.page->ref();
  cursor.m_pageSerial = spot.page->serial();
  cursor.m_pageGeneration = spot.page->generation();
}

std::optional<Entry> Sdfbt::next(Cursor& cursor) {
  m_file.beginOperation();
  if (cursor.m_node) {
    Page* page = m_file.cache().find(cursor.m_pageRef);
    if (page && page->serial() == cursor.m_pageSerial &&
        page->generation() == cursor.m_pageGeneration) {
      if (PageNode* n = Page::next(cursor.m_node)) {
        m_file.cache().access(page);
        remember(cursor, {page, n});
        return copy(n);
      }
    }
  }
  const Spot s = lowerBound(cursor.m_key, true);
  if (!s.node) return std::nullopt;
  remember(cursor, s);
  return copy(s.node);
}

std::optional<Entry> Sdfbt::previous(Cursor& cursor) {
  m_file.beginOperation();
  if (cursor.m_node) {
    Page* page = m_file.cache().find(cursor.m_pageRef);
    if (page && page->serial() == cursor.m_pageSerial &&
        page->generation() == cursor.m_pageGeneration) {
      PageNode* n = Page::prev(cursor.m_node);
      if (n && n->keyLength > 0) {
        m_file.cache().access(page);
        remember(cursor, {page, n});
        return copy(n);
      }
    }
  }
  const Spot s = upperBound(&cursor.m_key, true);
  if (!s.node) return std::nullopt;
  remember(cursor, s);
  return copy(s.node);
}

bool Sdfbt::needsSplit(const Page& page) {
  return page.sizeBound() > kSplitBound ||
         (page.sizeBound() > kSoftSplitBound && page.count() > kSoftSplitCount);
}

void Sdfbt::insertAt(std::string_view bytes, std::size_t keyLength, std::int32_t child,
                     std::uint8_t level) {
  SDFBT_CHECK(placeEntry(bytes, keyLength, child, level));
}

bool Sdfbt::placeEntry(std::string_view bytes, std::size_t keyLength, std::int32_t child,
                       std::uint8_t level) {
  SDFBT_CHECK(bytes.size() <= kMaxEntryLength && keyLength <= kMaxKeyLength);
  m_file.requireWritable();
  m_file.ensureTree();
  const std::string_view key(bytes.data(), keyLength);
  Page* page = descend(key, level);
  SDFBT_CHECK(page->level() == level);
  const std::uint32_t cost = page->entryCost(bytes.size());
  if (!page->insert(bytes, keyLength, child)) return false;
  page->setSizeBound(page->sizeBound() + cost);
  m_file.markDirty(page);
  splitIfNeeded(page);
  return true;
}

bool Sdfbt::insertNew(std::string_view key, std::string_view data) {
  m_file.beginOperation();
  std::string bytes;
  bytes.reserve(key.size() + data.size());
  bytes.append(key).append(data);
  return placeEntry(bytes, key.size(), 0, 0);
}

void Sdfbt::insert(std::string_view key, std::string_view data) { SDFBT_CHECK(insertNew(key, data)); }

void Sdfbt::insertSeparator(std::string_view key, std::int32_t child, std::uint8_t level) {
  m_file.beginOperation();
  SDFBT_CHECK(level > 0);
  insertAt(key, key.size(), child, level);
}

void Sdfbt::changeData(Page* page, PageNode* node, std::string_view data) {
  SDFBT_CHECK(node->keyLength + data.size() <= kMaxEntryLength);
  const std::uint32_t before = page->entryCost(node->length);
  page->changeData(node, data);
  page->setSizeBound(page->sizeBound() - before + page->entryCost(node->length));
  m_file.markDirty(page);
  splitIfNeeded(page);
}

void Sdfbt::put(std::string_view key, std::string_view data) {
  m_file.beginOperation();
  m_file.requireWritable();
  if (m_file.hasTree() && !key.empty()) {
    Page* leaf = descend(key, 0);
    if (PageNode* n = leaf->find(key)) {
      changeData(leaf, n, data);
      return;
    }
  }
  std::string bytes;
  bytes.append(key).append(data);
  insertAt(bytes, key.size(), 0, 0);
}

bool Sdfbt::update(std::string_view key, const std::function<void(std::string& data)>& change) {
  m_file.beginOperation();
  m_file.requireWritable();
  if (!m_file.hasTree() || key.empty()) return false;
  Page* leaf = descend(key, 0);
  PageNode* n = leaf->find(key);
  if (!n) return false;
  std::string data(n->data());
  change(data);
  changeData(leaf, n, data);
  return true;
}

void Sdfbt::splitIfNeeded(Page* page) {
  while (needsSplit(*page)) {
    SDFBT_CHECK(page->count() >= 2);
    if (page->ref() == m_file.header().root) {
      // The root keeps its reference: its entries move to a new page below it.
      Page* below = m_file.createPage(page->level());
      page->moveTail(0, *below);
      below->setSizeBound(page->sizeBound());
      page->setLevel(static_cast<std::uint8_t>(page->level() + 1));
      const std::string sep(below->first()->key());
      page->insert(sep, sep.size(), below->ref());
      page->setSizeBound(kNewPageBound + page->entryCost(sep.size()));
      m_file.markDirty(page);
      m_file.markDirty(below);
      page = below;
      continue;
    }
    split(page);
  }
}

void Sdfbt::split(Page* page) {
  const std::size_t leftCount = page->root()->left ? page->root()->left->size : 0;
  const std::size_t n = page->count();
  const std::size_t rightCount = n - 1 - leftCount;
  // The middle entry joins the smaller half; the new page on a tie.
  const std::size_t cut = leftCount < rightCount ? leftCount + 1 : leftCount;
  Page* sibling = m_file.createPage(page->level());
  page->moveTail(cut, *sibling);
  page->setSizeBound(page->exactBound());
  sibling->setSizeBound(sibling->exactBound());
  m_file.markDirty(page);
  m_file.markDirty(sibling);
  const std::string sep(sibling->first()->key());
  insertAt(sep, sep.size(), sibling->ref(), static_cast<std::uint8_t>(page->level() + 1));
  splitIfNeeded(page);
  splitIfNeeded(sibling);
}

bool Sdfbt::erase(std::string_view key) {
  m_file.beginOperation();
  m_file.requireWritable();
  if (!m_file.hasTree() || key.empty()) return false;
  struct Step {
    Page* page;
    PageNode* sep;
  };
  std::vector<Step> path;
  Page* page = m_file.rootPage();
  while (page->isBranch()) {
    PageNode* n = page->floor(key);
    SDFBT_CHECK(n);
    path.push_back({page, n});
    page = m_file.fetchChild(*page, *n);
  }
  PageNode* node = page->find(key);
  if (!node) return false;
  const std::uint32_t cost = page->entryCost(node->length);
  page->erase(node);
  page->setSizeBound(page->sizeBound() - cost);
  m_file.markDirty(page);

  std::vector<Page*> grown;
  Page* child = page;
  for (std::size_t i = path.size(); i-- > 0;) {
    Page* parent = path[i].page;
    PageNode* sep = path[i].sep;
    if (child->empty()) {
      const std::uint32_t sepCost = parent->entryCost(sep->length);
      parent->erase(sep);
      parent->setSizeBound(parent->sizeBound() - sepCost);
      m_file.markDirty(parent);
      m_file.releasePage(child);
    } else if (compareKeys(child->first()->key(), sep->key()) > 0) {
      const std::string fresh(child->first()->key());
      const std::int32_t ref = sep->child;
      parent->setSizeBound(parent->sizeBound() - parent->entryCost(sep->length));
      parent->erase(sep);
      SDFBT_CHECK(parent->insert(fresh, fresh.size(), ref));
      parent->setSizeBound(parent->sizeBound() + parent->entryCost(fresh.size()));
      m_file.markDirty(parent);
      if (needsSplit(*parent)) grown.push_back(parent);
    } else {
      break;  // nothing changed here, so nothing changes above
    }
    child = parent;
  }
  for (Page* p : grown) splitIfNeeded(p);
  return true;
}

}  // namespace linkar::keyed
