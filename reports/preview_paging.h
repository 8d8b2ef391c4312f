// Where the print preview stands and what it shows: the current page, the
// display mode (one page, two facing pages, or one page zoomed) and the
// facing flag that zooming out returns to. Each user action moves the
// state; screen() says which page each slot shows, the status-bar texts
// and which of the paging items are open to the user. The preview window
// (report_preview.h) only copies this into its controls.
//
// Facing pages pair an even page on the left with the odd page after it:
// page 1 stands alone on the right, and after the last page of an even
// count the pair is (last, past the end), shown on the left alone.
#pragma once

#include <string>

namespace linkar::reports {

enum class PreviewMode { Single, Facing, Zoomed };

// One page slot of the screen: 0 hides it, otherwise the page it shows.
struct PreviewScreen {
  int left = 0, right = 0, centre = 0, zoom = 0;
  std::string zone2, zone3, zone4;   // status-bar zones 2-4
  bool previousOpen = false;         // "&Previous Page!"
  bool nextOpen = false;             // "&Next Page!"
};

class PreviewPaging {
 public:
  // A report of `pageCount` pages (at least 1), shown from page 1 alone.
  explicit PreviewPaging(int pageCount);

  int pageCount() const { return m_count; }
  int page() const { return m_page; }
  PreviewMode mode() const { return m_mode; }
  bool facing() const { return m_facing; }

  // What the window shows now. In facing mode an even current page is
  // first raised to the odd page of its pair, as the display does it.
  PreviewScreen screen();

  void previous();   // one page back, two in facing mode
  void next();       // one page on, two in facing mode
  void toggleZoom();
  void toggleFacing();
  // A click on the left page of a pair: zooms on it.
  void zoomLeft();
  // Where the jump window starts: the current page, or the page before it
  // when the current one lies past the end.
  int jumpStart() const;
  // Jumps to `page`, kept within 1 and the page count.
  void jumpTo(int page);

 private:
  void raiseToOddPage();

  int m_count;
  int m_page = 1;
  PreviewMode m_mode = PreviewMode::Single;
  bool m_facing = false;
};

}  // namespace linkar::reports
