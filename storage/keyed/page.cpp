// In-memory page trees: linear-time build from sorted entries, insertion with
// single rotations chosen by subtree sizes, and removal.
#include "storage/keyed/page.h"

#include <algorithm>
#include <cstring>

#include "storage/keyed/internal_error.h"
#include "storage/keyed/sdf_format.h"

namespace linkar::keyed {
namespace {

std::uint32_t sizeOf(const std::unique_ptr<PageNode>& n) { return n ? n->size : 0; }

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

PageNode* Page::first() const {
  PageNode* n = m_root.get();
  while (n && n->left) n = n->left.get();
  return n;
}

PageNode* Page::last() const {
  PageNode* n = m_root.get();
  while (n && n->right) n = n->right.get();
  return n;
}

PageNode* Page::next(PageNode* n) {
  if (n->right) {
    n = n->right.get();
    while (n->left) n = n->left.get();
    return n;
  }
  while (n->parent && n->parent->right.get() == n) n = n->parent;
  return n->parent;
}

PageNode* Page::prev(PageNode* n) {
  if (n->left) {
    n = n->left.get();
    while (n->right) n = n->right.get();
    return n;
  }
  while (n->parent && n->parent->left.get() == n) n = n->parent;
  return n->parent;
}

PageNode* Page::floor(std::string_view k, bool strict) const {
  PageNode* best = nullptr;
  PageNode* n = m_root.get();
  while (n) {
    const int c = compareKeys(n->key(), k);
    if (c < 0 || (c == 0 && !strict)) {
      best = n;
      if (c == 0) return best;
      n = n->right.get();
    } else {
      n = n->left.get();
    }
  }
  return best;
}

PageNode* Page::ceiling(std::string_view k, bool strict) const {
  PageNode* best = nullptr;
  PageNode* n = m_root.get();
  while (n) {
    const int c = compareKeys(n->key(), k);
    if (c > 0 || (c == 0 && !strict)) {
      best = n;
      if (c == 0) return best;
      n = n->left.get();
    } else {
      n = n->right.get();
    }
  }
  return best;
}

PageNode* Page::find(std::string_view k) const {
  PageNode* n = m_root.get();
  while (n) {
    const int c = compareKeys(k, n->key());
    if (c == 0) return n;
    n = c < 0 ? n->left.get() : n->right.get();
  }
  return nullptr;
}

std::unique_ptr<PageNode>& Page::slotOf(PageNode* n) {
  if (!n->parent) {
    SDFBT_CHECK(m_root.get() == n);
    return m_root;
  }
  if (n->parent->left.get() == n) return n->parent->left;
  SDFBT_CHECK(n->parent->right.get() == n);
  return n->parent->right;
}

void Page::rotateLeft(PageNode* x) {
  std::unique_ptr<PageNode>& slot = slotOf(x);
  std::unique_ptr<PageNode> xOwn = std::move(slot);
  std::unique_ptr<PageNode> yOwn = std::move(xOwn->right);
  xOwn->right = std::move(yOwn->left);
  if (xOwn->right) xOwn->right->parent = xOwn.get();
  yOwn->parent = xOwn->parent;
  xOwn->parent = yOwn.get();
  resize(xOwn.get());
  yOwn->left = std::move(xOwn);
  resize(yOwn.get());
  slot = std::move(yOwn);
}

void Page::rotateRight(PageNode* x) {
  std::unique_ptr<PageNode>& slot = slotOf(x);
  std::unique_ptr<PageNode> xOwn = std::move(slot);
  std::unique_ptr<PageNode> yOwn = std::move(xOwn->left);
  xOwn->left = std::move(yOwn->right);
  if (xOwn->left) xOwn->left->parent = xOwn.get();
  yOwn->parent = xOwn->parent;
  xOwn->parent = yOwn.get();
  resize(xOwn.get());
  yOwn->right = std::move(xOwn);
  resize(yOwn.get());
  slot = std::move(yOwn);
}

PageNode* Page::insert(std::string bytes, std::size_t keyLength, std::int32_t child) {
  auto node = std::make_unique<PageNode>();
  node->bytes = std::move(bytes);
  node->keyLength = static_cast<std::uint16_t>(keyLength);
  node->child = child;
  PageNode* added = node.get();
  touch();
  if (!m_root) {
    m_root = std::move(node);
    return added;
  }
  const std::string_view k = added->key();
  PageNode* parent = m_root.get();
  for (;;) {
    const int c = compareKeys(k, parent->key());
    if (c == 0) return nullptr;
    std::unique_ptr<PageNode>& slot = c < 0 ? parent->left : parent->right;
    if (!slot) {
      node->parent = parent;
      slot = std::move(node);
      break;
    }
    parent = slot.get();
  }
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
    PageNode* s = n->right.get();
    while (s->left) s = s->left.get();
    std::swap(n->bytes, s->bytes);
    std::swap(n->keyLength, s->keyLength);
    std::swap(n->child, s->child);
    n = s;
  }
  PageNode* parent = n->parent;
  std::unique_ptr<PageNode>& slot = slotOf(n);
  std::unique_ptr<PageNode> gone = std::move(slot);
  slot = std::move(gone->left ? gone->left : gone->right);
  if (slot) slot->parent = parent;
  for (PageNode* a = parent; a; a = a->parent) --a->size;
}

std::uint32_t Page::entryCost(std::size_t entryLength) const {
  return static_cast<std::uint32_t>(entryLength) + kEntryCost + (isBranch() ? kBranchEntryCost : 0);
}

std::uint32_t Page::exactBound() const {
  std::uint32_t bound = kNewPageBound;
  for (const PageNode* n : inOrder()) bound += entryCost(n->bytes.size());
  return bound;
}

std::unique_ptr<PageNode> Page::build(NodeList& nodes, std::size_t lo, std::size_t hi,
                                      PageNode* parent) {
  if (lo >= hi) return nullptr;
  const std::size_t mid = lo + (hi - lo) / 2;
  std::unique_ptr<PageNode> n = std::move(nodes[mid]);
  n->parent = parent;
  n->left = build(nodes, lo, mid, n.get());
  n->right = build(nodes, mid + 1, hi, n.get());
  n->size = static_cast<std::uint32_t>(hi - lo);
  return n;
}

void Page::adopt(NodeList nodes) {
  touch();
  m_root = build(nodes, 0, nodes.size(), nullptr);
}

NodeList Page::release() {
  touch();
  NodeList out;
  out.reserve(count());
  // Iterative in-order walk that detaches nodes as it goes.
  std::vector<std::unique_ptr<PageNode>> stack;
  std::unique_ptr<PageNode> cur = std::move(m_root);
  while (cur || !stack.empty()) {
    while (cur) {
      std::unique_ptr<PageNode> left = std::move(cur->left);
      stack.push_back(std::move(cur));
      cur = std::move(left);
    }
    std::unique_ptr<PageNode> n = std::move(stack.back());
    stack.pop_back();
    cur = std::move(n->right);
    n->parent = nullptr;
    n->size = 1;
    out.push_back(std::move(n));
  }
  return out;
}

std::vector<PageNode*> Page::inOrder() const {
  std::vector<PageNode*> out;
  out.reserve(count());
  for (PageNode* n = first(); n; n = next(n)) out.push_back(n);
  return out;
}

}  // namespace linkar::keyed
