// A browse list as a user meets it on the desktop, off screen: real key,
// wheel, mouse and resize events on the widgets, a procedure that holds
// one page of a longer file as the program's browses do, and the rows,
// highlight and thumb the list then draws.
#include <gtest/gtest.h>

#include <QImage>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QWheelEvent>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/ui/qt/qt_harness.h"
#include "ui/event_codes.h"
#include "ui/qt/list_control.h"
#include "ui/qt/window_view.h"
#include "ui/statements.h"

namespace linkar::ui::qt {
namespace {

using testing::Harness;

// Sorted names, as a key would read them; more than any page shows.
std::vector<std::string> siteNames(int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i)
    names.push_back(std::string(1, static_cast<char>('A' + i * 26 / count)) + "site " + std::to_string(100 + i));
  return names;
}

// With LINKAR_SHOT_DIR set, a picture of the window for a person to look at.
void saveShot(QWidget* view, const char* name) {
  if (const char* dir = std::getenv("LINKAR_SHOT_DIR"))
    view->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name));
}

// A browse in miniature: it holds one page of `names` (never the whole of
// it), as many rows as the list shows, and answers the scroll events, the
// thumb, the locator and a resize by moving or refilling its page. It
// records every event of its list and window.
struct PageBrowse {
  std::vector<std::string> names;
  int top = 0;     // index of the page's first name
  int rows = 0;    // rows on the page
  int window = 0;
  int list = 0;
  std::vector<int> events;
  std::vector<int> keys;        // KEYCODE() at each event of the list
  std::vector<int> characters;  // KEYCHAR() at each alerted key
  int popupChoice = -1;
  int dragged = -1;             // the thumb as the user let it go

  int count() const { return static_cast<int>(names.size()); }
  int lastTop() const { return std::max(0, count() - rows); }

  void fill(Window& w) {
    rows = std::min(w.visibleRows(list), count());
    top = std::clamp(top, 0, lastTop());
    ControlState& s = w.state(list);
    s.selection = rows == 0 ? 0 : std::clamp(s.selection, 1, rows);
    s.scrollBar = count() > w.visibleRows(list);
    s.thumb = lastTop() == 0 ? 0 : top * 100 / lastTop();
  }

  void locate(int character) {
    std::string from(1, static_cast<char>(std::toupper(character)));
    top = static_cast<int>(std::lower_bound(names.begin(), names.end(), from) - names.begin());
  }

  void onListEvent(Window& w, int e) {
    ControlState& s = w.state(list);
    switch (e) {
      case Event::ScrollUp: if (s.selection > 1) --s.selection; else --top; break;
      case Event::ScrollDown: if (s.selection < rows) ++s.selection; else ++top; break;
      case Event::PageUp: top -= rows; break;
      case Event::PageDown: top += rows; break;
      case Event::ScrollTop: top = 0; s.selection = 1; break;
      case Event::ScrollBottom: top = lastTop(); s.selection = rows; break;
      case Event::ScrollDrag:
        dragged = s.thumb;
        top = s.thumb * lastTop() / 100;
        break;
      case Event::AlertKey:
        characters.push_back(keyChar());
        if (keyChar() > ' ') {
          locate(keyChar());
          s.selection = 1;
        }
        break;
      case Event::NewSelection:
        if (keyCode() == Key::kMouseRight) popupChoice = popup("&Insert|&Change|&Delete");
        break;
      default: break;
    }
  }

  void run() {
    window = openWindow("LINKS$BROWSE");
    Window& w = *engine().window(window);
    list = w.fieldOf("Browse");
    w.state(list).alertKeys = {Key::kInsertKey, Key::kDeleteKey, Key::kCtrlEnter, Key::kMouseLeft2};
    ListSource source;
    source.count = [this] { return static_cast<size_t>(rows); };
    source.cell = [this](size_t row, size_t column) {
      const std::string& name = names[static_cast<size_t>(top) + row];
      if (column == 0) return name;
      if (column == 1) return "http://" + name.substr(0, 1) + name.substr(6) + ".example/";
      return std::to_string(name[0] - 'A');
    };
    w.setListSource(list, source);
    selectControl(list, 1);
    fill(w);
    display();
    while (acceptEvent()) {
      if (event() == Event::Sized) events.push_back(Event::Sized);
      if (field() == list) {
        events.push_back(event());
        keys.push_back(keyCode());
        onListEvent(w, event());
      }
      fill(w);
      display();
    }
  }
};

