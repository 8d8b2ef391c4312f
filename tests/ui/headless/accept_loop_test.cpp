// The accept loop and the window statements as procedures use them: the
// order of events, EVENT(), FIELD() and ACCEPTED(), posting, the accept-all
// pass, user input turned into events, timers, the event trace, and the
// runtime errors of the engine (checked in a forked child, since a runtime
// error ends the process).

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tests/ui/test_catalogue.h"
#include "ui/headless/test_driver.h"
#include "ui/statements.h"

namespace linkar::ui {
namespace {

struct ChildResult {
  int exitCode = -1;
  std::string output;
};

// Runs body in a child process that must end within a few seconds; what it
// writes to the descriptor it is given comes back as output.
ChildResult runInChild(const std::function<void(int fd)>& body) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  std::fflush(nullptr);  // the child must not repeat buffered output
  pid_t pid = fork();
  if (pid == 0) {
    ::close(fds[0]);
    alarm(10);  // never hang the suite
    body(fds[1]);
    _exit(99);  // the body was expected to end the process itself
  }
  ::close(fds[1]);
  ChildResult r;
  char buffer[512];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0) r.output.append(buffer, static_cast<size_t>(n));
  ::close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  return r;
}

// In the child: runs `procedure` on a started thread under the frame, and
// once everything waits, writes the open message box's title and text and
// answers it with "OK".
void reportRuntimeErrorBox(int fd, Procedure procedure) {
  TestDriver d(testCatalogue());
  d.startFrame();
  d.start(std::move(procedure), 0);
  Window* box = d.messageBox();
  std::string seen = box ? box->title() + "|" + box->text(1) : std::string("no box");
  if (write(fd, seen.data(), seen.size()) < 0) _exit(98);
  d.answer("OK");
}

TEST(AcceptLoop, WithoutAWindowRaises537AndEndsWithCode2) {
  ChildResult r = runInChild([](int fd) {
    reportRuntimeErrorBox(fd, [] {
      while (acceptEvent()) {
      }
    });
  });
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.output, "Runtime error|ACCEPT loop requires a window");
}

TEST(AcceptLoop, TheRuntimeErrorBoxHoldsEveryOtherThread) {
  ChildResult r = runInChild([](int fd) {
    TestDriver d(testCatalogue());
    d.startFrame();
    d.start([] {
      openWindow("ITEMS$LIST");
      while (acceptEvent()) {
      }
    }, 50000);
    d.start([] { closeWindow(12345); }, 0);
    Window* browse = d.find("Items");
    std::string seen = browse && d.messageBox() && !d.press(*browse, "&Insert") ? "held" : "not held";
    if (write(fd, seen.data(), seen.size()) < 0) _exit(98);
    d.answer("OK");
  });
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.output, "held");
}

TEST(AcceptLoop, OpenTimeFailuresRaiseTheirRuntimeErrors) {
  struct { const char* what; Procedure procedure; const char* text; } cases[] = {
      {"same window twice", [] { openWindow("SAVE$WINDOW"); openWindow("SAVE$WINDOW"); }, "Window is already open"},
      {"unknown label", [] { openWindow("NOSUCH$WINDOW"); }, "Unable to open WINDOW"},
      {"a report", [] { openWindow("ITEMS$REPORT"); }, "Unable to open WINDOW"},
      {"second frame", [] { openWindow("DESK$FRAME"); }, "Unable to open APPLICATION (APPLICATION already active)"},
      {"report twice", [] { openReport("ITEMS$REPORT"); openReport("ITEMS$REPORT"); },
       "Report is already open"},
      {"event to a report", [] { Engine::instance()->loop().postTo(openReport("ITEMS$REPORT"), Event::Accepted, 1); },
       "Event posted to a report control"},
      {"a window as a report", [] { openReport("SAVE$WINDOW"); }, "Unable to open WINDOW"},
      {"closing twice", [] { int w = openWindow("SAVE$WINDOW"); closeWindow(w); closeWindow(w); }, "Window is not open"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ChildResult r = runInChild([&](int fd) { reportRuntimeErrorBox(fd, c.procedure); });
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.output, std::string("Runtime error|") + c.text);
  }
}

