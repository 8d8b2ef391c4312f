// The paging engine of a browse: the page queue over the browse's view, the
// highlighted row, and the ways a page is filled, refreshed and located,
// scrolled, and estimated for the scroll bar's thumb. Only one page of
// records is ever held, whatever the size of the file; every page change
// re-reads its records through the view.
//
// Fill:     from the queue's edge record (RESET there and read it once),
//           reading on in one direction, dropping entries at the other end
//           once the page is full; the end of the order or of the filter
//           ends it quietly.
// Refresh:  empties the queue and fills a whole page from where the mode
//           says, then the rows still missing the other way; highlights the
//           remembered record, or the first (last) row.
// Locate:   starts the key at a value (or at a record's own entry), reads
//           one record: found, it heads the page (refresh on position);
//           beyond the last record, the last page is shown.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/browse_config.h"
#include "app/browse_view.h"
#include "app/page_queue.h"
#include "app/thumb_guide.h"

namespace linkar::app {

enum class RefreshMode {
  kOnPosition,   // start at the view's current record and highlight it
  kFromBottom,   // fill backward from the end of the order
  kFromTop,      // the page's first row onward (the order's start when empty)
  kKeepPage,
  kKeepCurrent,
};

class BrowsePager {
 public:
  // `config` must outlive the pager. `onReadError` is called after a read
  // failed with anything but the end of the order.
  BrowsePager(const BrowseConfig& config, std::function<void()> onReadError);
  BrowsePager(const BrowsePager&) = delete;
  BrowsePager& operator=(const BrowsePager&) = delete;

  // Rows the list can show (at least 1).
  void setRows(int rows) { m_rows = rows < 1 ? 1 : rows; }
  int rows() const { return m_rows; }
  bool full() const { return m_queue.size() >= m_rows; }

  // The order by tab number from 1.
  void setOrder(int order);
  int orderNumber() const { return m_order; }
  const BrowseOrder& order() const;

  // The range value: its bytes (bound for the filter; stable for the
  // pager's life), taken from the range's source field, and whether the
  // source now holds another value.
  char* rangeData() { return m_range.data(); }
  size_t rangeSize() const { return m_range.size(); }
  void takeRange();
  bool rangeChanged() const;
  std::string rangeText() const;
  // Puts the range value into the range's target field.
  void putRangeInBuffer() const;

  const PageQueue& queue() const { return m_queue; }
  // The highlighted row, 0 when the queue is empty.
  int choice() const { return m_choice; }
  void setChoice(int row);
  // Copies the entry's columns into the record buffer.
  void copyToBuffer(int row) const;

  // The view reopened at the start of the current order.
  void resetView();
  void closeView() { m_view.close(); }
  // Re-reads the highlighted row's record (and memos) through the view,
  // asking for change detection, so the record buffer holds it complete and
  // current; nothing when the queue is empty.
  void reloadHighlighted(int row);
  // Whether the file's current record is the one in the buffer (a reload
  // just read it, or a form has just written it).
  void setBufferIsCurrent(bool on) { m_bufferIsCurrent = on; }

  // Empties the record buffer and its memos (an empty page, a new record).
  void clearRecord() const;

  void refresh(RefreshMode mode);
  // Locates by the key values in the buffer (the range put in first).
  void locateValue();
  // Locates the record in the buffer: its own entry when the file's current
  // record is that record and it lies in the range, otherwise by value.
  void locateRecord();
  // The one-letter locator and the dragged thumb: the order's seek field
  // set (the fields after it cleared, the range put in), then located.
  void seekText(std::string_view text);
  void seekGuide(int value);

  // A scroll event of the list (EVENT:ScrollUp ... EVENT:ScrollBottom).
  void scroll(int event);
  // For an order without guide values: the thumb after that scroll event.
  int thumbAfterScroll(int event) const;
  // Removes the highlighted entry (its record was deleted).
  void removeHighlighted();

  void rebuildGuide();
  // The thumb for the buffer's record in the current order; nullopt for an
  // order without guide values.
  std::optional<int> thumbForBuffer() const;

 private:
  void openView(BrowseView::Start start);
  int fill(int rows, bool forward, bool drop);
  // The first read of a fill from the queue's edge: the record past the
  // edge, if the edge record has gone, to be taken as the first new one.
  bool readPastEdge(bool forward, std::optional<QueueEntry>* pending);
  bool readOne(bool forward, QueueEntry* entry);
  QueueEntry entryFromBuffer();
  void finishLocate();
  void endOfOrder() const;
  bool readFailed(int32_t code);
  bool sameRangeInBuffer() const;

  const BrowseConfig& m_config;
  std::function<void()> m_onReadError;
  BrowseView m_view;
  PageQueue m_queue;
  std::vector<ThumbGuide> m_guides;  // one per order
  std::vector<char> m_range;
  int m_rows = 1;
  int m_order = 0;
  int m_choice = 0;
  bool m_bufferIsCurrent = false;
  bool m_atEnd = false;  // the last scroll reached an end of the order
};

}  // namespace linkar::app
