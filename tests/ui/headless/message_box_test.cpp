// MESSAGE, HALT and STOP as the user sees them: the buttons shown and their
// order, the focus on the default button, Enter and Esc, line breaks and the
// text limit, the dialog modal to its own thread only, and the program
// ending with the right exit code.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/string_stack.h"
#include "tests/ui/test_catalogue.h"
#include "ui/headless/test_driver.h"
#include "ui/statements.h"

namespace linkar::ui {
namespace {

// Starts a procedure that asks one question and keeps the answer.
int ask(TestDriver& d, int* answer, MessageRequest request) {
  return d.start([answer, request] { *answer = Engine::instance()->dialogs().message(request); }, 25000);
}

MessageRequest request(std::string text, int buttons = 0, int defaultButton = 0) {
  MessageRequest r;
  r.text = std::move(text);
  r.title = "Question";
  r.buttons = buttons;
  r.defaultButton = defaultButton;
  return r;
}

std::vector<std::string> buttonTexts(TestDriver& d, const Window& box) {
  std::vector<std::string> out;
  for (int f : box.fields())
    if (messageButtonBit(box, f)) out.push_back(box.text(f));
  return out;
}

TEST(MessageBox, NoButtonsMeansOkAloneReturning1) {
  TestDriver d(testCatalogue());
  int answer = -1;
  ask(d, &answer, request("Done"));
  Window* box = d.messageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->title(), "Question");
  EXPECT_EQ(buttonTexts(d, *box), std::vector<std::string>{"OK"});
  EXPECT_EQ(answer, -1);  // still waiting
  ASSERT_TRUE(d.answer("OK"));
  EXPECT_EQ(answer, Button::kOk);
  EXPECT_EQ(d.messageBox(), nullptr);
}

TEST(MessageBox, YesNoWithDefaultNoFocusesNoAndEnterReturnsIt) {
  TestDriver d(testCatalogue());
  int answer = -1;
  ask(d, &answer, request("Delete it?", Button::kNo | Button::kYes, Button::kNo));
  Window* box = d.messageBox();
  ASSERT_NE(box, nullptr);
  ASSERT_EQ(buttonTexts(d, *box), (std::vector<std::string>{"&Yes", "&No"}));
  int yes = TestDriver::fieldOf(*box, "&Yes");
  int no = TestDriver::fieldOf(*box, "&No");
  EXPECT_LT(box->control(yes).at->x, box->control(no).at->x);
  EXPECT_EQ(box->focus(), no);
  ASSERT_TRUE(d.answerKey(Key::kEnterKey));
  EXPECT_EQ(answer, Button::kNo);
}

TEST(MessageBox, DefaultNotShownFallsBackToTheFirstButton) {
  TestDriver d(testCatalogue());
  int answer = -1;
  ask(d, &answer, request("Retry?", Button::kRetry | Button::kCancel | Button::kAbort, Button::kYes));
  Window* box = d.messageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(buttonTexts(d, *box), (std::vector<std::string>{"&Abort", "&Retry", "Cancel"}));
  EXPECT_EQ(box->text(box->focus()), "&Abort");
  // Esc gives Cancel when it is shown.
  ASSERT_TRUE(d.answerKey(Key::kEscKey));
  EXPECT_EQ(answer, Button::kCancel);
}

TEST(MessageBox, ABarGivesTwoLinesAndLongTextIsCutAt1023) {
  TestDriver d(testCatalogue());
  int answer = 0;
  ask(d, &answer, request("First line|Second line"));
  Window* box = d.messageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(TestDriver::messageLines(*box), (std::vector<std::string>{"First line", "Second line"}));
  d.answer("OK");

  ask(d, &answer, request(std::string(1023, 'a') + "TAIL"));
  box = d.messageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(1), std::string(1023, 'a'));
  // The dialog has grown to the wrapped text but not past 200 units of it.
  EXPECT_GT(box->place().height, 100);
  EXPECT_LE(box->place().width, 5 + 200 + 5);
  d.answer("OK");
}

TEST(MessageBox, IconsAndTitleLimits) {
  TestDriver d(testCatalogue());
  int answer = 0;
  MessageRequest r = request("Careful");
  r.icon = Icon::kExclamation;
  r.title = std::string(300, 't');
  ask(d, &answer, r);
  Window* box = d.messageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->title().size(), kMessageTitleMax);
  int icon = box->fieldOf("MessageIcon");
  ASSERT_NE(icon, 0);
  EXPECT_EQ(box->text(icon), std::to_string(Icon::kExclamation));
  // The text starts right of the icon.
  EXPECT_GT(box->control(1).at->x, box->control(icon).at->x + box->control(icon).at->width);
  d.answer("OK");

  r = request("Named");
  r.iconName = "DESK.ICO";
  r.icon = Icon::kHand;
  ask(d, &answer, r);
  box = d.messageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(box->fieldOf("MessageIcon")), "DESK.ICO");
  d.answer("OK");
}

