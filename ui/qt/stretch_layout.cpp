// Anchoring the controls of a list window, worked out once from the
// declaration in dialog units and applied in pixels on every resize.

#include "ui/qt/stretch_layout.h"

#include <algorithm>

namespace linkar::ui::qt {
namespace {

// Two controls on one line at most this far apart (dialog units) belong to
// one row of buttons.
constexpr int kRowGap = 8;
// A row whose right end is at most this far from the list's (dialog units)
// is aligned with it.
constexpr int kAlignSlack = 8;

int right(const Rect& r) { return r.x + r.width; }
int bottom(const Rect& r) { return r.y + r.height; }

bool contains(const Rect& outer, const Rect& inner) {
  return outer.x <= inner.x && outer.y <= inner.y && right(outer) >= right(inner) &&
         bottom(outer) >= bottom(inner);
}

}  // namespace

StretchLayout::StretchLayout(const Structure& s) : m_follow(s.controls.size()) {
  for (size_t i = 0; i < s.controls.size() && m_list < 0; ++i)
    if (s.controls[i].type == ControlType::List && s.controls[i].at) m_list = static_cast<int>(i);
  if (m_list >= 0 && s.resizable) anchorControls(s);
  else m_list = -1;
}

void StretchLayout::anchorControls(const Structure& s) {
  const Rect list = *s.controls[static_cast<size_t>(m_list)].at;
  for (size_t i = 0; i < s.controls.size(); ++i) {
    if (!s.controls[i].at) continue;
    const Rect& r = *s.controls[i].at;
    Follow& f = m_follow[i];
    if (static_cast<int>(i) == m_list || contains(r, list)) {
      f.stretchX = f.stretchY = true;
      continue;
    }
    f.moveX = r.x >= right(list);
    f.moveY = r.y >= bottom(list);
  }
  anchorButtonRows(s, list);
}

void StretchLayout::anchorButtonRows(const Structure& s, const Rect& list) {
  // The controls under the list, by line and then from the left.
  std::vector<size_t> under;
  for (size_t i = 0; i < s.controls.size(); ++i)
    if (m_follow[i].moveY && !m_follow[i].moveX) under.push_back(i);
  auto at = [&](size_t i) -> const Rect& { return *s.controls[i].at; };
  std::sort(under.begin(), under.end(), [&](size_t a, size_t b) {
    return at(a).y != at(b).y ? at(a).y < at(b).y : at(a).x < at(b).x;
  });
  size_t first = 0;
  while (first < under.size()) {
    size_t last = first;
    while (last + 1 < under.size() && at(under[last + 1]).y == at(under[first]).y &&
           at(under[last + 1]).x - right(at(under[last])) <= kRowGap)
      ++last;
    if (right(at(under[last])) >= right(list) - kAlignSlack)
      for (size_t k = first; k <= last; ++k) m_follow[under[k]].moveX = true;
    first = last + 1;
  }
}

QRect StretchLayout::place(size_t index, QRect designed, QSize grown) const {
  if (index >= m_follow.size()) return designed;
  const Follow& f = m_follow[index];
  QRect out = designed;
  if (f.moveX) out.translate(grown.width(), 0);
  if (f.moveY) out.translate(0, grown.height());
  if (f.stretchX) out.setWidth(std::max(1, designed.width() + grown.width()));
  if (f.stretchY) out.setHeight(std::max(1, designed.height() + grown.height()));
  return out;
}

}  // namespace linkar::ui::qt
