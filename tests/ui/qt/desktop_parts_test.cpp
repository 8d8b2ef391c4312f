// The desktop's smaller pieces: file-dialog filters from the program's
// filter strings, fonts and dialog units, byte texts shown as UTF-8 with a
// Windows-1252 fallback, and window places kept in step between the
// desktop and the model.
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QMdiSubWindow>

#include "tests/ui/qt/qt_harness.h"
#include "ui/event_codes.h"
#include "ui/qt/desktop_fonts.h"
#include "ui/qt/display_text.h"
#include "ui/qt/file_dialogs.h"
#include "ui/qt/window_host.h"
#include "ui/qt/window_view.h"
#include "ui/statements.h"

#include <algorithm>
#include <vector>

namespace linkar::ui::qt {
namespace {

using testing::Harness;

TEST(FileDialogFilters, ProgramFilterPairsBecomeDesktopNameFilters) {
  EXPECT_EQ(nameFilters("All Files|*.*|HTML Files (*.htm)|*.htm|Text Files|*.txt;*.lst|"),
            (QStringList{"All Files (*)", "HTML Files (*.htm)", "Text Files (*.txt *.lst)"}));
  // The description's own parentheses give way to the real patterns.
  EXPECT_EQ(nameFilters("Bookmarks (*.html)|*.htm;*.html"), QStringList{"Bookmarks (*.htm *.html)"});
  EXPECT_EQ(nameFilters(""), QStringList{"All Files (*)"});
  EXPECT_EQ(nameFilters("Lonely description"), QStringList{"All Files (*)"});
  EXPECT_EQ(nameFilters("|*.csv"), QStringList{"*.csv (*.csv)"});
}

TEST(FileDialogFilters, TheDialogStartsInTheOfferedFolderWithTheOfferedName) {
  testing::application();
  FileDialogRequest r;
  r.title = "Select File";
  r.fileName = "/tmp/bookmark.htm";
  r.filters = "HTML Files|*.htm|All Files|*.*";
  r.save = true;
  std::unique_ptr<QFileDialog> dialog(makeFileDialog(r, nullptr));
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select File"));
  EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
  EXPECT_EQ(dialog->directory().absolutePath(), QStringLiteral("/tmp"));
  EXPECT_EQ(dialog->nameFilters(), (QStringList{"HTML Files (*.htm)", "All Files (*)"}));
  r.save = false;
  std::unique_ptr<QFileDialog> open(makeFileDialog(r, nullptr));
  EXPECT_EQ(open->fileMode(), QFileDialog::ExistingFile);
}

TEST(DesktopFonts, DeclaredFacesMapToDesktopFamiliesAtTheirSizes) {
  testing::application();
  EXPECT_EQ(desktopFamilies("MS Sans Serif").first(), QStringLiteral("Liberation Sans"));
  EXPECT_EQ(desktopFamilies("arial").first(), QStringLiteral("Liberation Sans"));
  EXPECT_EQ(desktopFamilies("Courier New").first(), QStringLiteral("Liberation Mono"));
  EXPECT_EQ(desktopFamilies("Wingdings").first(), QStringLiteral("Wingdings"));
  QFont f = desktopFont(FontDescription{"MS Sans Serif", 8, false});
  EXPECT_EQ(f.pointSize(), 8);
  EXPECT_FALSE(f.bold());
  EXPECT_TRUE(desktopFont(FontDescription{"Helv", 8, true}).bold());
  EXPECT_EQ(desktopFont(FontDescription{"", 0, false}).pointSize(), 8);
}

TEST(DesktopFonts, DialogUnitsConvertBothWays) {
  DialogUnits u{6, 13};
  EXPECT_EQ(u.toPixelsX(400), 600);
  EXPECT_EQ(u.toPixelsY(220), 357);
  for (int units : {0, 1, 7, 45, 198, 345}) {
    EXPECT_EQ(u.toUnitsX(u.toPixelsX(units)), units) << units;
    EXPECT_EQ(u.toUnitsY(u.toPixelsY(units)), units) << units;
  }
  testing::application();
  DialogUnits real = dialogUnits(desktopFont(FontDescription{"MS Sans Serif", 8, false}));
  EXPECT_GT(real.charWidth, 2);
  EXPECT_GT(real.charHeight, real.charWidth);
}

TEST(DisplayText, Utf8ShowsAsItIsAndOtherBytesAsWindows1252) {
  EXPECT_EQ(toDisplay("caf\xC3\xA9"), QString::fromUtf8("café"));
  EXPECT_EQ(toDisplay("caf\xE9 \x80"), QString::fromUtf8("café €"));
  EXPECT_EQ(toDisplay(std::string("a\x81z")), QString::fromUtf8("a\xEF\xBF\xBDz"));
  EXPECT_EQ(fromDisplay(QString::fromUtf8("café")), "caf\xC3\xA9");
  EXPECT_EQ(toDisplay(""), QString());
}

struct PlacedWindow {
  int window = 0;
  std::vector<int> events;
};

void startWindow(Harness& h, PlacedWindow& run, const char* label) {
  h.engine.start(
      [&run, label] {
        run.window = openWindow(label);
        while (acceptEvent()) run.events.push_back(event());
      },
      50000);
  h.settle();
}

TEST(DesktopPlaces, AProcedureMovingItsWindowMovesTheDesktopWindow) {
  Harness h;
  h.startFrame();
  PlacedWindow run;
  startWindow(h, run, "ITEMS$LIST");
  auto* sub = qobject_cast<QMdiSubWindow*>(h.backend.outer(run.window));
  ASSERT_NE(sub, nullptr);
  WindowView* view = h.backend.view(run.window);
  DialogUnits u = view->units();
  Rect designed = h.engine.window(run.window)->decl().at;
  EXPECT_EQ(view->size(), QSize(u.toPixelsX(designed.width), u.toPixelsY(designed.height)));

  Window* model = h.engine.window(run.window);
  model->setPlace({20, 16, 300, 150});
  h.backend.windowChanged(*model);
  EXPECT_EQ(sub->pos(), QPoint(u.toPixelsX(20), u.toPixelsY(16)));
  EXPECT_EQ(view->size(), QSize(u.toPixelsX(300), u.toPixelsY(150)));

  model->setMaximized(true);
  h.backend.windowChanged(*model);
  EXPECT_TRUE(sub->isMaximized());
  EXPECT_EQ(model->place().x, 20) << "the model keeps the normal place";
}

TEST(DesktopPlaces, TheUserMovingAndMaximisingIsRecordedInTheModel) {
  Harness h;
  h.startFrame();
  PlacedWindow run;
  startWindow(h, run, "ITEMS$LIST");
  auto* sub = qobject_cast<QMdiSubWindow*>(h.backend.outer(run.window));
  ASSERT_NE(sub, nullptr);
  DialogUnits u = h.backend.view(run.window)->units();
  sub->move(u.toPixelsX(30), u.toPixelsY(24));
  QApplication::processEvents();
  Window* model = h.engine.window(run.window);
  EXPECT_EQ(model->place().x, 30);
  EXPECT_EQ(model->place().y, 24);
  sub->showMaximized();
  QApplication::processEvents();
  EXPECT_TRUE(model->maximized());
  EXPECT_EQ(model->place().x, 30);
  sub->showMinimized();
  QApplication::processEvents();
  EXPECT_TRUE(model->minimized());
  h.settle();
  auto saw = [&run](int e) { return std::find(run.events.begin(), run.events.end(), e) != run.events.end(); };
  EXPECT_TRUE(saw(Event::Moved));
  EXPECT_TRUE(saw(Event::Maximized));
  EXPECT_TRUE(saw(Event::Iconized));
}

TEST(DesktopPlaces, ClosingAChildFromItsTitleBarAsksTheProcedure) {
  Harness h;
  h.startFrame();
  PlacedWindow run;
  startWindow(h, run, "GROUP$FORM");
  QWidget* outer = h.backend.outer(run.window);
  ASSERT_NE(outer, nullptr);
  DialogUnits u = h.backend.view(run.window)->units();
  Rect designed = h.engine.window(run.window)->decl().at;
  EXPECT_EQ(h.backend.view(run.window)->size(), QSize(u.toPixelsX(designed.width), u.toPixelsY(designed.height)))
      << "a window that cannot be resized has its designed size";
  outer->close();
  h.settle();
  EXPECT_EQ(h.engine.window(run.window), nullptr) << "the loop ended and the window closed";
  EXPECT_EQ(h.backend.outer(run.window), nullptr);
}

TEST(DesktopEntries, TypedTextIsAcceptedThroughThePictureOrRejected) {
  Harness h;
  h.startFrame();
  PlacedWindow run;
  std::vector<std::pair<int, int>> seen;  // event, field
  h.engine.start(
      [&run, &seen] {
        run.window = openWindow("ITEM$FORM");
        while (acceptEvent()) seen.emplace_back(event(), field());
      },
      50000);
  h.settle();
  Window* model = h.engine.window(run.window);
  ASSERT_NE(model, nullptr);
  int description = model->fieldOf("ITEM:ADDRESS");
  int rating = model->fieldOf("ITEM:RANK");
  auto* edit = qobject_cast<QLineEdit*>(h.backend.view(run.window)->widget(description));
  ASSERT_NE(edit, nullptr);
  edit->setFocus();
  edit->setText(QStringLiteral("Caf\u00e9 list"));
  edit->setModified(true);
  h.key(edit, Qt::Key_Return);
  EXPECT_EQ(model->text(description), "Caf\xC3\xA9 list");
  EXPECT_NE(std::find(seen.begin(), seen.end(), std::make_pair(int(Event::Accepted), description)), seen.end());

  auto* number = qobject_cast<QLineEdit*>(h.backend.view(run.window)->widget(rating));
  ASSERT_NE(number, nullptr);
  number->setFocus();
  number->setText(QStringLiteral("many"));
  number->setModified(true);
  h.key(number, Qt::Key_Return);
  EXPECT_NE(std::find(seen.begin(), seen.end(), std::make_pair(int(Event::Rejected), rating)), seen.end());
}

// Strings declared without a size show all they say, and an entry shows
// the beginning of its value, not the blanks its picture pads it with.
TEST(DesktopTexts, UnsizedStringsShowWhollyAndEntriesShowTheirBeginning) {
  Harness h;
  h.startFrame();
  PlacedWindow run;
  startWindow(h, run, "SAVE$WINDOW");
  Window* model = h.engine.window(run.window);
  ASSERT_NE(model, nullptr);
  WindowView* view = h.backend.view(run.window);
  for (const char* line : {"Line1", "Line2"}) {
    auto* label = qobject_cast<QLabel*>(view->widget(model->fieldOf(line)));
    ASSERT_NE(label, nullptr) << line;
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << line;
  }
  const int entry = model->fieldOf("SaveFileName");
  model->setText(entry, "bookmark.htm" + std::string(28, ' '));
  h.backend.windowChanged(*model);
  h.settle();
  auto* edit = qobject_cast<QLineEdit*>(view->widget(entry));
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(edit->text().startsWith(QStringLiteral("bookmark.htm")));
  EXPECT_EQ(edit->cursorPosition(), 0);
}

TEST(DesktopSheets, OnlyTheChosenTabsControlsShow) {
  Harness h;
  h.startFrame();
  PlacedWindow run;
  startWindow(h, run, "ITEM$FORM");
  Window* model = h.engine.window(run.window);
  ASSERT_NE(model, nullptr);
  WindowView* view = h.backend.view(run.window);
  QWidget* location = view->widget(model->fieldOf("ITEM:NAME"));
  QWidget* siteInfo = view->widget(model->fieldOf("ITEM:NOTES"));
  QWidget* ok = view->widget(model->fieldOf("OK"));
  ASSERT_TRUE(location && siteInfo && ok);
  EXPECT_TRUE(location->isVisible());
  EXPECT_FALSE(siteInfo->isVisible());
  auto* bar = view->findChild<QTabBar*>();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->count(), 2);
  EXPECT_EQ(bar->tabText(1), QStringLiteral("Notes"));
  bar->setCurrentIndex(1);  // the user clicks the second tab
  h.settle();
  EXPECT_EQ(model->state(model->fieldOf("CurrentTab")).selection, 2);
  EXPECT_FALSE(location->isVisible());
  EXPECT_TRUE(siteInfo->isVisible());
  EXPECT_TRUE(ok->isVisible()) << "controls outside the sheet stay";
  EXPECT_NE(std::find(run.events.begin(), run.events.end(), Event::NewSelection), run.events.end());
}

}  // namespace
}  // namespace linkar::ui::qt