TEST(AcceptLoop, MdiWindowsNeedTheFrameOnAnotherThread) {
  ChildResult r = runInChild([](int fd) {
    TestDriver d(testCatalogue());
    d.startProgram([] {
      openWindow("DESK$FRAME");
      openWindow("ITEMS$LIST");
    });
    Window* box = d.messageBox();
    std::string seen = box ? box->text(1) : std::string("no box");
    if (write(fd, seen.data(), seen.size()) < 0) _exit(98);
    d.answer("OK");
  });
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.output, "Unable to open MDI window on APPLICATION's thread");

  r = runInChild([](int fd) {
    TestDriver d(testCatalogue());
    d.startProgram([] { openWindow("ITEMS$LIST"); });
    Window* box = d.messageBox();
    std::string seen = box ? box->text(1) : std::string("no box");
    if (write(fd, seen.data(), seen.size()) < 0) _exit(98);
    d.answer("OK");
  });
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_EQ(r.output, "Unable to open MDI window (No APPLICATION active)");
}

struct Seen {
  int event, field, accepted;
};

TEST(AcceptLoop, DeliversOpenWindowFirstThenUserEventsWithTheirFields) {
  TestDriver d(testCatalogue());
  d.startFrame();
  std::vector<Seen> seen;
  d.start([&] {
    openWindow("ITEMS$LIST");
    while (acceptEvent()) {
      seen.push_back({event(), field(), accepted()});
      if (accepted() == 12) post(Event::CloseWindow);
    }
    seen.push_back({event(), field(), accepted()});
  }, 50000);
  Window* w = d.find("ITEMS$LIST");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->title(), "Items");
  ASSERT_TRUE(d.press(*w, "&Change"));
  ASSERT_TRUE(d.chooseTab(*w, "Rank"));
  EXPECT_EQ(w->state(5).selection, 4);
  ASSERT_TRUE(d.press(*w, "Close"));
  ASSERT_EQ(seen.size(), 6u);
  EXPECT_EQ(seen[0].event, Event::OpenWindow);
  EXPECT_EQ(seen[0].field, 0);
  EXPECT_EQ(seen[1].event, Event::Accepted);
  EXPECT_EQ(seen[1].field, 3);
  EXPECT_EQ(seen[1].accepted, 3);
  EXPECT_EQ(seen[2].event, Event::NewSelection);
  EXPECT_EQ(seen[2].field, 5);
  EXPECT_EQ(seen[2].accepted, 0);
  EXPECT_EQ(seen[3].accepted, 12);
  EXPECT_EQ(seen[4].event, Event::CloseWindow);
  EXPECT_EQ(seen[4].field, 0);
  // The loop has ended: EVENT() is 0 outside an event.
  EXPECT_EQ(seen[5].event, 0);
  EXPECT_EQ(d.find("Items"), nullptr);
}

TEST(AcceptLoop, EventsTravelAsWindowMessagesAndEventIsZeroOutsideThem) {
  TestDriver d(testCatalogue());
  d.startFrame();
  int queued = 0, before = -1, during = 0;
  d.start([&] {
    before = event();
    Window& w = *Engine::instance()->window(openWindow("SAVE$WINDOW"));
    queued = w.queue().front().message;
    while (acceptEvent()) {
      during = event();
      break;
    }
  }, 25000);
  EXPECT_EQ(before, 0);
  EXPECT_EQ(queued, 0x1400 + 0x203);
  EXPECT_EQ(during, Event::OpenWindow);
}

