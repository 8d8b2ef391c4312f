// The procedure-thread contract the application relies on: the table of 64
// slots, the stack-size rule, one thread running at a time with switches
// only while waiting for the user, per-thread string stacks, and windows
// closed when a procedure returns.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "runtime/expr_eval.h"
#include "runtime/expr_parser.h"
#include "runtime/expr_symbols.h"
#include "runtime/expr_value.h"
#include "runtime/string_stack.h"
#include "tests/ui/test_catalogue.h"
#include "ui/headless/test_driver.h"
#include "ui/statements.h"

namespace linkar::ui {
namespace {

// A procedure that opens a progress-free dialog window and waits in its
// accept loop until the window closes.
void waitingProcedure() {
  openWindow("GROUPS$LIST");
  while (acceptEvent()) {
    if (accepted() == 8) post(Event::CloseWindow);  // "Close"
  }
}

TEST(ProcedureThreads, SixtyThreeStartedProceduresFillTheTable) {
  TestDriver d(testCatalogue());
  d.startFrame();
  std::vector<int> numbers;
  for (int i = 0; i < 63; ++i) numbers.push_back(d.start(waitingProcedure, 50000));
  for (int i = 0; i < 63; ++i) EXPECT_EQ(numbers[i], i + 2) << i;  // slot + 1, main is 1
  EXPECT_EQ(d.engine().threads().usedSlots(), 64);
  EXPECT_EQ(d.start(waitingProcedure, 50000), 0);
  // Every started thread waits with its own window open.
  EXPECT_EQ(d.findAll("Groups").size(), 63u);

  // Closing one frees its slot, and the next START takes exactly that one.
  Window* some = nullptr;
  for (Window* w : d.windows())
    if (w->thread() == 9) some = w;
  ASSERT_NE(some, nullptr);
  ASSERT_TRUE(d.press(*some, "Close"));
  EXPECT_FALSE(d.engine().threads().inUse(9));
  EXPECT_EQ(d.start(waitingProcedure, 0), 10);
}

TEST(ProcedureThreads, SmallStackRequestsAreRaisedTo20000) {
  TestDriver d(testCatalogue());
  d.startFrame();
  int recorded[3] = {};
  const int asked[3] = {0, 5000, 50000};
  int threads[3];
  for (int i = 0; i < 3; ++i) {
    threads[i] = d.start(
        [&, i] {
          recorded[i] = Engine::instance()->threads().recordedStackBytes(thread() - 1);
          waitingProcedure();
        },
        asked[i]);
  }
  EXPECT_EQ(recorded[0], 20000);
  EXPECT_EQ(recorded[1], 20000);
  EXPECT_EQ(recorded[2], 50000);
  EXPECT_EQ(d.engine().threads().recordedStackBytes(threads[0] - 1), 20000);
  EXPECT_EQ(d.start(waitingProcedure, -7), 5);
  EXPECT_EQ(d.engine().threads().recordedStackBytes(4), 20000);
}

TEST(ProcedureThreads, TwoProceduresInterleaveOnlyAtTheirWaitsAndKeepTheirStrings) {
  TestDriver d(testCatalogue());
  d.startFrame();
  std::vector<std::string> log;
  auto browse = [&log](std::string name) {
    return [&log, name] {
      runtime::stringStack().push(name + ":bottom");
      openWindow("GROUPS$LIST");
      while (acceptEvent()) {
        if (event() == Event::OpenWindow) {
          log.push_back(name + " open");
          continue;
        }
        if (accepted() == 2) {  // "&Insert": work that must not be interrupted
          log.push_back(name + " insert begins");
          runtime::stringStack().push(name + ":work");
          log.push_back(name + " sees " + runtime::stringStack().top());
          runtime::stringStack().pop();
          log.push_back(name + " insert ends");
        }
        if (accepted() == 8) break;
      }
      log.push_back(name + " ends with " + runtime::stringStack().top() + " and " +
                    std::to_string(runtime::stringStack().size()));
    };
  };
  int a = d.start(browse("A"), 50000);
  int b = d.start(browse("B"), 50000);
  ASSERT_EQ(a, 2);
  ASSERT_EQ(b, 3);
  Window* wa = nullptr;
  Window* wb = nullptr;
  for (Window* w : d.windows()) {
    if (w->thread() == 1) wa = w;
    if (w->thread() == 2) wb = w;
  }
  ASSERT_TRUE(wa && wb);
  // Both presses queue before either thread runs: each thread still handles
  // its own event from beginning to end without the other cutting in.
  d.engine().input().press(wa->id(), 2);
  d.engine().input().press(wb->id(), 2);
  d.run();
  ASSERT_TRUE(d.press(*wa, "Close"));
  ASSERT_TRUE(d.press(*wb, "Close"));

  // Order between the two threads is the scheduler's; within each, nothing
  // of the other appears between "begins" and "ends".
  ASSERT_EQ(log.size(), 10u);
  for (size_t i = 0; i < log.size(); ++i) {
    if (log[i].find("insert begins") == std::string::npos) continue;
    char who = log[i][0];
    EXPECT_EQ(log[i + 1], std::string(1, who) + " sees " + who + ":work");
    EXPECT_EQ(log[i + 2], std::string(1, who) + " insert ends");
  }
  EXPECT_NE(std::find(log.begin(), log.end(), "A ends with A:bottom and 1"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "B ends with B:bottom and 1"), log.end());
  // The home context's own stack saw none of it.
  EXPECT_TRUE(runtime::stringStack().empty());
}

TEST(ProcedureThreads, AProcedureThatReturnsWithItsWindowOpenLeavesNoWindow) {
  TestDriver d(testCatalogue());
  d.startFrame();
  int opened = 0;
  int t = d.start([&] {
    opened = openWindow("ITEMS$LIST");
    openWindow("ITEM$FORM");
    while (acceptEvent()) {
      if (accepted() == 16) return;  // "OK": return without closing anything
    }
  }, 50000);
  ASSERT_NE(t, 0);
  Window* form = d.find("Item Details");
  ASSERT_NE(form, nullptr);
  EXPECT_NE(d.find("Items"), nullptr);
  ASSERT_TRUE(d.press(*form, "OK"));
  EXPECT_EQ(d.find("Item Details"), nullptr);
  EXPECT_EQ(d.find("Items"), nullptr);
  EXPECT_EQ(d.engine().window(opened), nullptr);
  EXPECT_FALSE(d.engine().threads().inUse(t - 1));
  EXPECT_EQ(d.windows().size(), 1u);  // the frame alone
}

TEST(ProcedureThreads, ACalledProcedureRunsOnItsCallersThread) {
  TestDriver d(testCatalogue());
  d.startFrame();
  int callerThread = 0, calleeThread = 0;
  std::vector<int> events;
  d.start([&] {
    callerThread = thread();
    openWindow("GROUPS$LIST");
    while (acceptEvent()) {
      events.push_back(event());
      if (accepted() == 2) {
        // The form: its own window and loop, same thread.
        calleeThread = thread();
        int form = openWindow("GROUP$FORM");
        while (acceptEvent()) {
          if (accepted() == 11) post(Event::CloseWindow);  // "Cancel"
        }
        closeWindow(form);
      }
      if (accepted() == 8) break;
    }
  }, 50000);
  Window* browse = d.find("Groups");
  ASSERT_NE(browse, nullptr);
  ASSERT_TRUE(d.press(*browse, "&Insert"));
  Window* form = d.find("Group Details");
  ASSERT_NE(form, nullptr);
  // The browse's window is still open, but its loop is not the one running.
  ASSERT_TRUE(d.press(*browse, "Close"));
  EXPECT_NE(d.find("Groups"), nullptr);
  ASSERT_TRUE(d.press(*form, "Cancel"));
  EXPECT_EQ(d.find("Group Details"), nullptr);
  EXPECT_EQ(callerThread, calleeThread);
  // Back in the browse: focus regained, then the queued "Close" ends it.
  EXPECT_EQ(d.find("Groups"), nullptr);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0], Event::OpenWindow);
  EXPECT_EQ(events[1], Event::Accepted);
  EXPECT_EQ(events[2], Event::LoseFocus);  // the form took the activation
  EXPECT_EQ(events[3], Event::Accepted);   // the "Close" pressed while the form ran
}


