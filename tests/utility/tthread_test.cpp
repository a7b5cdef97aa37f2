#include <gtest/gtest.h>

#include <atomic>

#include "utility/tthread.h"

namespace {

// Counts how often it ran and was destroyed.
struct Probe : Runable {
  Probe(std::atomic<int>& runs, std::atomic<int>& deaths, DWORD workMs)
      : runs_(runs), deaths_(deaths), workMs_(workMs) {}
  ~Probe() override { ++deaths_; }
  void run() override {
    ++runs_;
    Sleep(workMs_);
  }
  std::atomic<int>& runs_;
  std::atomic<int>& deaths_;
  DWORD workMs_;
};

}  // namespace

TEST(TThread, StartsOnceUntilStopped) {
  std::atomic<int> runs{0}, deaths{0};
  TThread thread;
  ASSERT_TRUE(thread.start(new Probe(runs, deaths, 0)));
  while (thread.isRunning()) Sleep(5);
  Probe second(runs, deaths, 0);
  EXPECT_FALSE(thread.start(&second));  // the ended thread is still held
  thread.stop(1000);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(deaths, 1);
  EXPECT_TRUE(thread.start(new Probe(runs, deaths, 0)));
  thread.stop(1000);
  EXPECT_EQ(runs, 2);
}

TEST(TThread, StopWaitsForAThreadThatEndsInTime) {
  std::atomic<int> runs{0}, deaths{0};
  TThread thread;
  ASSERT_TRUE(thread.start(new Probe(runs, deaths, 400)));
  DWORD start = GetTickCount();
  thread.stop(8000);
  DWORD took = GetTickCount() - start;
  EXPECT_LT(took, 4000u);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(deaths, 1);
}

TEST(TThread, StopEndsAThreadThatNeverEndsAfterTheLimit) {
  std::atomic<int> runs{0}, deaths{0};
  TThread thread;
  ASSERT_TRUE(thread.start(new Probe(runs, deaths, INFINITE)));
  while (runs == 0) Sleep(5);
  DWORD start = GetTickCount();
  thread.stop(500);
  DWORD took = GetTickCount() - start;
  EXPECT_GE(took, 450u);
  EXPECT_LT(took, 5000u);
  EXPECT_EQ(deaths, 1);
  EXPECT_FALSE(thread.isRunning());
}

TEST(TThread, SignalSetsTheFlagAndWakesTheWorker) {
  TThread thread;
  std::atomic<bool> woke{false};
  ASSERT_TRUE(thread.start(makeRunable([&] {
    woke = WaitForSingleObject(thread.wakeEvent(), 5000) == WAIT_OBJECT_0 && thread.isStopping();
  })));
  Sleep(50);
  thread.signal();
  thread.stop(5000);
  EXPECT_TRUE(woke);
  EXPECT_FALSE(thread.isStopping());
}
