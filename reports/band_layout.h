// Where a report's bands go: detail bands are placed top-down in the detail
// area; a band that would end below the area's bottom while something is on
// the page goes to the top of the next page. Bands that take no vertical
// space are drawn without moving the position; absolutely placed bands sit
// at their own place in the area and are not fitted. Bands can be kept
// together in groups nested up to kMaxGroupDepth deep: a group is held until
// its closing band and then placed as a whole, on a fresh page when it does
// not fit the rest of this one. Positions are in thousandths of an inch.
#pragma once

#include <memory>
#include <vector>

namespace linkar::reports {

inline constexpr int kMaxGroupDepth = 10;

enum class GroupMark { None, Open, Close };

struct BandFlags {
  bool noSpace = false;     // takes no vertical space
  bool absolute = false;    // drawn at its own y inside the detail area, never fitted
  GroupMark group = GroupMark::None;
};

// What the layout asks of the page it fills.
class PageSink {
 public:
  virtual ~PageSink() = default;
  virtual void startPage() = 0;
  // `band` is the caller's, given back; y is the top of the band on the page.
  virtual void drawBand(const void* band, int y) = 0;
  virtual void finishPage() = 0;
};

class BandLayout {
 public:
  // The detail area's top and bottom; the sink must outlive the layout.
  BandLayout(int top, int bottom, PageSink& sink);
  ~BandLayout();

  // Places a band of that height (its own y for an absolute band), or holds
  // it while a group is open.
  void add(const void* band, int height, int y, const BandFlags& flags);
  // Places what is held and finishes the page, if anything is on it.
  void endPage();

  bool pageStarted() const { return m_pageStarted; }
  int position() const { return m_position; }
  int depth() const { return static_cast<int>(m_open.size()); }

 private:
  struct Item;
  void place(const Item& item);
  void placeBand(const Item& item);
  void placeHeld();
  void finish();

  int m_top, m_bottom;
  PageSink& m_sink;
  int m_position;
  bool m_pageStarted = false;
  std::vector<std::unique_ptr<Item>> m_open;   // groups being held, outermost first
};

}  // namespace linkar::reports