TEST(AcceptLoop, HiddenOrDisabledControlsAndBlockedWindowsRefuseInput) {
  TestDriver d(testCatalogue());
  d.startFrame();
  d.start([] {
    int w = openWindow("ITEMS$LIST");
    Engine::instance()->window(w)->setEnabled(3, false);
    Engine::instance()->window(w)->setHidden(4, true);
    while (acceptEvent()) {
      if (accepted() == 2) message("Sure?", "Insert", "", Icon::kQuestion, Button::kYes | Button::kNo);
    }
  }, 50000);
  Window* w = d.find("Items");
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(d.press(*w, "&Change"));
  EXPECT_FALSE(d.press(*w, "&Delete"));
  EXPECT_FALSE(d.press(*w, "No such button"));
  ASSERT_TRUE(d.press(*w, "&Insert"));
  ASSERT_NE(d.messageBox(), nullptr);
  // The box is modal to its thread: the browse takes no input meanwhile.
  EXPECT_FALSE(d.press(*w, "Close"));
  EXPECT_TRUE(d.answer("No"));
  EXPECT_TRUE(d.press(*w, "Close"));
}

TEST(AcceptAll, RejectsARankOfThreeDigitsThenCompletes) {
  TestDriver d(testCatalogue());
  d.startFrame();
  std::string name = "http://old/", rank = "5";
  std::vector<Seen> seen;
  d.start([&] {
    int id = openWindow("ITEM$FORM");
    Window& w = *Engine::instance()->window(id);
    w.bind(w.fieldOf("ITEM:NAME"), {[&] { return name; }, [&](std::string_view v) { name = v; }});
    w.bind(w.fieldOf("ITEM:RANK"), {[&] { return rank; }, [&](std::string_view v) { rank = v; }});
    display();
    while (acceptEvent()) {
      seen.push_back({event(), field(), accepted()});
      if (accepted() == w.fieldOf("OK")) acceptAll();
      if (event() == Event::Rejected) {
        beep();
        selectControl(field());
      }
      if (event() == Event::Completed) post(Event::CloseWindow);
    }
  }, 50000);
  Window* w = d.find("Item Details");
  ASSERT_NE(w, nullptr);
  int nameField = w->fieldOf("ITEM:NAME");
  int rankField = w->fieldOf("ITEM:RANK");
  EXPECT_EQ(w->text(nameField), "http://old/" + std::string(49, ' '));  // @S60 pads
  EXPECT_EQ(w->text(rankField), " 5");  // shown under @N2

  // What the user left in the controls without accepting them one by one.
  w->setText(nameField, "http://new/");
  w->setText(rankField, "123");
  ASSERT_TRUE(d.press(*w, "OK"));
  ASSERT_EQ(seen.back().event, Event::Rejected);
  EXPECT_EQ(seen.back().field, rankField);
  EXPECT_EQ(w->focus(), rankField);
  EXPECT_EQ(d.backend().beeps(), 1);
  EXPECT_EQ(rank, "5");  // nothing of the refused value reached the variable

  w->setText(rankField, "12");
  ASSERT_TRUE(d.press(*w, "OK"));
  EXPECT_EQ(name, "http://new/");
  EXPECT_EQ(rank, "12");
  EXPECT_EQ(d.find("Item Details"), nullptr);
  ASSERT_GE(seen.size(), 2u);
  EXPECT_EQ(seen[seen.size() - 2].event, Event::Completed);
  EXPECT_EQ(seen[seen.size() - 2].field, 0);
}

TEST(UserInput, TypingAcceptsIntoTheVariableOrRejects) {
  TestDriver d(testCatalogue());
  d.startFrame();
  std::string page = "1";
  std::vector<Seen> seen;
  d.start([&] {
    int id = openWindow("PAGE$WINDOW");
    Window& w = *Engine::instance()->window(id);
    w.bind(2, {[&] { return page; }, [&](std::string_view v) { page = v; }});
    display();
    while (acceptEvent()) seen.push_back({event(), field(), accepted()});
  }, 50000);
  Window* w = d.find("Go to a Page");
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(d.type(*w, "PageNumber", "42"));
  EXPECT_EQ(page, "42");
  EXPECT_EQ(seen.back().accepted, 2);
  ASSERT_TRUE(d.type(*w, "PageNumber", "4x"));
  EXPECT_EQ(seen.back().event, Event::Rejected);
  EXPECT_EQ(page, "42");
  EXPECT_EQ(w->statusText(1), "Select a page");
  // Enter on a window presses its default button.
  ASSERT_TRUE(d.key(*w, "Page:", Key::kEnterKey));
  EXPECT_EQ(seen.back().accepted, 3);
  EXPECT_FALSE(d.type(*w, "OK", "text into a button"));
}

