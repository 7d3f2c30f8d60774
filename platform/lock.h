// Locks guarding data shared between the UI thread and a worker.
#pragma once

#include <cstdint>
#include <mutex>

// Not recursive: no path takes a lock it already holds.
struct Lock {
  std::mutex mutex;
};

// Each returns -1 for a null lock and 0 otherwise.
int32_t LockInitialize(Lock* lock);
int32_t LockEnter(Lock* lock);
int32_t LockLeave(Lock* lock);
