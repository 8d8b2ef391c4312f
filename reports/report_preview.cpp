// The preview window. Its menu bar holds seven items that act at once;
// three page slots (left, right, centre), each a frame, an image and a
// click region, and a zoom image over the whole window show the pages: an
// image control shows a page when its text is the page file's name.
//
// Events (EVENT:Accepted):
//   "&Cancel!" / closing the window   cancelled, the window closes
//   "&Print!"                         completed, the window closes
//   "&Zoom In!" / "&Zoom Out!"        zoom toggle
//   "&Previous Page!", "&Next Page!"  one page, two in facing mode
//   "&Jump!"                          the jump window
//   "&Facing Pages!" / "&Single Pages!"  facing toggle
//   left page region                  zoom on the left page
//   right and centre page regions     zoom on that page
#include "reports/report_preview.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "app/procedure_frame.h"
#include "app/shared_variables.h"
#include "reports/preview_paging.h"
#include "ui/statements.h"

namespace linkar::reports {
namespace {

constexpr const char* kProcedureName = "ReportPreview";
constexpr const char* kPreviewLabel = "REPORTPREVIEW$PREVIEWWINDOW";
constexpr const char* kJumpLabel = "REPORTPREVIEW$JUMPWINDOW";

// The preview window's controls, by use name.
constexpr const char* kCancelUse = "CancelPrint";
constexpr const char* kPrintUse = "PrintReport";
constexpr const char* kZoomUse = "Zoom";
constexpr const char* kPreviousUse = "PreviousPage";
constexpr const char* kNextUse = "NextPage";
constexpr const char* kJumpUse = "JumpPage";
constexpr const char* kFacingUse = "FacingPages";
constexpr const char* kZoomImageUse = "ZoomImage";

// The jump window's controls.
constexpr const char* kJumpNumberUse = "JumpPageNumber";
constexpr const char* kJumpOkUse = "OK";
constexpr const char* kJumpCancelUse = "Cancel";

// Texts and status messages the two toggles switch between.
constexpr const char* kZoomInText = "&Zoom In!";
constexpr const char* kZoomInStatus = "Zoom in on a page of this report";
constexpr const char* kZoomOutText = "&Zoom Out!";
constexpr const char* kZoomOutFacingStatus = "Zoom out to facing page mode";
constexpr const char* kZoomOutSingleStatus = "Zoom out to full page mode";
constexpr const char* kFacingText = "&Facing Pages!";
constexpr const char* kFacingStatus = "View the report two pages at a time";
constexpr const char* kSingleText = "&Single Pages!";
constexpr const char* kSingleStatus = "View the report one page at a time";

// The status-bar zones the preview writes.
constexpr int kModeZone = 2;     // "ZOOM" or empty
constexpr int kLayoutZone = 3;   // "Single Page" / "Facing Pages"
constexpr int kPagesZone = 4;    // "Page 1 of 4"

struct SlotUses {
  const char* frame;
  const char* image;
  const char* region;
};
constexpr SlotUses kLeftSlot{"LeftFrame", "LeftImage", "LeftRegion"};
constexpr SlotUses kRightSlot{"RightFrame", "RightImage", "RightRegion"};
constexpr SlotUses kCentreSlot{"CentreFrame", "CentreImage", "CentreRegion"};

class Preview {
 public:
  Preview(const std::vector<std::string>& pages, app::ProcedureFrame& frame)
      : m_pages(pages), m_frame(frame), m_paging(static_cast<int>(pages.size())) {}

  void open() {
    m_window = m_frame.openWindow(kPreviewLabel);
    if (m_paging.pageCount() == 1) window().setEnabled(field(kFacingUse), false);
    display();
  }

  void run() {
    while (ui::acceptEvent()) {
      if (m_frame.handleCommonEvent(nullptr, [this] { display(); })) continue;
      if (int f = ui::accepted()) accepted(f);
    }
  }

 private:
  ui::Window& window() { return *ui::engine().window(m_window); }
  int field(const char* use) { return window().fieldOf(use); }

  void accepted(int f) {
    if (f == field(kCancelUse)) {
      ui::post(ui::Event::CloseWindow);
    } else if (f == field(kPrintUse)) {
      m_frame.setResponse(app::kResponseCompleted);
      ui::post(ui::Event::CloseWindow);
    } else if (f == field(kZoomUse) || f == field(kRightSlot.region) || f == field(kCentreSlot.region)) {
      toggleZoom();
    } else if (f == field(kLeftSlot.region)) {
      m_paging.zoomLeft();
      zoomTexts();
    } else if (f == field(kPreviousUse)) {
      m_paging.previous();
    } else if (f == field(kNextUse)) {
      m_paging.next();
    } else if (f == field(kJumpUse)) {
      jump();
    } else if (f == field(kFacingUse)) {
      toggleFacing();
    } else {
      return;
    }
    if (ui::engine().window(m_window)) display();
  }

