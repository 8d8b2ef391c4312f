// The page player and the Qt printer: a recorded page replays at any size
// with its shapes where the page's coordinates put them and its texts
// clipped to their boxes, and printed pages come out as a PDF holding them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/temp_dir.h"
#include "ui/page_file.h"
#include "ui/qt/page_player.h"
#include "ui/qt/qt_printer.h"

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

// A page of 1000 x 1000 units whose window starts 100 units before the
// printable corner: logical x maps to (x + 100) / 1000 of the target.
constexpr int kPage = 1000, kMargin = 100;

std::string recordPage(const std::string& text) {
  pf::PlaceableHeader h;
  h.right = kPage;
  h.bottom = kPage;
  h.unitsPerInch = 100;
  pf::PageRecorder r(h);
  r.setWindowOrg(-kMargin, -kMargin);
  r.setWindowExt(kPage, kPage);
  pf::FontSpec font;
  font.face = "Arial";
  font.height = 60;
  r.selectObject(r.createFont(font));
  r.selectObject(r.createPen(pf::kPenSolid, 8, pf::kBlack));
  r.selectObject(r.createBrush(pf::kBrushNull, pf::kBlack));
  r.setTextAlign(pf::kTextAlignTopLeft);
  r.rectangle(100, 100, 500, 300);
  // Text far wider than its box, which ends at x 700.
  r.saveDc();
  r.intersectClipRect(600, 100, 700, 200);
  r.textOut(600, 100, "WWWWWWWWWWWWWWWWWWWW");
  r.restoreDc();
  r.textOut(0, 600, text);
  return r.finish();
}

bool dark(const QImage& image, double x, double y) { return qGray(image.pixel(int(x), int(y))) < 128; }

// Whether any pixel of the row segment is dark.
bool anyDark(const QImage& image, int y, int x0, int x1) {
  for (int x = x0; x < x1; ++x)
    if (dark(image, x, y)) return true;
  return false;
}

TEST(PagePlayer, APageReplaysWhereItsCoordinatesSayAtAnySize) {
  application();
  std::string error;
  auto page = pf::parsePageFile(recordPage("Hello"), &error);
  ASSERT_TRUE(page) << error;
  for (int size : {300, 1200}) {
    SCOPED_TRACE(size);
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      QPainter painter(&image);
      ASSERT_TRUE(playPage(painter, *page, QRectF(0, 0, size, size)));
    }
    double k = double(size) / kPage;
    auto at = [&](int logical) { return (logical + kMargin) * k; };
    // The rectangle's outline, and nothing inside it.
    EXPECT_TRUE(dark(image, at(100), at(200)));
    EXPECT_TRUE(dark(image, at(500), at(200)));
    EXPECT_TRUE(dark(image, at(300), at(100)));
    EXPECT_TRUE(dark(image, at(300), at(300)));
    EXPECT_FALSE(dark(image, at(300), at(200)));
    // The clipped text shows inside its box and not past its right edge.
    int row0 = int(at(110)), row1 = int(at(150));
    bool inside = false, past = false;
    for (int y = row0; y < row1; ++y) {
      inside |= anyDark(image, y, int(at(600)), int(at(700)) - 1);
      past |= anyDark(image, y, int(at(700)) + 2, int(at(800)));
    }
    EXPECT_TRUE(inside);
    EXPECT_FALSE(past);
  }
}

TEST(PagePlayer, ThePageKeepsItsAspectInAWideTarget) {
  application();
  auto page = pf::parsePageFile(recordPage("x"), nullptr);
  ASSERT_TRUE(page);
  QImage image(600, 300, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    ASSERT_TRUE(playPage(painter, *page, QRectF(0, 0, 600, 300)));
  }
  // A 300 x 300 page centred: it starts 150 pixels in.
  double k = 300.0 / kPage;
  EXPECT_TRUE(dark(image, 150 + (100 + kMargin) * k, (200 + kMargin) * k));
  EXPECT_FALSE(anyDark(image, 150, 0, 148));
  EXPECT_FALSE(anyDark(image, 150, 452, 600));
}

TEST(PagePlayer, AFileThatIsNotAPageDrawsNothing) {
  application();
  test::TempDir dir;
  ASSERT_TRUE(test::writeWholeFile(dir.file("bad.TMP"), "not a page"));
  QImage image(50, 50, QImage::Format_RGB32);
  QPainter painter(&image);
  EXPECT_FALSE(playPageFile(painter, dir.file("bad.TMP"), QRectF(0, 0, 50, 50)));
  EXPECT_FALSE(playPageFile(painter, dir.file("missing.TMP"), QRectF(0, 0, 50, 50)));
}

TEST(QtPrinterPdf, PrintedPagesBecomeAPdfWithTheirTexts) {
  application();
  if (std::system("command -v pdftotext >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "pdftotext (Debian package poppler-utils) is not installed";
  test::TempDir dir;
  std::vector<std::string> pages;
  for (const char* text : {"FirstPageText", "SecondPageText"}) {
    std::string path = dir.file(std::string(text) + ".TMP");
    ASSERT_TRUE(test::writeWholeFile(path, recordPage(text)));
    pages.push_back(path);
  }
  std::string pdf = dir.file("out.pdf");
  auto printer = makePdfPrinter(pdf);
  EXPECT_TRUE(printer->available());
  PageMetrics m = printer->metrics();
  EXPECT_EQ(m.dpiX, 600);
  EXPECT_EQ(m.dpiY, 600);
  EXPECT_GT(m.printableWidth, 0);
  ASSERT_TRUE(printer->beginDocument("Two pages"));
  for (const auto& p : pages) ASSERT_TRUE(printer->printPageFile(p));
  ASSERT_TRUE(printer->endDocument());
  std::string txt = dir.file("out.txt");
  ASSERT_EQ(std::system(("pdftotext '" + pdf + "' '" + txt + "'").c_str()), 0);
  std::string text = test::readWholeFile(txt);
  size_t first = text.find("FirstPageText"), second = text.find("SecondPageText");
  ASSERT_NE(first, std::string::npos);
  ASSERT_NE(second, std::string::npos);
  // One form feed ends each page: the texts are on pages 1 and 2.
  EXPECT_EQ(std::count(text.begin(), text.begin() + static_cast<long>(second), '\f'), 1);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 2);
}

}  // namespace
}  // namespace linkar::ui::qt
