// The print preview as the user sees it: which pages the slots and the zoom
// image show, the status zones, which items are open, the jump window and
// the answer handed back, for reports of one to six pages.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/main_frame.h"
#include "app/shared_variables.h"
#include "reports/report_preview.h"
#include "tests/support/temp_dir.h"
#include "ui/headless/test_driver.h"

namespace linkar::reports {
namespace {

constexpr const char* kPreview = "REPORTPREVIEW$PREVIEWWINDOW";
constexpr const char* kJump = "REPORTPREVIEW$JUMPWINDOW";

std::string pageName(int page) { return "/tmp/VEL" + std::to_string(1000 + page) + ".TMP"; }

// The page number a page file name stands for, 0 for another text.
int pageOfName(const std::string& name) {
  for (int page = 1; page < 100; ++page)
    if (name == pageName(page)) return page;
  return 0;
}

// What the window shows, read from its controls alone.
struct Shown {
  int left = 0, right = 0, centre = 0, zoom = 0;  // page shown in each, 0 hidden
  std::string zone2, zone3, zone4;
};

class Preview : public ::testing::Test {
 protected:
  void open(int pages) {
    // The preview is an MDI child: it opens inside the application frame.
    if (!m_driver.find("MAIN$APPFRAME")) m_driver.startFrame();
    m_pages.clear();
    for (int p = 1; p <= pages; ++p) m_pages.push_back(pageName(p));
    app::SharedResponse = 0;
    m_returned = false;
    m_driver.start(
        [this] {
          ReportPreview(m_pages);
          m_response = app::SharedResponse;
          m_returned = true;
        },
        app::kBrowseStack);
    m_window = m_driver.find(kPreview);
    ASSERT_NE(m_window, nullptr);
  }

  ui::Window& w() { return *m_window; }
  int field(const char* use) { return ui::TestDriver::fieldOf(w(), use); }
  bool isOpen(const char* use) { return w().reachable(field(use)); }
  bool press(const char* control) { return m_driver.press(w(), control); }

  // A slot's page when its frame and image show and its region is open.
  int slot(const char* frame, const char* image, const char* region) {
    const bool shown = !w().hidden(field(frame)) && !w().hidden(field(image));
    EXPECT_EQ(shown, w().reachable(field(region))) << region;
    return shown ? pageOfName(w().text(field(image))) : 0;
  }

  // The jump window's number without the blanks its picture puts before it.
  static std::string jumpNumber(const ui::Window& jump) {
    std::string text = ui::TestDriver::text(jump, "JumpPageNumber");
    return text.substr(std::min(text.size(), text.find_first_not_of(' ')));
  }

  Shown shown() {
    Shown s;
    s.left = slot("LeftFrame", "LeftImage", "LeftRegion");
    s.right = slot("RightFrame", "RightImage", "RightRegion");
    s.centre = slot("CentreFrame", "CentreImage", "CentreRegion");
    s.zoom = w().hidden(field("ZoomImage")) ? 0 : pageOfName(w().text(field("ZoomImage")));
    s.zone2 = w().statusText(2);
    s.zone3 = w().statusText(3);
    s.zone4 = w().statusText(4);
    return s;
  }

