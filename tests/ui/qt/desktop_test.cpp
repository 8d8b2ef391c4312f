// The desktop as a user meets it, off screen: the frame's menu exactly as
// declared, message boxes answered by keyboard, and a list that turns
// Page Down, the wheel and its scroll bar into scroll events instead of
// scrolling by itself.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>
#include <string>
#include <vector>

#include "tests/ui/qt/qt_harness.h"
#include "ui/event_codes.h"
#include "ui/qt/frame_window.h"
#include "ui/qt/list_control.h"
#include "ui/qt/message_dialog.h"
#include "ui/qt/window_view.h"
#include "ui/statements.h"

namespace linkar::ui::qt {
namespace {

using testing::Harness;

// The menu as text: one line per entry, indented by depth, status message
// after a '#', a dash for a separator.
void describe(QMenu* menu, int depth, std::string& out) {
  for (QAction* a : menu->actions()) {
    out += std::string(static_cast<size_t>(depth) * 2, ' ');
    if (a->isSeparator()) {
      out += "-\n";
      continue;
    }
    out += a->text().toStdString();
    if (!a->statusTip().isEmpty()) out += " # " + a->statusTip().toStdString();
    out += "\n";
    if (a->menu()) describe(a->menu(), depth + 1, out);
  }
}

// The same text from the declaration: a frame's menu controls, in
// declaration order, are its menu tree walked depth first.
std::string declaredMenu(const Structure& frame) {
  std::string out;
  for (const ControlDecl& c : frame.controls) {
    int depth = 0;
    for (int p = c.parent; p >= 0; p = frame.controls[static_cast<size_t>(p)].parent) ++depth;
    out += std::string(static_cast<size_t>(depth) * 2, ' ');
    if (c.type == ControlType::Separator) {
      out += "-\n";
      continue;
    }
    out += c.text;
    if (!c.status.empty()) out += " # " + c.status;
    out += "\n";
  }
  return out;
}

TEST(DesktopFrame, OpensWithExactlyTheDeclaredMenu) {
  Harness h;
  h.startFrame();
  FrameWindow* frame = h.backend.frame();
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(frame->isVisible());
  const Structure& declared = *h.engine.catalogue().application();
  EXPECT_EQ(frame->windowTitle(), QString::fromStdString(declared.title));
  std::string menu;
  for (QAction* top : frame->menuBar()->actions()) {
    menu += top->text().toStdString();
    if (!top->statusTip().isEmpty()) menu += " # " + top->statusTip().toStdString();
    menu += "\n";
    if (top->menu()) describe(top->menu(), 1, menu);
  }
  EXPECT_EQ(menu, declaredMenu(declared));
  EXPECT_NE(menu.find("\n  &Open # Open a file of items\n    from &Disk\n"), std::string::npos);
}

TEST(DesktopFrame, ExitClosesTheFrameAndEndsTheProgram) {
  Harness h;
  bool finished = false;
  QObject::connect(&h.backend, &QtBackend::programFinished, [&finished](int) { finished = true; });
  h.startFrame();
  Window* model = h.engine.window(h.backend.frame()->windowId());
  ASSERT_NE(model, nullptr);
  h.backend.frame()->action(model->fieldOf("Exit"))->trigger();
  h.settle();
  EXPECT_TRUE(finished);
  EXPECT_TRUE(h.engine.programEnded());
  EXPECT_EQ(h.backend.frame(), nullptr);
}

// A procedure thread that shows one message box and keeps the answer.
struct BoxRun {
  int answer = -1;
  int thread = 0;
};

void startBox(Harness& h, BoxRun& run, std::string text, std::string title, int icon, int buttons, int def) {
  run.thread = h.engine.start(
      [&run, text, title, icon, buttons, def] { run.answer = message(text, title, {}, icon, buttons, def); }, 0);
  h.settle();
}

MessageDialog* dialogOf(Harness& h, const BoxRun& run) {
  Window* box = h.engine.dialogs().messageBox(run.thread);
  return box ? h.backend.messageDialog(box->id()) : nullptr;
}

TEST(DesktopMessageBox, YesNoWithDefaultNoAnswersNoOnEnter) {
  Harness h;
  h.startFrame();
  BoxRun run;
  startBox(h, run, "Delete it?", "Question", Icon::kQuestion, Button::kYes | Button::kNo, Button::kNo);
  MessageDialog* dialog = dialogOf(h, run);
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(dialog->isModal()) << "modal to its thread only";
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Question"));
  auto buttons = dialog->findChildren<QPushButton*>();
  ASSERT_EQ(buttons.size(), 2);
  QPushButton* yes = buttons[0]->text() == QStringLiteral("&Yes") ? buttons[0] : buttons[1];
  QPushButton* no = yes == buttons[0] ? buttons[1] : buttons[0];
  EXPECT_EQ(no->text(), QStringLiteral("&No"));
  EXPECT_LT(yes->x(), no->x());
  EXPECT_TRUE(no->isDefault());
  h.key(dialog, Qt::Key_Return);
  EXPECT_EQ(run.answer, Button::kNo);
  EXPECT_EQ(h.engine.dialogs().messageBox(run.thread), nullptr);
}

TEST(DesktopMessageBox, AnAboutStyleBoxHasNoIconAndOneOkButtonAndWrapsItsLines) {
  Harness h;
  h.startFrame();
  BoxRun run;
  startBox(h, run, "Desk|second line", "About", Icon::kNone, Button::kOk, 0);
  MessageDialog* dialog = dialogOf(h, run);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("About"));
  auto buttons = dialog->findChildren<QPushButton*>();
  ASSERT_EQ(buttons.size(), 1);
  EXPECT_EQ(buttons[0]->text(), QStringLiteral("OK"));
  bool hasText = false;
  for (QLabel* label : dialog->findChildren<QLabel*>()) {
    EXPECT_TRUE(label->pixmap().isNull()) << "no icon";
    if (label->text() == QStringLiteral("Desk\nsecond line")) hasText = true;
  }
  EXPECT_TRUE(hasText);
  h.key(dialog, Qt::Key_Escape);  // Esc on a lone OK presses it
  EXPECT_EQ(run.answer, Button::kOk);
}

TEST(DesktopMessageBox, SystemIconNamesShowTheThemeIcons) {
  testing::application();
  // 0xFF 0x01 and the identifier, low byte first: 32516 information, 32515 exclamation.
  EXPECT_FALSE(MessageDialog::iconFor(std::string("\xFF\x01\x04\x7F", 4)).isNull());
  EXPECT_FALSE(MessageDialog::iconFor(std::string("\xFF\x01\x03\x7F", 4)).isNull());
  EXPECT_TRUE(MessageDialog::iconFor(std::string("\xFF\x01\x99\x7F", 4)).isNull());
  EXPECT_FALSE(MessageDialog::iconFor("16").isNull());
  EXPECT_TRUE(MessageDialog::iconFor("").isNull());
  EXPECT_TRUE(MessageDialog::iconFor("/no/such/icon.ico").isNull());
}

TEST(DesktopMessageBox, TheOwnersWindowIgnoresClicksWhileTheBoxIsUp) {
  Harness h;
  h.startFrame();
  std::vector<int> accepted;
  int window = 0;
  int thread = h.engine.start(
      [&accepted, &window] {
        window = openWindow("ITEMS$LIST");
        message("Wait", "Busy", {}, Icon::kAsterisk, Button::kOk, 0);
        while (acceptEvent())
          if (int f = ui::accepted()) accepted.push_back(f);
      },
      50000);
  h.settle();
  Window* box = h.engine.dialogs().messageBox(thread);
  ASSERT_NE(box, nullptr);
  auto* insert = qobject_cast<QPushButton*>(h.backend.view(window)->widget(h.engine.window(window)->fieldOf("Insert")));
  ASSERT_NE(insert, nullptr);
  insert->click();
  h.settle();
  h.key(h.backend.messageDialog(box->id()), Qt::Key_Return);
  EXPECT_EQ(h.engine.dialogs().messageBox(thread), nullptr);
  EXPECT_TRUE(accepted.empty()) << "a click while the box was up reached the procedure";
  insert->click();
  h.settle();
  EXPECT_EQ(accepted, std::vector<int>{h.engine.window(window)->fieldOf("Insert")});
}

// A browse on a thread of its own whose list shows rows 1..N of a queue
// from `m_top`, and which records the scroll events it gets.
struct BrowseRun {
  std::vector<int> events;
  int top = 1;
  int list = 0;
  int window = 0;
};

void startBrowse(Harness& h, BrowseRun& run) {
  h.engine.start(
      [&run] {
        run.window = openWindow("ITEMS$LIST");
        Window* w = engine().window(run.window);
        run.list = w->fieldOf("Browse");
        ListSource source;
        source.count = [w, &run] { return static_cast<size_t>(w->visibleRows(run.list)); };
        source.cell = [&run](size_t row, size_t column) {
          return column == 1 ? "http://site" + std::to_string(run.top + static_cast<int>(row)) + ".example/"
                             : std::string("Site ") + std::to_string(run.top + static_cast<int>(row));
        };
        w->setListSource(run.list, source);
        display();
        while (acceptEvent()) {
          int e = event();
          if (field() == run.list && (e == Event::ScrollDown || e == Event::ScrollUp || e == Event::PageDown ||
                                      e == Event::PageUp || e == Event::ScrollTop || e == Event::ScrollBottom))
            run.events.push_back(e);
        }
      },
      50000);
  h.settle();
}

TEST(DesktopList, PageDownWheelAndScrollBarBecomeScrollEventsAndTheListStaysPut) {
  Harness h;
  h.startFrame();
  BrowseRun run;
  startBrowse(h, run);
  WindowView* view = h.backend.view(run.window);
  ASSERT_NE(view, nullptr);
  ListControl* list = view->list(run.list);
  ASSERT_NE(list, nullptr);
  Window* model = h.engine.window(run.window);
  ASSERT_GT(model->state(run.list).rows.size(), 3u);
  const auto before = model->state(run.list).rows;
  list->setFocus();
  h.settle();

  h.key(list, Qt::Key_PageDown);
  QPoint centre = list->rect().center();
  QWheelEvent wheel(centre, list->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(list, &wheel);
  h.settle();
  QScrollBar* bar = list->findChild<QScrollBar*>();
  ASSERT_NE(bar, nullptr);
  bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  h.settle();
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  h.settle();
  h.key(list, Qt::Key_Home, Qt::ControlModifier);

  // One notch of the wheel is three rows.
  EXPECT_EQ(run.events, (std::vector<int>{Event::PageDown, Event::ScrollDown, Event::ScrollDown, Event::ScrollDown,
                                          Event::ScrollUp, Event::PageDown, Event::ScrollTop}));
  EXPECT_EQ(model->state(run.list).rows, before) << "the procedure decides what the list shows";
  EXPECT_EQ(bar->value(), model->state(run.list).thumb) << "the thumb stays where the model has it";
}

TEST(DesktopList, ClicksChooseRowsAndTheColumnsFollowTheFormat) {
  Harness h;
  h.startFrame();
  BrowseRun run;
  startBrowse(h, run);
  ListControl* list = h.backend.view(run.window)->list(run.list);
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(list->hasHeader());
  const ListFormat& format = *h.engine.window(run.window)->control(run.list).format;
  ASSERT_EQ(list->columnWidths().size(), format.columns.size());
  ASSERT_GT(format.columns.size(), 1u);
  DialogUnits u = h.backend.view(run.window)->units();
  for (size_t i = 0; i < format.columns.size(); ++i)
    EXPECT_EQ(list->columnWidths()[i], u.toPixelsX(format.columns[i].width)) << i;
  QPoint third(10, list->headerHeight() + list->rowHeight() * 2 + list->rowHeight() / 2);
  EXPECT_EQ(list->rowAt(third), 3);
  QMouseEvent click(QEvent::MouseButtonPress, third, list->mapToGlobal(third), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QApplication::sendEvent(list, &click);
  h.settle();
  EXPECT_EQ(h.engine.window(run.window)->state(run.list).selection, 3);
}

}  // namespace
}  // namespace linkar::ui::qt