TEST(MessageBox, IsModalToItsThreadOnly) {
  TestDriver d(testCatalogue());
  d.startFrame();
  int answer = 0;
  int asker = d.start([&] {
    openWindow("GROUPS$LIST");
    while (acceptEvent()) {
      if (accepted() == 2) answer = message("Sure?", "Insert", "", Icon::kQuestion, Button::kYes | Button::kNo);
    }
  }, 50000);
  int otherPresses = 0;
  d.start([&] {
    openWindow("ITEMS$LIST");
    while (acceptEvent()) otherPresses += accepted() == 2;
  }, 50000);
  Window* categories = d.find("Groups");
  Window* locations = d.find("Items");
  ASSERT_TRUE(categories && locations);
  ASSERT_TRUE(d.press(*categories, "&Insert"));
  ASSERT_NE(d.messageBox(asker), nullptr);
  // The other thread keeps running while the question is up.
  ASSERT_TRUE(d.press(*locations, "&Insert"));
  ASSERT_TRUE(d.press(*locations, "&Insert"));
  EXPECT_EQ(otherPresses, 2);
  EXPECT_FALSE(d.press(*categories, "&Insert"));
  ASSERT_TRUE(d.answer("&Yes", asker));
  EXPECT_EQ(answer, Button::kYes);
}

TEST(MessageBox, ASystemModalBoxHoldsEveryOtherWindowAndTimer) {
  TestDriver d(testCatalogue());
  d.startFrame();
  int ticks = 0;
  d.engine().start([&] {
    openWindow("SAVE$PROGRESS");
    while (acceptEvent()) {
      if (event() != Event::Timer) continue;
      if (++ticks == 3) message("Disk full", "Stop", "", Icon::kHand, Button::kOk, 0, true);
      if (ticks == 5) post(Event::CloseWindow);
    }
  }, 25000);
  int presses = 0;
  d.start([&] {
    openWindow("ITEMS$LIST");
    while (acceptEvent()) presses += accepted() == 2;
  }, 50000);
  EXPECT_TRUE(d.run());  // quiet: the box stops the timer
  EXPECT_EQ(ticks, 3);
  Window* browse = d.find("Items");
  ASSERT_NE(browse, nullptr);
  Window* box = d.messageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(d.engine().dialogs().messageBoxOwner(box->thread() + 1), d.find("Progress...")->id());
  // An event already queued for another thread waits until the box closes.
  browse->post(Event::Accepted, 2);
  d.run();
  EXPECT_EQ(presses, 0);
  EXPECT_FALSE(d.press(*browse, "&Insert"));
  EXPECT_FALSE(d.pressMenu("Help|About"));
  ASSERT_TRUE(d.answer("OK"));
  EXPECT_EQ(ticks, 5);
  EXPECT_EQ(presses, 1);
  EXPECT_TRUE(d.press(*browse, "&Insert"));
  EXPECT_EQ(presses, 2);
}

TEST(MessageBox, TextsCanComeFromTheStringStack) {
  TestDriver d(testCatalogue());
  int answer = 0;
  d.start([&] {
    runtime::StringStack& stack = runtime::stringStack();
    stack.push("Record Update Error|Try again?");
    stack.push("Update");
    stack.push("          ");  // a blank icon name: no named icon
    answer = Engine::instance()->dialogs().messageFromStack(Icon::kQuestion, Button::kYes | Button::kNo | Button::kCancel,
                                                  Button::kYes, false);
    EXPECT_TRUE(stack.empty());
  }, 0);
  Window* box = d.messageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->title(), "Update");
  EXPECT_EQ(TestDriver::messageLines(*box), (std::vector<std::string>{"Record Update Error", "Try again?"}));
  EXPECT_EQ(box->text(box->fieldOf("MessageIcon")), std::to_string(Icon::kQuestion));
  ASSERT_TRUE(d.answer("Cancel"));
  EXPECT_EQ(answer, Button::kCancel);
}

