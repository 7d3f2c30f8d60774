#include "platform/lock.h"

// A std::mutex is ready as soon as it is constructed and released with its owner, so
// initialising and deleting have nothing to do beyond the missing-lock check.
int32_t LockInitialize(Lock* lock) {
  return lock == nullptr ? -1 : 0;
}

int32_t LockEnter(Lock* lock) {
  if (lock == nullptr) return -1;
  lock->mutex.lock();
  return 0;
}

int32_t LockLeave(Lock* lock) {
  if (lock == nullptr) return -1;
  lock->mutex.unlock();
  return 0;
}
