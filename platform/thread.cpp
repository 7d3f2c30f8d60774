#include "platform/thread.h"

#include <pthread.h>

#include <new>

struct PlatformThread {
  pthread_t id;
  ThreadRoutine routine;
  void* argument;
};

namespace {

void* RunRoutine(void* thread) {
  auto* self = static_cast<PlatformThread*>(thread);
  self->routine(self->argument);
  return nullptr;
}

}  // namespace

int ThreadStart(ThreadHandle* handle, ThreadRoutine routine, void* argument) {
  if (handle == nullptr || routine == nullptr) return 0;
  *handle = nullptr;
  auto* thread = new (std::nothrow) PlatformThread{pthread_t{}, routine, argument};
  if (thread == nullptr) return 0;
  if (pthread_create(&thread->id, nullptr, RunRoutine, thread) != 0) {
    delete thread;
    return 0;
  }
  *handle = thread;
  return 1;
}

int ThreadWait(ThreadHandle handle) {
  if (handle == nullptr) return 0;
  // Fails for a thread waiting for itself; the handle then stays valid.
  if (pthread_join(handle->id, nullptr) != 0) return 0;
  delete handle;
  return 1;
}