  test::TempDir m_config;
  test::EnvironmentScope m_configHome{"XDG_CONFIG_HOME", m_config.path().c_str()};
  ui::TestDriver m_driver{app::programCatalogue()};
  std::vector<std::string> m_pages;
  ui::Window* m_window = nullptr;
  int32_t m_response = 0;
  bool m_returned = false;
};

TEST_F(Preview, TheItemsAreTheSevenOfTheMenuBarInFieldOrder) {
  open(2);
  const char* items[] = {"&Cancel!", "&Print!", "&Zoom In!", "&Previous Page!", "&Next Page!", "&Jump!",
                         "&Facing Pages!"};
  for (int f = 1; f <= 7; ++f) EXPECT_EQ(w().text(f), items[f - 1]);
  EXPECT_EQ(field("LeftRegion"), 10);
  EXPECT_EQ(field("RightRegion"), 13);
  EXPECT_EQ(field("CentreRegion"), 16);
  EXPECT_EQ(field("ZoomImage"), 17);
}

TEST_F(Preview, AOnePageReportOffersNoPagingAndNoFacingPagesEvenAfterZooming) {
  open(1);
  Shown s = shown();
  EXPECT_EQ(s.centre, 1);
  EXPECT_EQ(s.left + s.right + s.zoom, 0);
  EXPECT_EQ(s.zone2, "");
  EXPECT_EQ(s.zone3, "Single Page");
  EXPECT_EQ(s.zone4, "Page 1 of 1");
  EXPECT_FALSE(isOpen("FacingPages"));
  EXPECT_FALSE(isOpen("PreviousPage"));
  EXPECT_FALSE(isOpen("NextPage"));
  ASSERT_TRUE(press("CentreRegion"));
  EXPECT_EQ(shown().zoom, 1);
  ASSERT_TRUE(press("&Zoom Out!"));
  EXPECT_EQ(shown().centre, 1);
  EXPECT_FALSE(isOpen("FacingPages"));
}

TEST_F(Preview, FacingPagesOfFourPagesGoOneTwoThreeFourThenBackToSinglePageFour) {
  open(4);
  ASSERT_TRUE(press("&Facing Pages!"));
  Shown s = shown();
  EXPECT_EQ(s.left, 0);
  EXPECT_EQ(s.right, 1);
  EXPECT_EQ(s.centre, 0);
  EXPECT_EQ(s.zone3, "Facing Pages");
  EXPECT_EQ(s.zone4, "Page 1 of 4");
  EXPECT_EQ(w().text(field("FacingPages")), "&Single Pages!");
  EXPECT_EQ(w().state(field("FacingPages")).status, "View the report one page at a time");
  ASSERT_TRUE(press("&Next Page!"));
  s = shown();
  EXPECT_EQ(s.left, 2);
  EXPECT_EQ(s.right, 3);
  EXPECT_EQ(s.zone4, "Pages 2 and 3 of 4");
  ASSERT_TRUE(press("&Next Page!"));
  s = shown();
  EXPECT_EQ(s.left, 4);
  EXPECT_EQ(s.right, 0);
  EXPECT_EQ(s.zone4, "Page 4 of 4");
  EXPECT_FALSE(isOpen("NextPage"));
  EXPECT_TRUE(isOpen("PreviousPage"));
  ASSERT_TRUE(press("&Single Pages!"));
  s = shown();
  EXPECT_EQ(s.centre, 4);
  EXPECT_EQ(s.zone4, "Page 4 of 4");
  EXPECT_EQ(w().state(field("FacingPages")).status, "View the report two pages at a time");
}

TEST_F(Preview, FacingPagesFromPageTwoShowTwoAndThree) {
  open(3);
  ASSERT_TRUE(press("&Next Page!"));
  EXPECT_EQ(shown().zone4, "Page 2 of 3");
  ASSERT_TRUE(press("&Facing Pages!"));
  Shown s = shown();
  EXPECT_EQ(s.left, 2);
  EXPECT_EQ(s.right, 3);
  EXPECT_EQ(s.zone4, "Pages 2 and 3 of 3");
  EXPECT_FALSE(isOpen("NextPage"));
}

TEST_F(Preview, ZoomingOnEachSlotAndZoomingOutReturnsToWhereItWas) {
  open(5);
  ASSERT_TRUE(press("&Facing Pages!"));
  ASSERT_TRUE(press("&Next Page!"));   // pages 2 and 3
  ASSERT_TRUE(press("LeftRegion"));
  Shown s = shown();
  EXPECT_EQ(s.zoom, 2);
  EXPECT_EQ(s.left + s.right + s.centre, 0);
  EXPECT_EQ(s.zone2, "ZOOM");
  EXPECT_EQ(s.zone3, "Single Page");
  EXPECT_EQ(s.zone4, "Page 2 of 5");
  EXPECT_EQ(w().text(field("Zoom")), "&Zoom Out!");
  EXPECT_EQ(w().state(field("Zoom")).status, "Zoom out to facing page mode");
  EXPECT_FALSE(isOpen("FacingPages"));
  ASSERT_TRUE(press("&Zoom Out!"));
  s = shown();
  EXPECT_EQ(s.left, 2);
  EXPECT_EQ(s.right, 3);
  EXPECT_EQ(s.zone2, "");
  EXPECT_EQ(w().text(field("Zoom")), "&Zoom In!");
  EXPECT_EQ(w().state(field("Zoom")).status, "Zoom in on a page of this report");
  EXPECT_TRUE(isOpen("FacingPages"));
  ASSERT_TRUE(press("RightRegion"));
  EXPECT_EQ(shown().zoom, 3);
  ASSERT_TRUE(press("&Zoom Out!"));
  ASSERT_TRUE(press("&Single Pages!"));
  ASSERT_TRUE(press("CentreRegion"));
  EXPECT_EQ(shown().zoom, 3);
  EXPECT_EQ(w().state(field("Zoom")).status, "Zoom out to full page mode");
  ASSERT_TRUE(press("&Next Page!"));   // one page at a time while zoomed
  EXPECT_EQ(shown().zoom, 4);
  ASSERT_TRUE(press("&Zoom Out!"));
  EXPECT_EQ(shown().centre, 4);
}

TEST_F(Preview, TheJumpWindowOffersOneToThePageCountAndStartsAtTheLeftPagePastTheEnd) {
  open(4);
  ASSERT_TRUE(press("&Facing Pages!"));
  ASSERT_TRUE(press("&Next Page!"));
  ASSERT_TRUE(press("&Next Page!"));   // page 4 alone on the left
  ASSERT_TRUE(press("&Jump!"));
  ui::Window* jump = m_driver.find(kJump);
  ASSERT_NE(jump, nullptr);
  EXPECT_EQ(jumpNumber(*jump), "4");
  ASSERT_TRUE(m_driver.type(*jump, "JumpPageNumber", "99"));
  EXPECT_EQ(jumpNumber(*jump), "4");
  ASSERT_TRUE(m_driver.type(*jump, "JumpPageNumber", "0"));
  EXPECT_EQ(jumpNumber(*jump), "1");
  ASSERT_TRUE(m_driver.type(*jump, "JumpPageNumber", "2"));
  ASSERT_TRUE(m_driver.press(*jump, "Cancel"));
  EXPECT_EQ(m_driver.find(kJump), nullptr);
  EXPECT_EQ(shown().zone4, "Page 4 of 4");
  ASSERT_TRUE(press("&Jump!"));
  jump = m_driver.find(kJump);
  ASSERT_NE(jump, nullptr);
  ASSERT_TRUE(m_driver.type(*jump, "JumpPageNumber", "2"));
  ASSERT_TRUE(m_driver.press(*jump, "OK"));
  EXPECT_EQ(m_driver.find(kJump), nullptr);
  EXPECT_EQ(shown().zone4, "Pages 2 and 3 of 4");
}

TEST_F(Preview, PrintCompletesWhileCancelAndClosingTheWindowCancel) {
  open(2);
  ASSERT_TRUE(press("&Print!"));
  EXPECT_TRUE(m_returned);
  EXPECT_EQ(m_response, app::kResponseCompleted);
  EXPECT_EQ(m_driver.find(kPreview), nullptr);
  open(2);
  ASSERT_TRUE(press("&Cancel!"));
  EXPECT_TRUE(m_returned);
  EXPECT_EQ(m_response, app::kResponseCancelled);
  open(2);
  ASSERT_TRUE(m_driver.close(w()));
  EXPECT_TRUE(m_returned);
  EXPECT_EQ(m_response, app::kResponseCancelled);
  EXPECT_EQ(m_driver.find(kPreview), nullptr);
}

// Whatever the user does, what shows agrees with itself: zone 4 names the
// pages the images show, a facing pair is an even page and the one after
// it, and "&Previous Page!" and "&Next Page!" are open exactly when there
// is a page before the first shown and after the last shown.
TEST_F(Preview, AnyWalkThroughOddAndEvenReportsShowsWhatItSays) {
  std::mt19937 random(19);
  const char* actions[] = {"Zoom", "PreviousPage", "NextPage", "FacingPages", "LeftRegion", "RightRegion",
                           "CentreRegion", "JumpPage"};
  for (int count = 1; count <= 6; ++count) {
    open(count);
    for (int step = 0; step < 200; ++step) {
      const char* action = actions[random() % std::size(actions)];
      if (!isOpen(action)) continue;
      ASSERT_TRUE(press(action));
      if (ui::Window* jump = m_driver.find(kJump)) {
        ASSERT_TRUE(m_driver.type(*jump, "JumpPageNumber", std::to_string(random() % (count + 2))));
        ASSERT_TRUE(m_driver.press(*jump, random() % 4 ? "OK" : "Cancel"));
      }
      Shown s = shown();
      std::vector<int> pages;
      for (int p : {s.left, s.right, s.centre, s.zoom})
        if (p) pages.push_back(p);
      ASSERT_FALSE(pages.empty());
      const std::string of = " of " + std::to_string(count);
      if (pages.size() == 2) {
        EXPECT_EQ(s.left % 2, 0);
        EXPECT_EQ(s.right, s.left + 1);
        EXPECT_EQ(s.zone4, "Pages " + std::to_string(s.left) + " and " + std::to_string(s.right) + of);
      } else {
        EXPECT_EQ(s.zone4, "Page " + std::to_string(pages[0]) + of);
      }
      if (s.left || s.right) EXPECT_EQ(s.zone3, "Facing Pages");
      EXPECT_EQ(s.zone2, s.zoom ? "ZOOM" : "");
      EXPECT_EQ(isOpen("PreviousPage"), pages.front() > 1) << s.zone4;
      EXPECT_EQ(isOpen("NextPage"), pages.back() < count) << s.zone4;
      EXPECT_EQ(isOpen("FacingPages"), count > 1 && !s.zoom);
      for (int p : pages) EXPECT_LE(p, count);
    }
    ASSERT_TRUE(press("&Cancel!"));
  }
}

}  // namespace
}  // namespace linkar::reports
