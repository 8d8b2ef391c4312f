// The desktop's image control over a page file: the page is drawn on a
// sheet of its proportions wherever the control's size puts it, crisp at
// each size, and a page as wide as the control scrolls with the wheel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QWheelEvent>
#include <optional>
#include <string>

#include "tests/support/temp_dir.h"
#include "ui/page_file.h"
#include "ui/qt/page_image.h"

namespace linkar::ui::qt {
namespace {

namespace pf = page_file;

void application() {
  static int argc = 1;
  static char name[] = "linkar-test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  (void)app;
}

// A square page of 1000 units with one outlined rectangle covering 0.2 to
// 0.6 of its width and 0.2 to 0.4 of its height.
constexpr int kPage = 1000;
constexpr double kLeft = 0.2, kRight = 0.6, kTop = 0.2, kBottom = 0.4;

std::string rectanglePage() {
  pf::PlaceableHeader h;
  h.right = kPage;
  h.bottom = kPage;
  h.unitsPerInch = 100;
  pf::PageRecorder r(h);
  r.setWindowOrg(0, 0);
  r.setWindowExt(kPage, kPage);
  r.selectObject(r.createPen(pf::kPenSolid, 4, pf::kBlack));
  r.selectObject(r.createBrush(pf::kBrushNull, pf::kBlack));
  r.rectangle(static_cast<int>(kLeft * kPage), static_cast<int>(kTop * kPage), static_cast<int>(kRight * kPage),
              static_cast<int>(kBottom * kPage));
  return r.finish();
}

struct Box {
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
};

// The dark pixels inside `inner` (the sheet without its own border).
std::optional<Box> darkBox(const QImage& image, const QRect& inner) {
  Box b;
  for (int y = inner.top(); y <= inner.bottom(); ++y)
    for (int x = inner.left(); x <= inner.right(); ++x) {
      if (qGray(image.pixel(x, y)) >= 100) continue;
      b.left = std::min(b.left, x), b.right = std::max(b.right, x);
      b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
    }
  if (b.right < 0) return std::nullopt;
  return b;
}

class PageImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    application();
    std::string bytes = rectanglePage();
    ASSERT_TRUE(test::writeWholeFile(m_dir.file("VEL0001.TMP"), bytes));
  }
  QString page() const { return QString::fromStdString(m_dir.file("VEL0001.TMP")); }

  test::TempDir m_dir;
};

TEST_F(PageImageTest, ThePageIsDrawnWhereEachSizePutsItWithThinLines) {
  for (int side : {206, 406, 806}) {
    PageImage image(false);
    image.resize(side, side);
    image.setSource(page());
    QImage shot = image.grab().toImage();
    // The sheet: a margin of 3 pixels, 2 more for the shadow.
    const double sheet = side - 8.0;
    std::optional<Box> b = darkBox(shot, QRect(6, 6, side - 14, side - 14));
    ASSERT_TRUE(b) << side;
    EXPECT_NEAR(b->left, 3 + kLeft * sheet, 2.0) << side;
    EXPECT_NEAR(b->right, 3 + kRight * sheet, 2.0) << side;
    EXPECT_NEAR(b->top, 3 + kTop * sheet, 2.0) << side;
    EXPECT_NEAR(b->bottom, 3 + kBottom * sheet, 2.0) << side;
    // Inside the outline the sheet is white at every size: the outline is
    // drawn as a line, not a picture blown up.
    const int midX = static_cast<int>(3 + (kLeft + kRight) / 2 * sheet);
    const int insideTop = static_cast<int>(3 + kTop * sheet) + 4;
    EXPECT_EQ(qGray(shot.pixel(midX, insideTop)), 255) << side;
  }
}

TEST_F(PageImageTest, AWidePageScrollsWithTheWheelAndAnUnreadableFileShowsNothing) {
  PageImage image(true);
  image.resize(206, 100);
  image.setSource(page());
  std::optional<Box> before = darkBox(image.grab().toImage(), QRect(6, 0, 194, 100));
  ASSERT_TRUE(before);
  EXPECT_NEAR(before->bottom, 3 + kBottom * 198, 2.0);
  QWheelEvent down(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                   Qt::NoScrollPhase, false);
  QApplication::sendEvent(&image, &down);
  std::optional<Box> after = darkBox(image.grab().toImage(), QRect(6, 0, 194, 100));
  ASSERT_TRUE(after);
  EXPECT_NEAR(after->bottom, before->bottom - 60, 2.0);

  image.setSource(QString::fromStdString(m_dir.file("missing.TMP")));
  EXPECT_FALSE(darkBox(image.grab().toImage(), image.rect()));
}

}  // namespace
}  // namespace linkar::ui::qt