TEST(UserInput, AltWithAMnemonicLetterActsOnItsControl) {
  TestDriver d(testCatalogue());
  d.startFrame();
  std::vector<Seen> seen;
  d.start([&] {
    openWindow("ITEM$FORM");
    while (acceptEvent()) seen.push_back({event(), field(), accepted()});
  }, 50000);
  Window* w = d.find("Item Details");
  ASSERT_NE(w, nullptr);
  // "&Rank:" is a prompt: the rank entry after it takes the focus.
  ASSERT_TRUE(d.key(*w, "", Key::kAlt | 'R'));
  EXPECT_EQ(w->focus(), w->fieldOf("ITEM:RANK"));
  EXPECT_EQ(seen.back().event, Event::Selected);
  EXPECT_FALSE(d.key(*w, "", Key::kAlt | 'Z'));
}

TEST(UserInput, ListsReportRowsKeysAndScrolling) {
  TestDriver d(testCatalogue());
  d.startFrame();
  std::vector<std::string> queue = {"Arts", "Books", "News"};
  std::vector<Seen> seen;
  std::vector<int> keys;
  d.start([&] {
    int id = openWindow("GROUPS$LIST");
    Window& w = *Engine::instance()->window(id);
    w.setListSource(1, {[&] { return queue.size(); }, [&](size_t r, size_t) { return queue[r]; }});
    w.state(1).alertKeys = {Key::kInsertKey, Key::kMouseLeft2, 'N'};
    display();
    selectControl(1, 1);
    while (acceptEvent()) {
      seen.push_back({event(), field(), accepted()});
      keys.push_back(keyCode());
    }
  }, 50000);
  Window* w = d.find("Groups");
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(TestDriver::rows(*w, "Browse").size(), 3u);
  EXPECT_EQ(TestDriver::rows(*w, "Browse")[1][0], "Books          ");  // @s15
  EXPECT_GT(w->visibleRows(1), 3);

  ASSERT_TRUE(d.chooseRow(*w, "Browse", 2));
  EXPECT_EQ(seen.back().event, Event::NewSelection);
  EXPECT_EQ(w->state(1).selection, 2);
  ASSERT_TRUE(d.chooseRow(*w, "Browse", 3, Key::kMouseRight));
  EXPECT_EQ(keys.back(), Key::kMouseRight);
  ASSERT_TRUE(d.chooseRow(*w, "Browse", 1, Key::kMouseLeft2));
  EXPECT_EQ(seen.back().event, Event::AlertKey);
  EXPECT_FALSE(d.chooseRow(*w, "Browse", 4));

  ASSERT_TRUE(d.key(*w, "Browse", Key::kUpKey));  // at the top row: scroll up
  EXPECT_EQ(seen.back().event, Event::ScrollUp);
  ASSERT_TRUE(d.key(*w, "Browse", Key::kDownKey));
  EXPECT_EQ(seen.back().event, Event::NewSelection);
  EXPECT_EQ(w->state(1).selection, 2);
  ASSERT_TRUE(d.key(*w, "Browse", Key::kPgDnKey));
  EXPECT_EQ(seen.back().event, Event::PageDown);
  ASSERT_TRUE(d.key(*w, "Browse", Key::kInsertKey));
  EXPECT_EQ(seen.back().event, Event::AlertKey);
  EXPECT_EQ(keys.back(), Key::kInsertKey);
  ASSERT_TRUE(d.typeChar(*w, "Browse", 'n'));
  EXPECT_EQ(seen.back().event, Event::AlertKey);
  EXPECT_EQ(keys.back(), 'N');
  ASSERT_TRUE(d.dragThumb(*w, "Browse", 140));
  EXPECT_EQ(seen.back().event, Event::ScrollDrag);
  EXPECT_EQ(w->state(1).thumb, 100);
}

