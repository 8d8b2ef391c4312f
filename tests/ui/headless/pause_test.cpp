// A procedure that waits for something another thread holds tries, pauses,
// and tries again. Under the window engine the pause gives the thread's turn
// to the others and to the user: the holder's window keeps taking input, the
// driver's run() returns while the waiter is paused, and the waiter goes on
// once the holder lets go. Outside a procedure thread a pause just sleeps.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/pause.h"
#include "tests/ui/test_catalogue.h"
#include "ui/headless/test_driver.h"
#include "ui/statements.h"

namespace linkar::ui {
namespace {

// How long runUntil may take before a test gives up: far more than the few
// pauses the waiter needs.
constexpr std::int64_t kPatienceMilliseconds = 5000;
// The waiter gives up after this many tries, so that a pause that kept the
// turn (and so the holder from ever running) fails the test instead of
// hanging it.
constexpr int kMostTries = 200;

TEST(PauseBetweenTries, TheHoldersWindowTakesInputWhileTheWaiterPauses) {
  TestDriver d(testCatalogue());
  d.startFrame();
  bool held = true;
  int tries = 0;
  bool through = false;
  std::vector<int> holderSaw;

  // The holder keeps its hold until the user presses "&Delete".
  d.start([&] {
    openWindow("GROUPS$LIST");
    while (acceptEvent()) {
      if (int f = accepted()) holderSaw.push_back(f);
      if (accepted() == 4) held = false;
    }
  }, 50000);
  // The waiter tries until the hold is gone, pausing between tries.
  int waiter = d.start([&] {
    for (++tries; held && tries < kMostTries; ++tries) platform::pauseBetweenTries();
    through = true;
  }, 50000);

  // start() ran the threads and returned with the waiter paused.
  ASSERT_NE(waiter, 0);
  EXPECT_EQ(d.engine().scheduler().waitOf(waiter - 1), Wait::Pause);
  EXPECT_GE(tries, 1);
  EXPECT_FALSE(through);

  Window* holder = d.find("Groups");
  ASSERT_NE(holder, nullptr);
  ASSERT_TRUE(d.press(*holder, "&Insert"));
  ASSERT_TRUE(d.press(*holder, "&Change"));
  EXPECT_EQ(holderSaw, (std::vector<int>{2, 3}));
  EXPECT_FALSE(through) << "the hold is still there";
  EXPECT_EQ(d.engine().scheduler().waitOf(waiter - 1), Wait::Pause);

  // The pause is over once the clock passes it: the waiter tries again.
  int before = tries;
  ASSERT_TRUE(d.runUntil([&] { return tries > before + 1; }, kPatienceMilliseconds));
  EXPECT_FALSE(through);

  ASSERT_TRUE(d.press(*holder, "&Delete"));
  EXPECT_TRUE(d.runUntil([&] { return through; }, kPatienceMilliseconds));
  EXPECT_FALSE(d.engine().threads().inUse(waiter - 1)) << "the waiter's procedure returned";
  EXPECT_NE(d.find("Groups"), nullptr) << "the holder still waits for the user";
  // With no thread paused nothing more can happen without the user.
  EXPECT_FALSE(d.runUntil([] { return false; }, kPatienceMilliseconds));
}

TEST(PauseBetweenTries, TheEngineTakesOverThePauseAndHandsItBack) {
  int outerPauses = 0;
  platform::PauseHandler before =
      platform::setPauseHandler([&outerPauses](std::int64_t) { ++outerPauses; });
  {
    TestDriver d(testCatalogue());
    // Outside a procedure thread the engine's pause sleeps: the handler it
    // replaced is not called.
    platform::pauseBetweenTries(1);
    EXPECT_EQ(outerPauses, 0);
  }
  platform::pauseBetweenTries(1);
  EXPECT_EQ(outerPauses, 1);
  platform::setPauseHandler(std::move(before));
}

}  // namespace
}  // namespace linkar::ui
