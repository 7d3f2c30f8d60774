// Thread tests: start and wait over the platform's threads.
#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

int32_t Increment(void* counter) {
  static_cast<std::atomic<int>*>(counter)->fetch_add(1);
  return 0;
}

TEST(ThreadTest, StartRunsTheRoutineAndWaitEndsIt) {
  std::atomic<int> counter{0};
  ThreadHandle handle = nullptr;
  ASSERT_EQ(ThreadStart(&handle, Increment, &counter), 1);
  EXPECT_NE(handle, nullptr);
  EXPECT_EQ(ThreadWait(handle), 1);
  EXPECT_EQ(counter.load(), 1) << "the routine has run when wait returns";
}

TEST(ThreadTest, MissingFieldOrRoutineStartsNothing) {
  std::atomic<int> counter{0};
  EXPECT_EQ(ThreadStart(nullptr, Increment, &counter), 0);
  ThreadHandle handle = reinterpret_cast<ThreadHandle>(&counter);
  EXPECT_EQ(ThreadStart(&handle, nullptr, &counter), 0);
  EXPECT_EQ(handle, reinterpret_cast<ThreadHandle>(&counter)) << "nothing stored";
  EXPECT_EQ(ThreadWait(nullptr), 0);
  EXPECT_EQ(counter.load(), 0);
}

TEST(ThreadTest, ManyThreadsEachWaitedFor) {
  std::atomic<int> counter{0};
  ThreadHandle handles[16] = {};
  for (ThreadHandle& handle : handles)
    ASSERT_EQ(ThreadStart(&handle, Increment, &counter), 1);
  for (ThreadHandle handle : handles)
    EXPECT_EQ(ThreadWait(handle), 1);
  EXPECT_EQ(counter.load(), 16);
}

struct SelfWait {
  std::atomic<ThreadHandle> handle{nullptr};
  std::atomic<int> result{-1};
};

int32_t WaitForItself(void* argument) {
  auto* self = static_cast<SelfWait*>(argument);
  while (self->handle.load() == nullptr)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  self->result.store(ThreadWait(self->handle.load()));
  return 0;
}

TEST(ThreadTest, AFailedWaitLeavesTheHandleValid) {
  SelfWait self;
  ThreadHandle handle = nullptr;
  ASSERT_EQ(ThreadStart(&handle, WaitForItself, &self), 1);
  self.handle.store(handle);
  // The thread's wait for itself fails; the owner's wait still works on the same handle.
  EXPECT_EQ(ThreadWait(handle), 1);
  EXPECT_EQ(self.result.load(), 0);
}

}  // namespace