TEST(Timers, TimerEventsDriveABatchUntilItCloses) {
  TestDriver d(testCatalogue());
  d.startFrame();
  int ticks = 0;
  d.start([&] {
    int id = openWindow("SAVE$PROGRESS");
    Window& w = *Engine::instance()->window(id);
    while (acceptEvent()) {
      if (event() != Event::Timer) continue;
      ++ticks;
      w.state(w.fieldOf("ProgressBar")).progress = ticks * 10;
      if (ticks == 10) {
        w.setText(w.fieldOf("PercentText"), "Process Completed");
        post(Event::CloseWindow);
      }
    }
  }, 25000);
  EXPECT_EQ(ticks, 10);
  EXPECT_EQ(d.find("Progress..."), nullptr);
}

TEST(Timers, RunGivesUpOnAWindowThatTicksForever) {
  TestDriver d(testCatalogue());
  d.startFrame();
  int ticks = 0;
  d.engine().start([&] {
    openWindow("SAVE$PROGRESS");
    while (acceptEvent()) ticks += event() == Event::Timer;
  }, 25000);
  EXPECT_FALSE(d.run(50));
  EXPECT_EQ(ticks, 50);
}

TEST(EventTrace, NamesEveryDeliveredEvent) {
  TestDriver d(testCatalogue());
  std::vector<std::string> lines;
  d.engine().trace().setSink([&](std::string_view l) { lines.emplace_back(l); });
  d.startFrame();
  Window* frame = d.find("Desk");
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(d.pressMenu("&Help|&About"));
  ASSERT_TRUE(d.pressMenu("File|Exit"));
  EXPECT_TRUE(d.ended());
  EXPECT_EQ(d.exitCode(), 0);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "thread 1 DESK$FRAME EVENT:OpenWindow field 0");
  EXPECT_EQ(lines[1], "thread 1 DESK$FRAME EVENT:Accepted field " + std::to_string(frame->fieldOf("About")));
  EXPECT_EQ(lines[2], "thread 1 DESK$FRAME EVENT:CloseWindow field 0");
  EXPECT_EQ(EventTrace::format(3, "X", 0x1234, 1), "thread 3 X EVENT:4660 field 1");
}

TEST(UserInput, MovingAndSizingPostTheirEventsAndFixedWindowsKeepTheirSize) {
  TestDriver d(testCatalogue());
  d.startFrame();
  std::vector<int> events;
  d.start([&] {
    openWindow("ITEMS$LIST");
    while (acceptEvent()) events.push_back(event());
  }, 50000);
  d.start([] {
    openWindow("ITEM$FORM");
    while (acceptEvent()) {
    }
  }, 50000);
  Window* browse = d.find("Items");
  Window* form = d.find("Item Details");
  ASSERT_TRUE(browse && form);
  events.clear();
  ASSERT_TRUE(d.place(*browse, Rect{10, 20, 300, 150}));
  EXPECT_EQ(events, (std::vector<int>{Event::Moved, Event::Sized}));
  EXPECT_EQ(browse->place().width, 300);
  ASSERT_TRUE(d.maximize(*browse));
  EXPECT_TRUE(browse->maximized());
  ASSERT_TRUE(d.restore(*browse));
  EXPECT_FALSE(browse->maximized());
  EXPECT_EQ(browse->place().x, 10);  // the normal place survives maximising
  ASSERT_TRUE(d.minimize(*browse));
  EXPECT_TRUE(browse->minimized());
  EXPECT_EQ(events.back(), Event::Iconized);

  ASSERT_TRUE(d.place(*form, Rect{5, 5, 500, 500}));
  EXPECT_EQ(form->place().width, form->decl().at.width);
  EXPECT_EQ(form->place().height, form->decl().at.height);
  EXPECT_FALSE(d.maximize(*form));
}

