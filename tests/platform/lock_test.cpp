// The lock operations: statuses, and mutual exclusion between real threads.
#include <gtest/gtest.h>

#include <thread>

#include "platform/lock.h"

namespace {

TEST(Lock, MissingLockIsMinusOneAndEveryOtherCallZero) {
  EXPECT_EQ(LockInitialize(nullptr), -1);
  EXPECT_EQ(LockEnter(nullptr), -1);
  EXPECT_EQ(LockLeave(nullptr), -1);
  EXPECT_EQ(LockDelete(nullptr), -1);
  Lock lock;
  EXPECT_EQ(LockInitialize(&lock), 0);
  EXPECT_EQ(LockEnter(&lock), 0);
  EXPECT_EQ(LockLeave(&lock), 0);
  EXPECT_EQ(LockDelete(&lock), 0);
}

TEST(Lock, GuardsDataSharedByTwoThreads) {
  Lock lock;
  LockInitialize(&lock);
  long counter = 0;
  constexpr int kRounds = 100000;
  auto work = [&] {
    for (int i = 0; i < kRounds; ++i) {
      ASSERT_EQ(LockEnter(&lock), 0);
      ++counter;
      ASSERT_EQ(LockLeave(&lock), 0);
    }
  };
  std::thread other(work);
  work();
  other.join();
  EXPECT_EQ(counter, 2L * kRounds);
}

}  // namespace
