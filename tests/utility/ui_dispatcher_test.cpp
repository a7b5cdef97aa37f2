#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/test_support.h"
#include "utility/ui_dispatcher.h"

using testing_support::pumpUntil;

namespace {

struct Counters {
  std::atomic<int> runs{0};
  std::atomic<int> deaths{0};
  std::atomic<int> offThread{0};
};

struct Probe : Runable {
  Probe(Counters& c, DWORD uiThread) : c_(c), uiThread_(uiThread) {}
  ~Probe() override { ++c_.deaths; }
  void run() override {
    ++c_.runs;
    if (GetCurrentThreadId() != uiThread_) ++c_.offThread;
  }
  Counters& c_;
  DWORD uiThread_;
};

class UiDispatcherTest : public ::testing::Test {
 protected:
  void SetUp() override { dispatcher_ = utility::UiDispatcher::create(); }
  utility::UiDispatcher* dispatcher_ = nullptr;
};

}  // namespace

TEST_F(UiDispatcherTest, PostsFromTwoWorkersRunOnceEachOnTheUiThread) {
  Counters c;
  DWORD ui = GetCurrentThreadId();
  ASSERT_EQ(dispatcher_->threadId(), ui);
  std::thread a([&] { EXPECT_TRUE(dispatcher_->post(1, new Probe(c, ui))); });
  std::thread b([&] { EXPECT_TRUE(dispatcher_->post(2, new Probe(c, ui))); });
  a.join();
  b.join();
  EXPECT_EQ(c.runs, 0);  // nothing runs before the UI thread reads its messages
  EXPECT_TRUE(pumpUntil([&] { return c.deaths == 2; }, 5000));
  pumpUntil([] { return false; }, 100);
  EXPECT_EQ(c.runs, 2);
  EXPECT_EQ(c.offThread, 0);
}

TEST_F(UiDispatcherTest, PostToUiRunsTheCallableOnTheUiThread) {
  std::atomic<DWORD> ranOn{0};
  std::thread worker([&] { EXPECT_TRUE(postToUi([&] { ranOn = GetCurrentThreadId(); })); });
  worker.join();
  EXPECT_TRUE(pumpUntil([&] { return ranOn != 0; }, 5000));
  EXPECT_EQ(ranOn, GetCurrentThreadId());
}

TEST_F(UiDispatcherTest, TimerRunsUntilStoppedAndReleasesOnce) {
  Counters c;
  utility::UiTimer timer;
  ASSERT_TRUE(timer.start(50, new Probe(c, GetCurrentThreadId())));
  EXPECT_TRUE(pumpUntil([&] { return c.runs >= 3; }, 5000));
  timer.stop();
  int runs = c.runs;
  pumpUntil([] { return false; }, 200);
  EXPECT_EQ(c.runs, runs);
  EXPECT_EQ(c.deaths, 1);
  timer.stop();
  EXPECT_EQ(c.deaths, 1);
}

TEST_F(UiDispatcherTest, TimerMayStopItselfFromItsOwnTick) {
  utility::UiTimer timer;
  int ticks = 0;
  ASSERT_TRUE(timer.start(20, makeRunable([&] {
    if (++ticks == 3) timer.stop();
  })));
  pumpUntil([&] { return !timer.running(); }, 5000);
  pumpUntil([] { return false; }, 150);
  EXPECT_EQ(ticks, 3);
}

TEST_F(UiDispatcherTest, TimerRefusesZeroIntervalAndMissingWork) {
  Counters c;
  utility::UiTimer timer;
  EXPECT_FALSE(timer.start(0, new Probe(c, 0)));
  EXPECT_EQ(c.deaths, 1);
  EXPECT_FALSE(timer.start(100, nullptr));
}