  void toggleZoom() {
    m_paging.toggleZoom();
    zoomTexts();
  }

  // The zoom item and the facing item after the zoom toggle. A one-page
  // report keeps "&Facing Pages!" closed when zooming out, as it opened.
  void zoomTexts() {
    ui::Window& w = window();
    int zoom = field(kZoomUse);
    if (m_paging.mode() == PreviewMode::Zoomed) {
      w.setEnabled(field(kFacingUse), false);
      w.setText(zoom, kZoomOutText);
      w.state(zoom).status = m_paging.facing() ? kZoomOutFacingStatus : kZoomOutSingleStatus;
    } else {
      w.setEnabled(field(kFacingUse), m_paging.pageCount() > 1);
      w.setText(zoom, kZoomInText);
      w.state(zoom).status = kZoomInStatus;
    }
  }

  void toggleFacing() {
    m_paging.toggleFacing();
    ui::Window& w = window();
    int facing = field(kFacingUse);
    w.setText(facing, m_paging.facing() ? kSingleText : kFacingText);
    w.state(facing).status = m_paging.facing() ? kSingleStatus : kFacingStatus;
  }

  void jump();

  // A slot is shown by showing its frame and image and opening its region,
  // hidden by hiding them and closing the region; it is touched only when
  // it is not in the wanted state already.
  void showSlot(const SlotUses& slot, int page) {
    ui::Window& w = window();
    const int frame = field(slot.frame), image = field(slot.image), region = field(slot.region);
    const bool wanted = page != 0;
    if (w.hidden(image) == wanted) {
      w.setHidden(frame, !wanted);
      w.setHidden(image, !wanted);
      w.setHidden(region, !wanted);
      w.setEnabled(region, wanted);
    }
    if (wanted) w.setText(image, pageFile(page));
  }

  void showZoom(int page) {
    ui::Window& w = window();
    const int image = field(kZoomImageUse);
    if (w.hidden(image) == (page != 0)) w.setHidden(image, page == 0);
    if (page != 0) w.setText(image, pageFile(page));
  }

  const std::string& pageFile(int page) const { return m_pages[static_cast<size_t>(page - 1)]; }

  void display() {
    PreviewScreen s = m_paging.screen();
    showSlot(kLeftSlot, s.left);
    showSlot(kRightSlot, s.right);
    showSlot(kCentreSlot, s.centre);
    showZoom(s.zoom);
    ui::Window& w = window();
    w.setStatusText(kModeZone, s.zone2);
    w.setStatusText(kLayoutZone, s.zone3);
    w.setStatusText(kPagesZone, s.zone4);
    w.setEnabled(field(kPreviousUse), s.previousOpen);
    w.setEnabled(field(kNextUse), s.nextOpen);
    ui::engine().backend().windowChanged(w);
  }

  const std::vector<std::string>& m_pages;
  app::ProcedureFrame& m_frame;
  PreviewPaging m_paging;
  int m_window = 0;
};

// The jump window: a page number between 1 and the page count; "OK" goes
// there, "Cancel" or closing the window stays.
void Preview::jump() {
  const int32_t last = m_paging.pageCount();
  int32_t number = m_paging.jumpStart();
  auto limit = [&] { number = std::clamp<int32_t>(number, 1, last); };
  const int jumpWindow = ui::openWindow(kJumpLabel);
  ui::Window& j = *ui::engine().window(jumpWindow);
  const int spin = j.fieldOf(kJumpNumberUse), ok = j.fieldOf(kJumpOkUse), cancel = j.fieldOf(kJumpCancelUse);
  j.bind(spin, {[&number] { return std::to_string(number); },
                [&number](std::string_view text) {
                  int32_t value = 0;
                  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
                  if (ec == std::errc{} && end == text.data() + text.size()) number = value;
                }});
  ui::display();
  bool chosen = false;
  while (ui::acceptEvent()) {
    const int f = ui::accepted();
    if (f == spin) {
      limit();
      ui::display(spin);
    } else if (f == ok) {
      ui::update(spin);
      limit();
      chosen = true;
      ui::post(ui::Event::CloseWindow);
    } else if (f == cancel) {
      ui::post(ui::Event::CloseWindow);
    }
  }
  ui::closeWindow(jumpWindow);
  if (chosen) m_paging.jumpTo(number);
}

}  // namespace

void ReportPreview(const std::vector<std::string>& pages) {
  app::ProcedureFrame frame(kProcedureName);
  frame.setResponse(app::kResponseCancelled);
  if (!pages.empty()) {
    Preview preview(pages, frame);
    preview.open();
    preview.run();
  }
  frame.finish();
}

}  // namespace linkar::reports
