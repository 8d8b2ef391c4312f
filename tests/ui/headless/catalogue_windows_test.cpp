// Windows of a catalogue opened headless: the frame with its menu and
// status bar, found by title and by label, and list rows that follow the
// list's declared height.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/test_catalogue.h"
#include "ui/headless/test_driver.h"
#include "ui/statements.h"

namespace linkar::ui {
namespace {

TEST(CatalogueWindows, TheFrameOpensWithItsMenuAndStatusBar) {
  TestDriver d(testCatalogue());
  d.startFrame();
  Window* frame = d.find("Desk");
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->label(), "DESK$FRAME");
  EXPECT_EQ(frame->kind(), WindowKind::Application);
  EXPECT_EQ(frame->text(frame->fieldOf("OpenFromDisk")), "from &Disk");
  EXPECT_EQ(d.find("desk$frame"), frame);
  ASSERT_TRUE(d.focus(*frame, "About"));
  EXPECT_EQ(frame->statusText(1), "About this program");
}

TEST(CatalogueWindows, ListRowsFollowTheListHeight) {
  TestDriver d(testCatalogue());
  d.startFrame();
  for (const char* label : {"ITEMS$LIST", "GROUP$FORM"}) {
    d.start([label] {
      openWindow(label);
      while (acceptEvent()) {
      }
    }, 50000);
  }
  Window* big = d.find("Items");
  Window* small = d.find("Group Details");
  ASSERT_TRUE(big && small);
  // Units of 13-pixel lines, less a header row, in rows of a line and two pixels.
  int units = big->control(1).at->height;
  EXPECT_EQ(big->visibleRows(1), (units * 13 / 8 - 15) / 15);
  EXPECT_LT(small->visibleRows(small->fieldOf("Browse")), big->visibleRows(1));
}

}  // namespace
}  // namespace linkar::ui
