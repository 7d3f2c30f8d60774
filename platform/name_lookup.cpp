#include "platform/name_lookup.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>
#include <new>

#include "platform/monotonic_clock.h"

namespace {

// Shared by the caller and the helper thread. Whoever comes last frees it: the caller
// when the lookup ended while it waited, else the helper once it is done.
struct Lookup {
  std::mutex mutex;
  bool done = false;       // the helper has stored its result
  bool abandoned = false;  // the caller stopped waiting
  int result = EAI_SYSTEM;
  int error = 0;  // errno of an EAI_SYSTEM result
  addrinfo* found = nullptr;
  int finished = -1;  // an eventfd the helper signals when done
  char host[256];
  char service[16];
};

void Free(Lookup* lookup) {
  if (lookup->found != nullptr) freeaddrinfo(lookup->found);
  close(lookup->finished);
  delete lookup;
}

void* RunLookup(void* argument) {
  auto* lookup = static_cast<Lookup*>(argument);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int result = getaddrinfo(lookup->host, lookup->service, &hints, &found);
  const int error = errno;
  std::unique_lock<std::mutex> lock(lookup->mutex);
  lookup->result = result;
  lookup->error = error;
  lookup->found = result == 0 ? found : nullptr;
  lookup->done = true;
  if (lookup->abandoned) {
    lock.unlock();
    Free(lookup);
    return nullptr;
  }
  const uint64_t one = 1;
  (void)!write(lookup->finished, &one, sizeof one);
  return nullptr;
}

// Starts the helper detached, with every signal blocked: the signals are for the
// program's own threads.
bool StartHelper(Lookup* lookup) {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  sigset_t all, saved;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &saved);
  pthread_t thread;
  const bool started = pthread_create(&thread, &attributes, RunLookup, lookup) == 0;
  pthread_sigmask(SIG_SETMASK, &saved, nullptr);
  pthread_attr_destroy(&attributes);
  return started;
}

// Milliseconds for poll until the deadline; -1 without one.
int PollMs(int64_t deadline_ms) {
  if (deadline_ms == 0) return -1;
  const int64_t left = deadline_ms - MonotonicMs();
  if (left <= 0) return 0;
  return left < INT_MAX ? static_cast<int>(left) : INT_MAX;
}

}  // namespace

int NameLookup(const char* host, const char* service, SerialWaker waker, int64_t deadline_ms,
               addrinfo** found) {
  *found = nullptr;
  auto* lookup = new (std::nothrow) Lookup;
  if (lookup == nullptr || strlen(host) >= sizeof lookup->host ||
      strlen(service) >= sizeof lookup->service) {
    delete lookup;
    errno = EINVAL;
    return EAI_SYSTEM;
  }
  strcpy(lookup->host, host);
  strcpy(lookup->service, service);
  lookup->finished = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (lookup->finished < 0 || !StartHelper(lookup)) {
    const int error = lookup->finished < 0 ? errno : EAGAIN;
    Free(lookup);
    errno = error;
    return EAI_SYSTEM;
  }
  pollfd waits[2] = {{lookup->finished, POLLIN, 0}, {waker, POLLIN, 0}};
  int ready;
  while ((ready = poll(waits, waker >= 0 ? 2 : 1, PollMs(deadline_ms))) < 0 && errno == EINTR) {
  }
  const int wait_error = ready < 0 ? errno : ready == 0 ? ETIMEDOUT : ECANCELED;
  std::unique_lock<std::mutex> lock(lookup->mutex);
  if (!lookup->done) {
    lookup->abandoned = true;  // the helper frees it when the lookup ends
    lock.unlock();
    errno = wait_error;
    return EAI_SYSTEM;
  }
  lock.unlock();
  const int result = lookup->result;
  const int error = lookup->error;
  *found = lookup->found;
  lookup->found = nullptr;
  Free(lookup);
  if (result == EAI_SYSTEM) errno = error;
  return result;
}
