// Filling, refreshing, locating and scrolling the page of a browse.
#include "app/browse_pager.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "app/standard_warning.h"
#include "runtime/char_tables.h"
#include "runtime/error_codes.h"
#include "runtime/error_state.h"
#include "runtime/fixed_text.h"
#include "storage/layer/file_statements.h"
#include "storage/layer/thread_files.h"
#include "ui/statements.h"

namespace linkar::app {
namespace {

constexpr int32_t kRecordNotAvailable = runtime::err::kRecordNotAvailable;  // 33: the end of the order
constexpr int kThumbMiddle = 50;
constexpr int kMsgViewOpenError = 36;

bool upward(int event) {
  return event == ui::Event::ScrollUp || event == ui::Event::PageUp || event == ui::Event::ScrollTop;
}

}  // namespace

BrowsePager::BrowsePager(const BrowseConfig& config, std::function<void()> onReadError)
    : m_config(config),
      m_onReadError(std::move(onReadError)),
      m_view(*config.file),
      m_guides(config.orders.size()),
      m_range(config.range.source.valid() ? config.range.source.size() : 1, runtime::kBlank) {}

void BrowsePager::setOrder(int order) {
  assert(order >= 1 && order <= static_cast<int>(m_config.orders.size()));
  m_order = order;
}

const BrowseOrder& BrowsePager::order() const { return m_config.orders[static_cast<size_t>(m_order - 1)]; }

void BrowsePager::takeRange() {
  if (!m_config.range.source.valid()) return;
  const std::string value = m_config.range.source.raw();
  std::memcpy(m_range.data(), value.data(), std::min(m_range.size(), value.size()));
}

bool BrowsePager::rangeChanged() const {
  if (!m_config.range.source.valid()) return false;
  return !runtime::equalFixed(std::string_view(m_range.data(), m_range.size()), m_config.range.source.raw());
}

std::string BrowsePager::rangeText() const {
  return std::string(runtime::fixedView(m_range.data(), m_range.size()));
}

void BrowsePager::putRangeInBuffer() const {
  if (m_config.range.target.valid()) m_config.range.target.setText(rangeText());
}

bool BrowsePager::sameRangeInBuffer() const {
  // As the range filter compares: both sides upper-cased.
  return runtime::collateCompare(m_config.range.target.text(), rangeText()) == 0;
}

void BrowsePager::setChoice(int row) { m_choice = m_queue.empty() ? 0 : std::clamp(row, 1, m_queue.size()); }

void BrowsePager::copyToBuffer(int row) const {
  const QueueEntry& e = m_queue.entry(row);
  for (size_t i = 0; i < m_config.columns.size(); ++i) m_config.columns[i].setRaw(e.columns[i]);
}

void BrowsePager::openView(BrowseView::Start start) {
  // A view that does not open leaves the browse without its filter and range.
  if (!m_view.open(*order().key, order().filter, start)) StandardWarning(kMsgViewOpenError);
}

void BrowsePager::resetView() { openView(BrowseView::Start::kBeginning); }

void BrowsePager::reloadHighlighted(int row) {
  m_bufferIsCurrent = false;
  if (m_queue.empty()) return;
  setChoice(row);
  m_bufferIsCurrent = m_view.reget(m_queue.entry(m_choice).position) == 0;
}

QueueEntry BrowsePager::entryFromBuffer() {
  QueueEntry e;
  for (const FieldRef& column : m_config.columns) e.columns.push_back(column.raw());
  e.position = m_view.position();
  return e;
}

void BrowsePager::endOfOrder() const {
  // The range's source holds the range again when its end has been reached.
  if (order().ranged && m_config.range.source.valid()) m_config.range.source.setText(rangeText());
}

bool BrowsePager::readFailed(int32_t code) {
  if (code == kRecordNotAvailable) {
    endOfOrder();
    return true;
  }
  if (code == 0) return false;
  if (m_onReadError) m_onReadError();
  return true;
}

bool BrowsePager::readOne(bool forward, QueueEntry* entry) {
  if (readFailed(m_view.read(forward))) return false;
  *entry = entryFromBuffer();
  return true;
}

bool BrowsePager::readPastEdge(bool forward, std::optional<QueueEntry>* pending) {
  const std::string edge = forward ? m_queue.last().position : m_queue.first().position;
  m_view.reset(edge);
  if (readFailed(runtime::errorCode())) return false;
  QueueEntry entry;
  if (!readOne(forward, &entry)) return false;
  if (entry.position != edge) *pending = std::move(entry);
  return true;
}

int BrowsePager::fill(int rows, bool forward, bool drop) {
  int read = 0;
  std::optional<QueueEntry> pending;
  if (!m_queue.empty() && !readPastEdge(forward, &pending)) rows = 0;
  while (rows > 0) {
    QueueEntry entry;
    if (pending) {
      entry = std::move(*pending);
      pending.reset();
    } else if (!readOne(forward, &entry)) {
      break;
    }
    if (drop && full()) forward ? m_queue.dropFront() : m_queue.dropBack();
    forward ? m_queue.pushBack(std::move(entry)) : m_queue.pushFront(std::move(entry));
    ++read;
    --rows;
  }
  if (rows > 0) m_atEnd = true;
  return read;
}

void BrowsePager::clearRecord() const {
  storage::FileDecl& file = *m_config.file;
  storage::fileClear(file);
  for (int i = 0; i < file.memoCount; ++i) {
    const storage::MemoDecl& memo = *file.memos[i];
    if (char* buffer = storage::memoBufferOf(file, memo.number))
      std::memset(buffer, runtime::kBlank, static_cast<size_t>(memo.size));
  }
}

void BrowsePager::refresh(RefreshMode mode) {
  ui::setBusy(true);
  std::optional<std::string> highlight;
  if (mode == RefreshMode::kOnPosition) {
    highlight = m_view.position();
    m_view.reset(*highlight);
  } else if (!m_queue.empty()) {
    int row = m_choice >= 1 && m_choice <= m_queue.size() ? m_choice : m_queue.size();
    highlight = m_queue.entry(row).position;
    m_view.reset(m_queue.first().position);
  } else {
    resetView();
  }
  m_queue.clear();
  const bool forward = mode != RefreshMode::kFromBottom;
  int left = m_rows - fill(m_rows, forward, true);
  if (highlight && left > 0) {
    // The end came first: earlier (later) records complete the page.
    if (m_queue.empty()) resetView();
    fill(left, !forward, true);
  }
  if (m_queue.empty()) {
    clearRecord();
    m_choice = 0;
  } else {
    int row = mode == RefreshMode::kFromBottom ? m_queue.size() : 1;
    if (highlight) {
      row = m_queue.rowOf(*highlight);
      if (row == 0) row = m_queue.size();
    }
    m_choice = row;
    copyToBuffer(row);
  }
  ui::setBusy(false);
}

void BrowsePager::finishLocate() {
  m_queue.clear();
  fill(1, true, false);
  refresh(m_queue.empty() ? RefreshMode::kFromBottom : RefreshMode::kOnPosition);
}

void BrowsePager::locateValue() {
  if (order().ranged) putRangeInBuffer();
  openView(BrowseView::Start::kBufferValues);
  finishLocate();
}

void BrowsePager::locateRecord() {
  const bool own = m_bufferIsCurrent && (!order().ranged || sameRangeInBuffer());
  m_bufferIsCurrent = false;
  if (!own) {
    locateValue();
    return;
  }
  openView(BrowseView::Start::kCurrentEntry);
  finishLocate();
}

void BrowsePager::seekText(std::string_view text) {
  for (const FieldRef& field : order().clearedBySeek) field.clear();
  order().seek.setText(text);
  locateValue();
}

void BrowsePager::seekGuide(int value) {
  const BrowseOrder& o = order();
  if (!o.guide) return;
  for (const FieldRef& field : o.clearedBySeek) field.clear();
  const ThumbGuide& guide = m_guides[static_cast<size_t>(m_order - 1)];
  if (o.seek.isText())
    o.seek.setText(guide.text(value));
  else
    o.seek.setNumber(guide.number(value));
  locateValue();
}

void BrowsePager::scroll(int event) {
  if (m_queue.empty()) return;
  m_atEnd = false;
  switch (event) {
    case ui::Event::ScrollUp:
      if (m_choice > 1)
        --m_choice;
      else
        fill(1, false, true);
      break;
    case ui::Event::ScrollDown:
      if (m_choice < m_queue.size())
        ++m_choice;
      else
        fill(1, true, true);
      break;
    case ui::Event::PageUp: {
      int read = fill(m_rows, false, true);
      m_choice = std::max(1, m_choice - (m_rows - read));
      break;
    }
    case ui::Event::PageDown: {
      int read = fill(m_rows, true, true);
      m_choice = std::min(m_queue.size(), m_choice + (m_rows - read));
      break;
    }
    case ui::Event::ScrollTop:
    case ui::Event::ScrollBottom: {
      const bool top = event == ui::Event::ScrollTop;
      m_queue.clear();
      resetView();
      fill(m_rows, top, true);
      m_choice = top ? std::min(1, m_queue.size()) : m_queue.size();
      m_atEnd = true;
      break;
    }
    default:
      return;
  }
  setChoice(m_choice);
}

int BrowsePager::thumbAfterScroll(int event) const {
  if (!full()) return ThumbGuide::kThumbTop;
  if (!m_atEnd) return kThumbMiddle;
  return upward(event) ? ThumbGuide::kThumbTop : ThumbGuide::kThumbEnd;
}

void BrowsePager::removeHighlighted() {
  if (m_choice >= 1 && m_choice <= m_queue.size()) m_queue.remove(m_choice);
}

void BrowsePager::rebuildGuide() {
  const BrowseOrder& o = order();
  if (!o.guide) return;
  resetView();
  if (readFailed(m_view.read(false))) return;
  const std::string highText = o.seek.isText() ? o.seek.raw() : std::string();
  const int64_t highNumber = o.seek.isText() ? 0 : o.seek.number();
  resetView();
  if (readFailed(m_view.read(true))) return;
  ThumbGuide& guide = m_guides[static_cast<size_t>(m_order - 1)];
  if (o.seek.isText())
    guide.buildText(o.seek.raw(), highText, o.seek.size());
  else
    guide.buildNumber(o.seek.number(), highNumber);
}

std::optional<int> BrowsePager::thumbForBuffer() const {
  const BrowseOrder& o = order();
  if (!o.guide) return std::nullopt;
  const ThumbGuide& guide = m_guides[static_cast<size_t>(m_order - 1)];
  return o.seek.isText() ? guide.thumbForText(o.seek.text()) : guide.thumbForNumber(o.seek.number());
}

}  // namespace linkar::app
