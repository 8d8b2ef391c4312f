// The preview's paging rules.
#include "reports/preview_paging.h"

#include <algorithm>
#include <cassert>

namespace linkar::reports {
namespace {

constexpr const char* kZoomZone = "ZOOM";
constexpr const char* kSingleZone = "Single Page";
constexpr const char* kFacingZone = "Facing Pages";

std::string pageOf(int page, int count) {
  return "Page " + std::to_string(page) + " of " + std::to_string(count);
}

std::string pagesOf(int left, int right, int count) {
  return "Pages " + std::to_string(left) + " and " + std::to_string(right) + " of " + std::to_string(count);
}

}  // namespace

PreviewPaging::PreviewPaging(int pageCount) : m_count(std::max(1, pageCount)) { assert(pageCount >= 1); }

void PreviewPaging::raiseToOddPage() {
  if (m_page % 2 == 0) ++m_page;
}

PreviewScreen PreviewPaging::screen() {
  PreviewScreen s;
  switch (m_mode) {
    case PreviewMode::Single:
      s.centre = m_page;
      s.zone3 = kSingleZone;
      s.zone4 = pageOf(m_page, m_count);
      break;
    case PreviewMode::Facing: {
      raiseToOddPage();
      const int before = m_page - 1;
      s.left = before == 0 ? 0 : before;
      s.right = before == m_count ? 0 : m_page;
      s.zone3 = kFacingZone;
      if (s.left && s.right) s.zone4 = pagesOf(before, m_page, m_count);
      else if (s.left) s.zone4 = pageOf(before, m_count);
      else s.zone4 = pageOf(m_page, m_count);
      break;
    }
    case PreviewMode::Zoomed:
      s.zoom = m_page;
      s.zone2 = kZoomZone;
      s.zone3 = kSingleZone;
      s.zone4 = pageOf(m_page, m_count);
      break;
  }
  s.previousOpen = m_page != 1;
  s.nextOpen = m_page < m_count;
  return s;
}

void PreviewPaging::previous() {
  m_page = std::max(1, m_page - (m_mode == PreviewMode::Facing ? 2 : 1));
}

void PreviewPaging::next() {
  if (m_page >= m_count) return;
  m_page += m_mode == PreviewMode::Facing ? 2 : 1;
}

void PreviewPaging::toggleZoom() {
  if (m_mode == PreviewMode::Zoomed) {
    m_mode = m_facing ? PreviewMode::Facing : PreviewMode::Single;
    return;
  }
  // Past the end of an even count only the left page of the pair is shown:
  // that is the page to zoom on.
  if (m_page > m_count) m_page = m_count;
  m_mode = PreviewMode::Zoomed;
}

void PreviewPaging::toggleFacing() {
  if (m_mode == PreviewMode::Facing) {
    if (m_page > m_count) --m_page;
    m_mode = PreviewMode::Single;
    m_facing = false;
    return;
  }
  raiseToOddPage();
  m_mode = PreviewMode::Facing;
  m_facing = true;
}

void PreviewPaging::zoomLeft() {
  m_page = std::max(1, m_page - 1);
  toggleZoom();
}

int PreviewPaging::jumpStart() const { return m_page > m_count ? m_page - 1 : m_page; }

void PreviewPaging::jumpTo(int page) { m_page = std::clamp(page, 1, m_count); }

}  // namespace linkar::reports
