// The band layout of a report's detail area.
#include "reports/band_layout.h"

namespace linkar::reports {

struct BandLayout::Item {
  const void* band = nullptr;      // null for a group
  int height = 0;
  int y = 0;
  BandFlags flags;
  std::vector<Item> children;      // a group's bands and groups, in order

  // The vertical space the item takes when placed.
  int space() const {
    if (!band) {
      int total = 0;
      for (const auto& c : children) total += c.space();
      return total;
    }
    return flags.noSpace || flags.absolute ? 0 : height;
  }
};

BandLayout::BandLayout(int top, int bottom, PageSink& sink)
    : m_top(top), m_bottom(bottom), m_sink(sink), m_position(top) {}

BandLayout::~BandLayout() = default;

void BandLayout::add(const void* band, int height, int y, const BandFlags& flags) {
  Item item;
  item.band = band;
  item.height = height;
  item.y = y;
  item.flags = flags;
  if (flags.group == GroupMark::Open && depth() < kMaxGroupDepth) {
    auto group = std::make_unique<Item>();
    group->children.push_back(std::move(item));
    m_open.push_back(std::move(group));
    return;
  }
  if (m_open.empty()) {
    place(item);
    return;
  }
  m_open.back()->children.push_back(std::move(item));
  if (flags.group != GroupMark::Close) return;
  // The closing band ends the innermost group: it joins the outer one, or
  // is placed when it was the outermost.
  std::unique_ptr<Item> done = std::move(m_open.back());
  m_open.pop_back();
  if (m_open.empty()) place(*done);
  else m_open.back()->children.push_back(std::move(*done));
}

void BandLayout::place(const Item& item) {
  if (item.band) {
    placeBand(item);
    return;
  }
  // A group that does not fit the rest of a page that has something on it
  // starts the next page; one taller than a page is then placed band by band.
  if (m_pageStarted && m_position + item.space() > m_bottom) finish();
  for (const auto& child : item.children) place(child);
}

void BandLayout::placeBand(const Item& item) {
  bool takesSpace = !item.flags.noSpace && !item.flags.absolute;
  if (takesSpace && m_pageStarted && m_position + item.height > m_bottom) finish();
  if (!m_pageStarted) {
    m_pageStarted = true;
    m_position = m_top;
    m_sink.startPage();
  }
  m_sink.drawBand(item.band, item.flags.absolute ? m_top + item.y : m_position);
  if (takesSpace) m_position += item.height;
}

void BandLayout::placeHeld() {
  if (m_open.empty()) return;
  // Groups still open are placed as they stand, each inside the one around it.
  for (size_t i = m_open.size() - 1; i > 0; --i) m_open[i - 1]->children.push_back(std::move(*m_open[i]));
  std::unique_ptr<Item> outer = std::move(m_open.front());
  m_open.clear();
  place(*outer);
}

void BandLayout::endPage() {
  placeHeld();
  if (m_pageStarted) finish();
}

void BandLayout::finish() {
  m_sink.finishPage();
  m_pageStarted = false;
  m_position = m_top;
}

}  // namespace linkar::reports
