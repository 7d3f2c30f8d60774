// Reads and writes under the link's time-outs, timed with poll on a blocking descriptor.
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <algorithm>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <ctime>

#include "platform/monotonic_clock.h"
#include "platform/serial_port.h"

namespace {

// A tty reports room for writing once its queue is below this; never write more at once,
// so a write does not block past its deadline.
constexpr uint32_t kWriteSlice = 256;

constexpr int64_t kNsPerMs = 1000000;
// A read looks at the line now and then instead of waking for every few bytes that a
// slow line brings (a receiver at 9600 baud hands over a byte or two at a time). A
// quiet line is looked at every quarter of the interval, at most every kQuietLookMs;
// a busy one when, at the rate its bytes came, the buffer would be full, but never
// sooner than kBusyLookMinMs. The driver keeps the bytes meanwhile, and a read never
// returns early: only a little late, by at most one look.
constexpr int64_t kQuietLookMs = 500;
constexpr int64_t kIntervalLooks = 4;
constexpr int64_t kBusyLookMinMs = 10;

// Whole milliseconds for poll until `deadline` (rounded up, so a wait never ends
// early); 0 when it has passed.
int Remaining(int64_t deadline) {
  const int64_t left = (deadline - MonotonicNs() + kNsPerMs - 1) / kNsPerMs;
  if (left <= 0) return 0;
  return left < INT32_MAX ? static_cast<int>(left) : INT32_MAX;
}

}  // namespace

SerialWaker SerialWakerCreate() {
  const int waker = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  return waker >= 0 ? waker : kNoSerialWaker;
}

void SerialWakerWake(SerialWaker waker) {
  const uint64_t one = 1;
  if (waker >= 0) (void)!write(waker, &one, sizeof one);
}

namespace {

// Waits until `deadline` unless the waker is woken; true when it was.
bool WokenBefore(SerialWaker waker, int64_t deadline) {
  pollfd wait{waker, POLLIN, 0};
  for (;;) {
    const int ready = poll(&wait, 1, Remaining(deadline));
    if (ready >= 0) return ready > 0 && wait.revents != 0;
    if (errno != EINTR) return false;
  }
}

}  // namespace

int SerialWakerWait(SerialWaker waker, uint64_t ms) {
  const int64_t left = ms < static_cast<uint64_t>(INT64_MAX / kNsPerMs / 2)
                           ? static_cast<int64_t>(ms) * kNsPerMs
                           : INT64_MAX / 2;
  return WokenBefore(waker, MonotonicNs() + left) ? 1 : 0;
}

void SerialWakerClose(SerialWaker waker) {
  if (waker >= 0) close(waker);
}

namespace {

// Takes what has arrived, without waiting: the count (0: nothing yet), or -1 when the
// line hung up, the device is gone or the connection was closed.
int32_t TakeArrived(SerialPort port, char* bytes, uint32_t room) {
  pollfd look{port, POLLIN | POLLRDHUP, 0};
  int ready;
  while ((ready = poll(&look, 1, 0)) < 0 && errno == EINTR) {
  }
  if (ready < 0) return -1;
  if (ready == 0) return 0;
  const short gone = POLLHUP | POLLERR | POLLNVAL | POLLRDHUP;
  if ((look.revents & POLLIN) == 0) return (look.revents & gone) != 0 ? -1 : 0;
  const ssize_t count = read(port, bytes, room);
  if (count > 0) return static_cast<int32_t>(count);
  if (count < 0) return errno == EINTR || errno == EAGAIN ? 0 : -1;
  return (look.revents & gone) != 0 ? -1 : 0;
}

int64_t Clamp(int64_t value, int64_t low, int64_t high) {
  return std::max(low, std::min(value, high));
}

}  // namespace

uint32_t SerialPortWaitingCount(SerialPort port) {
  int waiting = 0;
  if (port < 0 || ioctl(port, FIONREAD, &waiting) != 0 || waiting < 0) return 0;
  return static_cast<uint32_t>(waiting);
}

int32_t SerialPortTakeArrived(SerialPort port, void* buffer, uint32_t max) {
  if (port < 0 || buffer == nullptr) return -1;
  return TakeArrived(port, static_cast<char*>(buffer), max);
}

int32_t SerialPortRead(SerialPort port, const SerialTimeouts& timeouts, void* buffer, uint32_t max,
                       SerialWaker waker) {
  if (port < 0 || buffer == nullptr) return -1;
  auto* bytes = static_cast<char*>(buffer);
  const int64_t start = MonotonicNs();
  const int64_t total_deadline =
      start + static_cast<int64_t>(SerialReadBoundMs(timeouts, max)) * kNsPerMs;
  const int64_t interval = static_cast<int64_t>(timeouts.read_interval_ms) * kNsPerMs;
  const int64_t quiet_look =
      std::max<int64_t>(
          1, std::min<int64_t>(kQuietLookMs, timeouts.read_interval_ms / kIntervalLooks)) *
      kNsPerMs;
  uint32_t got = 0;
  int64_t last_look = start;
  int64_t last_bytes_seen = start;
  for (;;) {
    const int32_t taken = got < max ? TakeArrived(port, bytes + got, max - got) : 0;
    const int64_t now = MonotonicNs();
    if (taken < 0) return got > 0 ? static_cast<int32_t>(got) : -1;
    got += static_cast<uint32_t>(taken);
    if (got == max) return static_cast<int32_t>(got);
    // The interval runs from the last byte received (as far as a look can tell: never
    // earlier than it came), within the total bound.
    if (taken > 0) last_bytes_seen = now;
    const int64_t deadline =
        got > 0 ? std::min(total_deadline, last_bytes_seen + interval) : total_deadline;
    if (now >= deadline) return static_cast<int32_t>(got);
    int64_t look = quiet_look;
    if (taken > 0) {
      const int64_t elapsed = std::max<int64_t>(now - last_look, 1);
      look = Clamp(static_cast<int64_t>(max - got) * elapsed / taken, kBusyLookMinMs * kNsPerMs,
                   quiet_look);
    }
    last_look = now;
    if (WokenBefore(waker, std::min(deadline, now + look))) return static_cast<int32_t>(got);
  }
}

int32_t SerialPortWrite(SerialPort port, const SerialTimeouts& timeouts, const void* bytes,
                        uint32_t count) {
  if (port < 0 || bytes == nullptr) return -1;
  const auto* data = static_cast<const char*>(bytes);
  const int64_t deadline =
      MonotonicNs() + (static_cast<int64_t>(timeouts.write_total_multiplier_ms) * count +
                       timeouts.write_total_constant_ms) *
                          kNsPerMs;
  uint32_t done = 0;
  while (done < count) {
    pollfd wait{port, POLLOUT, 0};
    const int ready = poll(&wait, 1, Remaining(deadline));
    if (ready < 0) {
      if (errno == EINTR) continue;
      return done > 0 ? static_cast<int32_t>(done) : -1;
    }
    if (ready == 0) break;  // the write time-out passed
    if ((wait.revents & POLLOUT) == 0) return done > 0 ? static_cast<int32_t>(done) : -1;
    const uint32_t slice = count - done < kWriteSlice ? count - done : kWriteSlice;
    const ssize_t written = write(port, data + done, slice);
    if (written < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      return done > 0 ? static_cast<int32_t>(done) : -1;
    }
    done += static_cast<uint32_t>(written);
  }
  return static_cast<int32_t>(done);
}
