// In-memory page trees: linear-time build from sorted entries, insertion with
// single rotations chosen by subtree sizes, and removal.
#include "storage/keyed/page.h"

#include <algorithm>
#include <cstring>

#include "storage/keyed/internal_error.h"
#include "storage/keyed/sdf_format.h"

namespace linkar::keyed {
namespace {

constexpr std::size_t kMinNodeBlock = 8;  // nodes allocated at once when the free list is empty

std::uint32_t sizeOf(const PageNode* n) { return n ? n->size : 0; }

void resize(PageNode* n) { n->size = 1 + sizeOf(n->left) + sizeOf(n->right); }

}  // namespace

int compareKeys(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  if (n) {
    const int c = std::memcmp(a.data(), b.data(), n);
    if (c) return c;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

PageNode* Page::newNode() {
  if (!m_free) {
    const std::size_t n = std::max(kMinNodeBlock, count() / 2);
    m_blocks.push_back(std::make_unique<PageNode[]>(n));
    PageNode* block = m_blocks.back().get();
    for (std::size_t i = 0; i < n; ++i) {
      block[i].right = m_free;
      m_free = &block[i];
    }
  }
  PageNode* n = m_free;
  m_free = n->right;
  *n = PageNode();
  return n;
}

void Page::freeNode(PageNode* n) {
  if (n->own) m_ownedBytes -= n->length;
  n->own.reset();
  n->ptr = nullptr;
  n->left = n->parent = nullptr;
  n->right = m_free;
  m_free = n;
}

void Page::setBytes(PageNode* n, std::string_view head, std::string_view tail) {
  const std::size_t length = head.size() + tail.size();
  std::unique_ptr<char[]> own(new char[length ? length : 1]);
  if (!head.empty()) std::memcpy(own.get(), head.data(), head.size());
  if (!tail.empty()) std::memcpy(own.get() + head.size(), tail.data(), tail.size());
  if (n->own) m_ownedBytes -= n->length;
  m_ownedBytes += length;
  n->own = std::move(own);
  n->ptr = n->own.get();
  n->length = static_cast<std::uint32_t>(length);
}

PageNode* Page::first() const {
  PageNode* n = m_root;
  while (n && n->left) n = n->left;
  return n;
}

PageNode* Page::last() const {
  PageNode* n = m_root;
  while (n && n->right) n = n->right;
  return n;
}

PageNode* Page::next(PageNode* n) {
  if (n->right) {
    n = n->right;
    while (n->left) n = n->left;
    return n;
  }
  while (n->parent && n->parent->right == n) n = n->parent;
  return n->parent;
}

PageNode* Page::prev(PageNode* n) {
  if (n->left) {
    n = n->left;
    while (n->right) n = n->right;
    return n;
  }
  while (n->parent && n->parent->left == n) n = n->parent;
  return n->parent;
}

PageNode* Page::floor(std::string_view k, bool strict) const {
  PageNode* best = nullptr;
  PageNode* n = m_root;
  while (n) {
    const int c = compareKeys(n->key(), k);
    if (c < 0 || (c == 0 && !strict)) {
      best = n;
      if (c == 0) return best;
      n = n->right;
    } else {
      n = n->left;
    }
  }
  return best;
}

PageNode* Page::ceiling(std::string_view k, bool strict) const {
  PageNode* best = nullptr;
  PageNode* n = m_root;
  while (n) {
    const int c = compareKeys(n->key(), k);
    if (c > 0 || (c == 0 && !strict)) {
      best = n;
      if (c == 0) return best;
      n = n->left;
    } else {
      n = n->right;
    }
  }
  return best;
}

PageNode* Page::find(std::string_view k) const {
  PageNode* n = m_root;
  while (n) {
    const int c = compareKeys(k, n->key());
    if (c == 0) return n;
    n = c < 0 ? n->left : n->right;
  }
  return nullptr;
}

PageNode*& Page::slotOf(PageNode* n) {
  if (!n->parent) {
    SDFBT_CHECK(m_root == n);
    return m_root;
  }
  if (n->parent->left == n) return n->parent->left;
  SDFBT_CHECK(n->parent->right == n);
  return n->parent->right;
}

void Page::rotateLeft(PageNode* x) {
  PageNode*& slot = slotOf(x);
  PageNode* y = x->right;
  x->right = y->left;
  if (x->right) x->right->parent = x;
  y->parent = x->parent;
  x->parent = y;
  y->left = x;
  resize(x);
  resize(y);
  slot = y;
}

void Page::rotateRight(PageNode* x) {
  PageNode*& slot = slotOf(x);
  PageNode* y = x->left;
  x->left = y->right;
  if (x->left) x->left->parent = x;
  y->parent = x->parent;
  x->parent = y;
  y->right = x;
  resize(x);
  resize(y);
  slot = y;
}

PageNode* Page::insert(std::string_view bytes, std::size_t keyLength, std::int32_t child) {
  const std::string_view k = bytes.substr(0, keyLength);
  PageNode* parent = nullptr;
  PageNode** slot = &m_root;
  while (*slot) {
    parent = *slot;
    const int c = compareKeys(k, parent->key());
    if (c == 0) return nullptr;
    slot = c < 0 ? &parent->left : &parent->right;
  }
  PageNode* added = newNode();
  setBytes(added, bytes);
  added->keyLength = static_cast<std::uint16_t>(keyLength);
  added->child = child;
  added->parent = parent;
  *slot = added;
  touch();
  for (PageNode* a = parent; a; a = a->parent) ++a->size;
  for (PageNode* a = parent; a;) {
    PageNode* up = a->parent;
    const std::uint32_t l = sizeOf(a->left);
    const std::uint32_t r = sizeOf(a->right);
    if (r > l && r - l > sizeOf(a->right->left)) {
      rotateLeft(a);
    } else if (l > r && l - r > sizeOf(a->left->right)) {
      rotateRight(a);
    }
    a = up;
  }
  return added;
}

void Page::erase(PageNode* n) {
  touch();
  if (n->left && n->right) {
    // Move the successor's entry here and remove the successor instead.
    PageNode* s = n->right;
    while (s->left) s = s->left;
    std::swap(n->ptr, s->ptr);
    std::swap(n->length, s->length);
    std::swap(n->keyLength, s->keyLength);
    std::swap(n->child, s->child);
    std::swap(n->own, s->own);
    n = s;
  }
  PageNode* parent = n->parent;
  PageNode*& slot = slotOf(n);
  slot = n->left ? n->left : n->right;
  if (slot) slot->parent = parent;
  for (PageNode* a = parent; a; a = a->parent) --a->size;
  freeNode(n);
}

void Page::changeData(PageNode* n, std::string_view data) {
  setBytes(n, n->key(), data);
  touch();
}

std::uint32_t Page::entryCost(std::size_t entryLength) const {
  return static_cast<std::uint32_t>(entryLength) + kEntryCost + (isBranch() ? kBranchEntryCost : 0);
}

std::uint32_t Page::exactBound() const {
  std::uint32_t bound = kNewPageBound;
  for (const PageNode* n : inOrder()) bound += entryCost(n->length);
  return bound;
}

template <typename NodeAt>
PageNode* Page::build(const NodeAt& at, std::size_t lo, std::size_t hi, PageNode* parent) {
  if (lo >= hi) return nullptr;
  const std::size_t mid = lo + (hi - lo) / 2;
  PageNode* n = at(mid);
  n->parent = parent;
  n->left = build(at, lo, mid, n);
  n->right = build(at, mid + 1, hi, n);
  n->size = static_cast<std::uint32_t>(hi - lo);
  return n;
}

void Page::load(std::shared_ptr<const char[]> store, const std::vector<DecodedEntry>& entries,
                const std::vector<std::int32_t>* children) {
  SDFBT_CHECK(!m_root);
  touch();
  const std::size_t n = entries.size();
  if (n == 0) return;
  std::unique_ptr<PageNode[]> nodes(new PageNode[n]);
  PageNode* block = nodes.get();
  for (std::size_t i = 0; i < n; ++i) {
    PageNode& node = block[i];
    node.ptr = store.get() + entries[i].offset;
    node.length = entries[i].length;
    node.keyLength = static_cast<std::uint16_t>(entries[i].keyLength);
    if (children) node.child = (*children)[i];
  }
  m_store = std::move(store);
  m_storeBytes = entries.back().offset + entries.back().length;
  if (m_loaded) m_blocks.push_back(std::move(m_loaded));
  m_loaded = std::move(nodes);
  m_root = build([block](std::size_t i) { return block + i; }, 0, n, nullptr);
}

void Page::moveTail(std::size_t cut, Page& to) {
  std::vector<PageNode*> nodes = inOrder();
  SDFBT_CHECK(cut <= nodes.size());
  std::vector<DecodedEntry> entries;
  std::vector<std::int32_t> children;
  entries.reserve(nodes.size() - cut);
  children.reserve(nodes.size() - cut);
  std::size_t total = 0;
  for (std::size_t i = cut; i < nodes.size(); ++i) total += nodes[i]->length;
  std::shared_ptr<char[]> store(new char[total ? total : 1]);
  std::uint32_t at = 0;
  for (std::size_t i = cut; i < nodes.size(); ++i) {
    const PageNode* n = nodes[i];
    entries.push_back({at, n->length, n->keyLength, 0});
    children.push_back(n->child);
    if (n->length) std::memcpy(store.get() + at, n->ptr, n->length);
    at += n->length;
  }
  to.load(std::shared_ptr<const char[]>(std::move(store)), entries, &children);
  for (std::size_t i = cut; i < nodes.size(); ++i) freeNode(nodes[i]);
  touch();
  m_root = build([&nodes](std::size_t i) { return nodes[i]; }, 0, cut, nullptr);
}

std::size_t Page::footprint() const {
  return sizeof(Page) + m_storeBytes + m_ownedBytes + count() * sizeof(PageNode);
}

std::vector<PageNode*> Page::inOrder() const {
  std::vector<PageNode*> out;
  out.reserve(count());
  for (PageNode* n = first(); n; n = next(n)) out.push_back(n);
  return out;
}

}  // namespace linkar::keyed