TEST(FileDialog, ReturnsTheChosenExistingFileOrCancelAndHoldsOtherThreads) {
  TestDriver d(testCatalogue());
  d.startFrame();
  std::string name = "bookmark.htm";
  int results[2] = {-1, -1};
  int presses = 0;
  d.start([&] {
    openWindow("ITEMS$LIST");
    while (acceptEvent()) presses += accepted() == 2;
  }, 50000);
  d.start([&] {
    results[0] = fileDialog("Select File", name, "All Files|*.*|HTML Files (*.htm)|*.htm");
    results[1] = fileDialog("Select File", name, "All Files|*.*");
  }, 25000);
  const FileDialog* dialog = d.fileDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->request.title, "Select File");
  EXPECT_EQ(dialog->request.fileName, "bookmark.htm");
  EXPECT_EQ(dialog->request.filters, "All Files|*.*|HTML Files (*.htm)|*.htm");
  Window* browse = d.find("Items");
  ASSERT_NE(browse, nullptr);
  EXPECT_FALSE(d.press(*browse, "&Insert"));
  EXPECT_FALSE(d.chooseFile("/no/such/folder/file.htm"));
  char existing[] = "/tmp/linkar-dialog-XXXXXX";
  int fd = mkstemp(existing);
  ASSERT_GE(fd, 0);
  ::close(fd);
  ASSERT_TRUE(d.chooseFile(existing));
  EXPECT_EQ(results[0], 1);
  EXPECT_EQ(name, existing);
  ASSERT_TRUE(d.cancelFileDialog());
  EXPECT_EQ(results[1], 0);
  EXPECT_EQ(name, existing);
  std::remove(existing);
  EXPECT_EQ(d.fileDialog(), nullptr);
  EXPECT_TRUE(d.press(*browse, "&Insert"));
  EXPECT_EQ(presses, 1);
}

TEST(ProgramStops, HaltShowsItsBoxThenEndsWithTheExitCode) {
  TestDriver d(testCatalogue());
  d.startFrame();
  bool after = false;
  d.start([&] {
    halt(3, "File damaged");
    after = true;
  }, 0);
  Window* box = d.find("Halt");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(1), "File damaged");
  EXPECT_NE(box->fieldOf("MessageIcon"), 0);
  EXPECT_FALSE(d.ended());
  ASSERT_TRUE(d.answer("OK"));
  EXPECT_TRUE(d.ended());
  EXPECT_EQ(d.exitCode(), 3);
  EXPECT_FALSE(after);
  EXPECT_EQ(d.engine().start([] {}, 0), 0);  // nothing starts once the program ends
}

TEST(ProgramStops, SilentHaltShowsNothing) {
  TestDriver d(testCatalogue());
  d.startFrame();
  d.start([] { halt(4, "unseen", true); }, 0);
  EXPECT_TRUE(d.ended());
  EXPECT_EQ(d.exitCode(), 4);
}

TEST(ProgramStops, StopOffersAbortAndIgnore) {
  TestDriver d(testCatalogue());
  d.startFrame();
  int returned = 0;
  auto stopper = [&] {
    stop("Error adding location", true);
    ++returned;
    stop("Second time");
    ++returned;
  };
  d.start(stopper, 0);
  Window* box = d.find("Stop");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(TestDriver::messageLines(*box), (std::vector<std::string>{"Error adding location", "Exit?"}));
  EXPECT_EQ(buttonTexts(d, *box), (std::vector<std::string>{"&Abort", "&Ignore"}));
  EXPECT_EQ(box->text(box->focus()), "&Abort");
  ASSERT_TRUE(d.answer("&Ignore"));
  EXPECT_EQ(returned, 1);
  box = d.find("Stop");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(TestDriver::messageLines(*box), std::vector<std::string>{"Second time"});
  ASSERT_TRUE(d.answerKey(Key::kEnterKey));  // Abort, the default
  EXPECT_EQ(returned, 1);
  EXPECT_TRUE(d.ended());
  EXPECT_EQ(d.exitCode(), 0);
}

TEST(Popup, ChoosesAnEnabledItemOrNothing) {
  TestDriver d(testCatalogue());
  d.startFrame();
  int chosen = -1;
  d.start([&] { chosen = popup("&Insert|~&Change|-|&Delete"); }, 0);
  const PopupMenu* menu = d.popup();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->items, (std::vector<std::string>{"&Insert", "&Change", "-", "&Delete"}));
  EXPECT_FALSE(d.choosePopup("&Change"));  // disabled
  ASSERT_TRUE(d.choosePopup("Delete"));
  EXPECT_EQ(chosen, 3);
  d.start([&] { chosen = popup("&Select"); }, 0);
  ASSERT_TRUE(d.choosePopup(""));
  EXPECT_EQ(chosen, 0);
}

}  // namespace
}  // namespace linkar::ui