struct ListFixture : ::testing::Test {
  void SetUp() override { h.startFrame(); }

  void open(int names = 60) {
    browse.names = siteNames(names);
    h.engine.start([this] { browse.run(); }, 50000);
    h.settle();
    view = h.backend.view(browse.window);
    ASSERT_NE(view, nullptr);
    list = view->list(browse.list);
    ASSERT_NE(list, nullptr);
    list->setFocus();
    h.settle();
    browse.events.clear();
    browse.keys.clear();
  }

  Window& model() { return *h.engine.window(browse.window); }
  int highlighted() { return model().state(browse.list).selection; }
  // The name the list draws in a row, without the picture's padding.
  std::string nameAt(int row) {
    std::string text = list->cellText(row, 1).toStdString();
    return text.substr(0, text.find_last_not_of(' ') + 1);
  }
  std::string name(int index) { return browse.names[static_cast<size_t>(index)]; }

  void key(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, text);
    QApplication::sendEvent(list, &press);
    h.settle();
  }
  void wheel(int angle) {
    QPoint at = list->rect().center();
    QWheelEvent e(at, list->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(list, &e);
    h.settle();
  }
  void mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button) {
    Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
    QMouseEvent e(type, at, target->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
  }
  void click(QWidget* target, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    mouse(target, QEvent::MouseButtonPress, at, button);
    mouse(target, QEvent::MouseButtonRelease, at, button);
    h.settle();
  }
  QPoint rowPoint(int row) {
    return QPoint(20, list->headerHeight() + 1 + list->rowHeight() * (row - 1) + list->rowHeight() / 2);
  }
  QRect barPart(QStyle::SubControl part) {
    QScrollBar* bar = list->scrollBar();
    QStyleOptionSlider opt;
    opt.initFrom(bar);
    opt.orientation = Qt::Vertical;
    opt.minimum = bar->minimum();
    opt.maximum = bar->maximum();
    opt.sliderPosition = bar->sliderPosition();
    opt.sliderValue = bar->value();
    opt.singleStep = bar->singleStep();
    opt.pageStep = bar->pageStep();
    opt.upsideDown = bar->invertedAppearance();
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, bar);
  }

  Harness h;
  PageBrowse browse;
  WindowView* view = nullptr;
  ListControl* list = nullptr;
};

