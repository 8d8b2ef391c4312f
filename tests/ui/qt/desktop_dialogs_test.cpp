// The desktop's answers to a procedure that waits outside its window: for
// the user in popup menus and file dialogs, or between two tries of a wait
// for something another thread holds; and the frame's standard actions
// (print set-up, tiling and cascading the MDI children).
#include <gtest/gtest.h>

#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <functional>

#include "platform/pause.h"
#include "tests/support/temp_dir.h"
#include "tests/ui/qt/qt_harness.h"
#include "ui/qt/frame_window.h"
#include "ui/statements.h"

namespace linkar::ui::qt {
namespace {

using testing::Harness;

// How long a test lets the event loop run before it gives up, and how long
// one turn of the loop lasts.
constexpr qint64 kPatienceMilliseconds = 5000;
constexpr int kSliceMilliseconds = 20;
// A waiter gives up after this many tries instead of hanging a broken test.
constexpr int kMostTries = 200;

// Runs the event loop a slice at a time until done() holds.
bool runEventsUntil(const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done() && clock.elapsed() < kPatienceMilliseconds) {
    QEventLoop loop;
    QTimer::singleShot(kSliceMilliseconds, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return done();
}

TEST(DesktopPopup, TheChosenItemIsCountedWithoutSeparatorsAndDismissingGivesZero) {
  Harness h;
  h.startFrame();
  std::vector<int> answers;
  int thread = h.engine.start(
      [&answers] {
        openWindow("ITEMS$LIST");
        answers.push_back(popup("&Insert|~&Change|-|&Delete"));
        answers.push_back(popup("&Insert|&Change"));
        while (acceptEvent()) {
        }
      },
      50000);
  h.settle();
  QMenu* menu = h.backend.openPopup();
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(menu->actions().size(), 4);
  EXPECT_FALSE(menu->actions()[1]->isEnabled()) << "a ~ item is greyed";
  EXPECT_TRUE(menu->actions()[2]->isSeparator());
  menu->actions()[3]->trigger();
  menu->hide();
  h.settle();
  h.settle();
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_EQ(answers[0], 3);

  QMenu* second = h.backend.openPopup();
  ASSERT_NE(second, nullptr);
  second->hide();  // Esc or a click elsewhere
  h.settle();
  h.settle();
  ASSERT_EQ(answers.size(), 2u);
  EXPECT_EQ(answers[1], 0);
  EXPECT_EQ(h.engine.dialogs().popupMenu(thread), nullptr);
}

// Runs fileDialog on a thread offering `name`, then closes the dialog with
// `result` as the user's OK or Cancel would.
struct FileDialogRun {
  std::string name;
  bool chosen = false;
  bool done = false;
};

void chooseFile(Harness& h, FileDialogRun& run, int result) {
  int thread = h.engine.start(
      [&run] {
        run.chosen = fileDialog("Select File", run.name, "HTML Files|*.htm|All Files|*.*");
        run.done = true;
      },
      25000);
  h.settle();
  auto* dialog = qobject_cast<QFileDialog*>(h.backend.fileDialog(thread));
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Select File"));
  // done() is what accept() ends with once the dialog has checked the name.
  static_cast<QDialog*>(dialog)->done(result);
  h.settle();
}

TEST(DesktopFileDialog, TheChosenFileGoesBackToTheProcedure) {
  Harness h;
  h.startFrame();
  test::TempDir dir;
  ASSERT_TRUE(test::writeWholeFile(dir.file("bookmark.htm"), "<a href=\"http://x.example/\">x</a>\n"));
  FileDialogRun run{dir.file("bookmark.htm")};
  chooseFile(h, run, QDialog::Accepted);
  EXPECT_TRUE(run.done);
  EXPECT_TRUE(run.chosen);
  EXPECT_EQ(run.name, dir.file("bookmark.htm"));
}

TEST(DesktopFileDialog, ANameTheEngineRefusesCountsAsCancelledInsteadOfHanging) {
  Harness h;
  h.startFrame();
  test::TempDir dir;
  FileDialogRun run{dir.file("missing.htm")};
  chooseFile(h, run, QDialog::Accepted);
  EXPECT_TRUE(run.done) << "the procedure still waits for a dialog that is gone";
  EXPECT_FALSE(run.chosen);
  EXPECT_EQ(run.name, dir.file("missing.htm"));
}

TEST(DesktopFileDialog, CancellingKeepsTheOfferedName) {
  Harness h;
  h.startFrame();
  std::string name = "/tmp/keep.htm";
  bool chosen = true;
  int thread = h.engine.start([&] { chosen = fileDialog("Select File", name, "All Files|*.*"); }, 25000);
  h.settle();
  auto* dialog = qobject_cast<QFileDialog*>(h.backend.fileDialog(thread));
  ASSERT_NE(dialog, nullptr);
  dialog->reject();
  h.settle();
  EXPECT_FALSE(chosen);
  EXPECT_EQ(name, "/tmp/keep.htm");
}

TEST(DesktopPause, APausedThreadGoesOnFromTheTickerAndTheTickerStopsAfter) {
  Harness h;
  h.startFrame();
  bool held = true;
  bool through = false;
  int tries = 0;
  int waiter = h.engine.start([&] {
    for (++tries; held && tries < kMostTries; ++tries) platform::pauseBetweenTries();
    through = true;
  }, 25000);
  h.settle();
  ASSERT_NE(waiter, 0);
  EXPECT_EQ(h.engine.scheduler().waitOf(waiter - 1), Wait::Pause);
  EXPECT_TRUE(h.backend.ticking()) << "a paused thread keeps the ticker going";

  // Nothing but the ticker wakes the waiter up.
  int before = tries;
  EXPECT_TRUE(runEventsUntil([&] { return tries > before + 1; }));
  EXPECT_FALSE(through);
  held = false;
  EXPECT_TRUE(runEventsUntil([&] { return through; }));
  h.settle();
  EXPECT_FALSE(h.backend.ticking()) << "with no thread paused and no timer the ticker rests";
  EXPECT_FALSE(h.engine.programEnded());
}

TEST(DesktopFrameActions, PrintSetupOpensAPrinterDialogAndTileSeparatesTheChildren) {
  Harness h;
  h.startFrame();
  for (int i = 0; i < 2; ++i) {
    h.engine.start(
        [] {
          openWindow("GROUPS$LIST");
          while (acceptEvent()) {
          }
        },
        50000);
  }
  h.settle();
  FrameWindow* frame = h.backend.frame();
  QList<QMdiSubWindow*> children = frame->mdiArea()->subWindowList();
  ASSERT_EQ(children.size(), 2);
  EXPECT_EQ(children[0]->geometry(), children[1]->geometry()) << "both open at their designed place";

  Window* model = h.engine.window(frame->windowId());
  frame->action(model->fieldOf("Tile"))->trigger();
  h.settle();
  EXPECT_FALSE(children[0]->geometry().intersects(children[1]->geometry()));

  frame->action(model->fieldOf("PrintSetup"))->trigger();
  h.settle();
  QDialog* setup = nullptr;
  for (QDialog* d : frame->findChildren<QDialog*>())
    if (d->windowTitle() == QStringLiteral("Print Setup")) setup = d;
  ASSERT_NE(setup, nullptr);
  EXPECT_TRUE(setup->isVisible());
  setup->reject();
  h.settle();
  EXPECT_FALSE(h.engine.programEnded());
}

}  // namespace
}  // namespace linkar::ui::qt