TEST(UserInput, MdiChildrenLoseAndRegainTheFocusAsTheActiveWindowChanges) {
  TestDriver d(testCatalogue());
  d.startFrame();
  std::vector<int> a, b;
  auto browse = [](std::vector<int>* events) {
    return [events] {
      openWindow("ITEMS$LIST");
      while (acceptEvent()) {
        events->push_back(event());
        if (accepted() == 12) break;
      }
    };
  };
  d.start(browse(&a), 50000);
  d.start(browse(&b), 50000);
  EXPECT_EQ(a, (std::vector<int>{Event::OpenWindow, Event::LoseFocus}));
  EXPECT_EQ(b, (std::vector<int>{Event::OpenWindow}));
  Window* first = nullptr;
  for (Window* w : d.windows())
    if (w->thread() == 1) first = w;
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(d.activate(*first));
  EXPECT_EQ(a.back(), Event::GainFocus);
  EXPECT_EQ(b.back(), Event::LoseFocus);
  EXPECT_EQ(d.engine().registry().activeWindow(), first->id());
  // Closing the active child hands the focus to the newest other one.
  ASSERT_TRUE(d.press(*first, "Close"));
  EXPECT_EQ(b.back(), Event::GainFocus);
  EXPECT_EQ(d.engine().registry().activeWindow(), d.find("Items")->id());
}

TEST(EventTrace, TheEnvironmentVariableWritesTheTraceToAFile) {
  char path[] = "/tmp/linkar-trace-XXXXXX";
  int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  ::close(fd);
  setenv("LINKAR_EVENT_TRACE", path, 1);
  {
    TestDriver d(testCatalogue());
    unsetenv("LINKAR_EVENT_TRACE");
    d.startFrame();
    d.pressMenu("File|Exit");
  }
  std::FILE* in = std::fopen(path, "r");
  ASSERT_NE(in, nullptr);
  char line[200] = {};
  ASSERT_NE(std::fgets(line, sizeof line, in), nullptr);
  EXPECT_STREQ(line, "thread 1 DESK$FRAME EVENT:OpenWindow field 0\n");
  std::fclose(in);
  std::remove(path);
}

TEST(Frame, StandardMenuActionsNeedNoApplicationCode) {
  TestDriver d(testCatalogue());
  std::vector<int> accepted;
  d.startProgram([&] {
    openWindow("DESK$FRAME");
    while (acceptEvent())
      if (ui::accepted() != 0) accepted.push_back(ui::accepted());
  });
  ASSERT_TRUE(d.pressMenu("&Window|T&ile"));
  ASSERT_TRUE(d.pressMenu("Window|Cascade"));
  ASSERT_TRUE(d.pressMenu("File|Print Setup ..."));
  ASSERT_TRUE(d.pressMenu("View|Items"));
  EXPECT_FALSE(d.pressMenu("View|Nothing"));
  EXPECT_EQ(d.backend().actions(), (std::vector<std::string>{"tile", "cascade", "printsetup"}));
  Window* frame = d.find("DESK$FRAME");
  ASSERT_EQ(accepted.size(), 1u);
  EXPECT_EQ(accepted[0], frame->fieldOf("ViewItems"));
  EXPECT_LT(accepted[0], 0);
}

TEST(Frame, ClosingTheFrameClosesDownTheOtherThreadsFirst) {
  TestDriver d(testCatalogue());
  d.startFrame();
  std::vector<int> ends;
  for (int i = 0; i < 2; ++i) {
    d.start([&ends] {
      openWindow("ITEMS$LIST");
      while (acceptEvent()) {
      }
      ends.push_back(event());
    }, 50000);
  }
  ASSERT_TRUE(d.close(*d.find("Desk")));
  EXPECT_TRUE(d.ended());
  EXPECT_EQ(ends, (std::vector<int>{0, 0}));
  EXPECT_TRUE(d.windows().empty());
}

}  // namespace
}  // namespace linkar::ui