TEST_F(ListFixture, KeysMoveTheHighlightWithinThePageAndScrollAtItsEdges) {
  open();
  int rows = model().visibleRows(browse.list);
  ASSERT_GT(rows, 4);
  ASSERT_EQ(list->shownRows(), rows) << "the page fills the rows the list shows";
  EXPECT_EQ(nameAt(1), name(0));

  key(Qt::Key_End);
  EXPECT_EQ(highlighted(), rows);
  EXPECT_EQ(list->highlightedRow(), rows);
  key(Qt::Key_Down);  // on the last row: the page moves one row
  EXPECT_EQ(nameAt(1), name(1));
  EXPECT_EQ(nameAt(rows), name(rows));
  EXPECT_EQ(list->highlightedRow(), rows);
  key(Qt::Key_Up);    // within the page: only the highlight moves
  EXPECT_EQ(list->highlightedRow(), rows - 1);
  EXPECT_EQ(nameAt(1), name(1));
  key(Qt::Key_Home);
  key(Qt::Key_Up);    // on the first row: the page moves back
  EXPECT_EQ(nameAt(1), name(0));
  EXPECT_EQ(list->highlightedRow(), 1);
  key(Qt::Key_PageDown);
  EXPECT_EQ(nameAt(1), name(rows));
  key(Qt::Key_PageUp);
  EXPECT_EQ(nameAt(1), name(0));
  key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(nameAt(rows), browse.names.back());
  EXPECT_EQ(list->highlightedRow(), rows);
  key(Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(nameAt(1), name(0));
  EXPECT_EQ(list->highlightedRow(), 1);

  EXPECT_EQ(browse.events, (std::vector<int>{Event::NewSelection, Event::ScrollDown, Event::NewSelection,
                                             Event::NewSelection, Event::ScrollUp, Event::PageDown, Event::PageUp,
                                             Event::ScrollBottom, Event::ScrollTop}));
}

TEST_F(ListFixture, AlertedKeysEnterAndTypedCharactersReachTheProcedure) {
  open();
  key(Qt::Key_Insert);
  key(Qt::Key_Delete);
  key(Qt::Key_Return, Qt::ControlModifier);
  key(Qt::Key_Return);
  EXPECT_EQ(browse.events, (std::vector<int>{Event::AlertKey, Event::AlertKey, Event::AlertKey, Event::Accepted}));
  EXPECT_EQ(browse.keys, (std::vector<int>{Key::kInsertKey, Key::kDeleteKey, Key::kCtrlEnter, Key::kEnterKey}));

  // The one-letter locator: the character goes to the procedure, which
  // brings the first name at or after its capital to the top.
  browse.events.clear();
  browse.keys.clear();
  key(Qt::Key_M, Qt::NoModifier, QStringLiteral("m"));
  ASSERT_EQ(browse.events, std::vector<int>{Event::AlertKey});
  EXPECT_EQ(browse.keys.back(), 'M');
  EXPECT_EQ(browse.characters.back(), 'm');
  EXPECT_EQ(nameAt(1).substr(0, 1), "M");
  EXPECT_LT(name(browse.top - 1).substr(0, 1), "M");
  key(Qt::Key_7, Qt::NoModifier, QStringLiteral("7"));
  EXPECT_EQ(browse.characters.back(), '7');
  key(Qt::Key_K, Qt::ShiftModifier, QStringLiteral("K"));
  EXPECT_EQ(browse.keys.back(), Key::kShift | 'K');
  EXPECT_EQ(nameAt(1).substr(0, 1), "K");
  // With Ctrl a letter is no character for the locator; a space is blank.
  size_t before = browse.events.size();
  key(Qt::Key_F, Qt::ControlModifier, QString(QChar(6)));
  key(Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
  EXPECT_EQ(browse.events.size(), before);
  EXPECT_EQ(nameAt(1).substr(0, 1), "K");

  // Esc is the window's: it closes it, and the procedure ends.
  key(Qt::Key_Escape);
  EXPECT_EQ(h.engine.window(browse.window), nullptr);
}

TEST_F(ListFixture, TheWheelScrollsThreeRowsANotchAndPartsOfNotchesAddUp) {
  open();
  int rows = model().visibleRows(browse.list);
  ASSERT_GT(rows, 6);
  wheel(-120);
  EXPECT_EQ(browse.events, std::vector<int>(3, Event::ScrollDown)) << "scroll events, not selections";
  EXPECT_EQ(list->highlightedRow(), 4);
  key(Qt::Key_End);
  browse.events.clear();
  wheel(-60);
  EXPECT_TRUE(browse.events.empty()) << "half a notch scrolls nothing yet";
  wheel(-60);
  EXPECT_EQ(browse.events, std::vector<int>(3, Event::ScrollDown));
  EXPECT_EQ(nameAt(1), name(3));
  wheel(240);
  EXPECT_EQ(browse.events.size(), 9u);
  EXPECT_EQ(std::count(browse.events.begin(), browse.events.end(), Event::ScrollUp), 6);
  EXPECT_EQ(list->highlightedRow(), rows - 6);
  EXPECT_EQ(nameAt(1), name(3));
}

TEST_F(ListFixture, TheScrollBarShowsTheProceduresThumbAndReportsWhatTheUserDoesWithIt) {
  open();
  QScrollBar* bar = list->scrollBar();
  EXPECT_FALSE(bar->isHidden());
  EXPECT_EQ(bar->value(), 0);
  key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(bar->value(), 100) << "the procedure's thumb at the last page";
  key(Qt::Key_Home, Qt::ControlModifier);
  browse.events.clear();

  click(bar, barPart(QStyle::SC_ScrollBarAddLine).center());
  click(bar, barPart(QStyle::SC_ScrollBarAddPage).center());
  EXPECT_EQ(browse.events, (std::vector<int>{Event::ScrollDown, Event::PageDown}));
  int rows = browse.rows;
  EXPECT_EQ(nameAt(1), name(rows)) << "the arrow moved the highlight, the trough a page";
  EXPECT_EQ(bar->value(), model().state(browse.list).thumb);
  click(bar, barPart(QStyle::SC_ScrollBarSubPage).center());
  EXPECT_EQ(nameAt(1), name(0));

  // Dragging the thumb halfway down reports where it was let go.
  browse.events.clear();
  QRect thumb = barPart(QStyle::SC_ScrollBarSlider);
  QPoint from = thumb.center();
  QPoint to(from.x(), from.y() + (bar->height() - thumb.height()) / 2);
  mouse(bar, QEvent::MouseButtonPress, from, Qt::LeftButton);
  QMouseEvent move(QEvent::MouseMove, to, bar->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(bar, &move);
  mouse(bar, QEvent::MouseButtonRelease, to, Qt::LeftButton);
  h.settle();
  ASSERT_EQ(browse.events, std::vector<int>{Event::ScrollDrag});
  EXPECT_GT(browse.dragged, 30);
  EXPECT_LT(browse.dragged, 70);
  EXPECT_EQ(nameAt(1), name(browse.dragged * browse.lastTop() / 100));
  EXPECT_EQ(bar->value(), model().state(browse.list).thumb);
  // Taking the thumb and letting it go where it was is no drag.
  QPoint still = barPart(QStyle::SC_ScrollBarSlider).center();
  click(bar, still);
  EXPECT_EQ(browse.events.size(), 1u);
}

TEST_F(ListFixture, AShortFileHidesTheScrollBarAndLeavesRowsToSpare) {
  open(3);
  EXPECT_EQ(list->shownRows(), 3);
  EXPECT_TRUE(list->scrollBar()->isHidden());
  // Below the last row there is nothing to choose.
  click(list, rowPoint(5));
  EXPECT_TRUE(browse.events.empty());
  click(list, rowPoint(3));
  EXPECT_EQ(browse.events, std::vector<int>{Event::NewSelection});
}

TEST_F(ListFixture, ClicksDoubleClicksAndTheRightButtonReachTheProcedure) {
  open();
  click(list, rowPoint(2));
  EXPECT_EQ(highlighted(), 2);
  EXPECT_EQ(browse.events, std::vector<int>{Event::NewSelection});
  EXPECT_EQ(browse.keys.back(), Key::kMouseLeft);

  // Press, release, then the double click in place of the second press.
  QPoint third = rowPoint(3);
  mouse(list, QEvent::MouseButtonPress, third, Qt::LeftButton);
  mouse(list, QEvent::MouseButtonRelease, third, Qt::LeftButton);
  mouse(list, QEvent::MouseButtonDblClick, third, Qt::LeftButton);
  mouse(list, QEvent::MouseButtonRelease, third, Qt::LeftButton);
  h.settle();
  EXPECT_EQ(highlighted(), 3);
  EXPECT_EQ(browse.events.back(), Event::AlertKey);
  EXPECT_EQ(browse.keys.back(), Key::kMouseLeft2);

  // The right button chooses the row and the procedure puts up its popup.
  click(list, rowPoint(1), Qt::RightButton);
  EXPECT_EQ(highlighted(), 1);
  EXPECT_EQ(browse.keys.back(), Key::kMouseRight);
  QMenu* menu = h.backend.openPopup();
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->actions().size(), 3);
  EXPECT_EQ(menu->actions()[1]->text(), QStringLiteral("&Change"));
  menu->actions()[1]->trigger();
  menu->hide();
  h.settle();
  EXPECT_EQ(browse.popupChoice, 2);
}

TEST_F(ListFixture, SizingTheWindowChangesTheRowsTheProcedureFills) {
  open();
  auto* sub = qobject_cast<QMdiSubWindow*>(h.backend.outer(browse.window));
  ASSERT_NE(sub, nullptr);
  int rows = model().visibleRows(browse.list);
  auto* insert = view->widget(model().fieldOf("Insert"));
  auto* pick = view->widget(model().fieldOf("Pick"));
  auto* close = view->widget(model().fieldOf("Close"));
  QRect listAt = list->geometry(), insertAt = insert->geometry(), pickAt = pick->geometry();
  QRect closeAt = close->geometry();

  QSize grow(80, 5 * list->rowHeight());
  sub->resize(sub->size() + grow);
  h.settle();
  EXPECT_EQ(list->geometry().size(), listAt.size() + grow) << "the list takes up the change";
  EXPECT_EQ(model().visibleRows(browse.list), rows + 5);
  EXPECT_NE(std::find(browse.events.begin(), browse.events.end(), Event::Sized), browse.events.end());
  EXPECT_EQ(list->shownRows(), rows + 5) << "the procedure filled the larger page";
  EXPECT_EQ(nameAt(rows + 5), name(rows + 4));
  // Buttons under the list keep their distance from the bottom; the row
  // that ends at the list's right edge stays aligned with it.
  EXPECT_EQ(insert->geometry(), insertAt.translated(grow.width(), grow.height()));
  EXPECT_EQ(close->geometry(), closeAt.translated(grow.width(), grow.height()));
  EXPECT_EQ(pick->geometry(), pickAt.translated(0, grow.height()));
  saveShot(view, "list_window_sized.png");

  // Smaller than designed: fewer rows, every one of them whole.
  sub->resize(sub->size() - grow - QSize(0, 3 * list->rowHeight()));
  h.settle();
  int fewer = model().visibleRows(browse.list);
  EXPECT_EQ(fewer, rows - 3);
  EXPECT_EQ(list->shownRows(), fewer);
  EXPECT_LE(list->headerHeight() + fewer * list->rowHeight() + 2, list->height());
  EXPECT_GT(list->headerHeight() + (fewer + 1) * list->rowHeight() + 2, list->height());
  // However small the window, the list keeps one row.
  sub->resize(QSize(60, 60));
  h.settle();
  EXPECT_EQ(model().visibleRows(browse.list), 1);
  EXPECT_EQ(list->shownRows(), 1);
}

TEST_F(ListFixture, ColumnsFollowTheFormatAndTheUserWidensThemByTheHeader) {
  open();
  const ListFormat& format = *model().control(browse.list).format;
  std::vector<int> widths = list->columnWidths();
  ASSERT_EQ(widths.size(), format.columns.size());
  for (size_t i = 0; i < widths.size(); ++i) EXPECT_EQ(widths[i], view->units().toPixelsX(format.columns[i].width));
  EXPECT_EQ(nameAt(1).size(), name(0).size());
  EXPECT_EQ(list->cellText(1, 1).size(), 40) << "cells keep their picture (@S40)";

  QPoint edge(1 + widths[0], list->headerHeight() / 2);
  QPoint wider = edge + QPoint(30, 0);
  mouse(list, QEvent::MouseButtonPress, edge, Qt::LeftButton);
  QMouseEvent drag(QEvent::MouseMove, wider, list->mapToGlobal(wider), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(list, &drag);
  mouse(list, QEvent::MouseButtonRelease, wider, Qt::LeftButton);
  h.settle();
  EXPECT_EQ(list->columnWidths()[0], widths[0] + 30);
  EXPECT_EQ(list->columnWidths()[1], widths[1]);
  EXPECT_TRUE(browse.events.empty()) << "the header is no row";
}

TEST_F(ListFixture, TheHighlightedRowIsDrawnWhereTheModelHasIt) {
  open();
  key(Qt::Key_Down);
  key(Qt::Key_Down);
  QImage shot = view->grab().toImage();
  saveShot(view, "list_window.png");
  QPoint origin = list->mapTo(view, QPoint(0, 0));
  // Inside the first column, past the end of its text.
  int x = list->columnWidths()[0] - 8;
  auto colourAt = [&](int row) { return shot.pixelColor(origin + QPoint(x, rowPoint(row).y())); };
  QPalette::ColorGroup group = list->hasFocus() ? QPalette::Active : QPalette::Inactive;
  QColor highlight = list->palette().color(group, QPalette::Highlight);
  EXPECT_EQ(colourAt(3), highlight);
  EXPECT_NE(colourAt(2), highlight);
  EXPECT_NE(colourAt(4), highlight);
}

}  // namespace
}  // namespace linkar::ui::qt