TEST(ProcedureThreads, EachThreadEvaluatesAgainstItsOwnBindings) {
  // Two browses bind the same filter names to their own variables; a switch
  // between them must not let one see the other's bindings or scopes.
  TestDriver d(testCatalogue());
  d.startFrame();
  std::vector<std::string> seen;
  auto browse = [&seen](std::string name) {
    return [&seen, name] {
      char category[4];
      std::memcpy(category, name.c_str(), 1);
      std::memset(category + 1, ' ', 3);
      runtime::pushScope();
      runtime::bindName("CAT:CATEGORY", runtime::VariableRef{category, runtime::kVarString, 4});
      openWindow("GROUPS$LIST");
      while (acceptEvent()) {
        if (accepted() == 2) {
          runtime::ExprTree tree = runtime::compileExpression("CAT:CATEGORY & '!'");
          seen.push_back(name + "=" + (tree ? runtime::evaluateText(*tree) : std::string("no bind")));
        }
        if (accepted() == 8) break;
      }
      runtime::popScope();
    };
  };
  ASSERT_EQ(d.start(browse("A"), 50000), 2);
  ASSERT_EQ(d.start(browse("B"), 50000), 3);
  d.run();
  Window* wa = nullptr;
  Window* wb = nullptr;
  for (Window* w : d.windows()) {
    if (w->thread() == 1) wa = w;
    if (w->thread() == 2) wb = w;
  }
  ASSERT_TRUE(wa && wb);
  ASSERT_TRUE(d.press(*wa, 2));
  ASSERT_TRUE(d.press(*wb, 2));
  ASSERT_TRUE(d.press(*wa, 2));
  ASSERT_TRUE(d.press(*wa, "Close"));
  ASSERT_TRUE(d.press(*wb, "Close"));
  EXPECT_EQ(seen, (std::vector<std::string>{"A=A   !", "B=B   !", "A=A   !"}));
  EXPECT_EQ(runtime::scopeDepth(), 0u) << "the home context's scopes were never touched";
}

}  // namespace
}  // namespace linkar::ui
