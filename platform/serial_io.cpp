// Reads and writes under the link's time-outs, timed with poll on a blocking descriptor.
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <algorithm>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <ctime>

#include "platform/serial_port.h"

namespace {

// The read size the multiplier is scaled by when T is turned into a multiplier.
constexpr int32_t kReadChunk = 1023;
// A tty reports room for writing once its queue is below this; never write more at once,
// so a write does not block past its deadline.
constexpr uint32_t kWriteSlice = 256;

constexpr int64_t kNsPerMs = 1000000;
// How long a partial read lets more bytes gather: an eighth of the interval, at most
// 20 ms, so a 1 Hz receiver wakes the reader a few dozen times a second, not hundreds.
constexpr int64_t kNapFractionOfInterval = 8;
constexpr int64_t kNapMaxMs = 20;
// A read that brings fewer bytes than this comes from a slow line; faster streams
// fill the buffer by themselves and are read without a pause.
constexpr ssize_t kSlowLineBytes = 32;

int64_t NowNs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 * kNsPerMs + now.tv_nsec;
}

// Whole milliseconds for poll until `deadline` (rounded up, so a wait never ends
// early); 0 when it has passed.
int Remaining(int64_t deadline) {
  const int64_t left = (deadline - NowNs() + kNsPerMs - 1) / kNsPerMs;
  if (left <= 0) return 0;
  return left < INT32_MAX ? static_cast<int>(left) : INT32_MAX;
}

}  // namespace

SerialTimeouts SerialTimeoutsFor(int32_t timeout_ms) {
  const uint32_t constant = timeout_ms > 0 ? static_cast<uint32_t>(timeout_ms) : 1;
  uint32_t multiplier = constant / kReadChunk;
  if (multiplier == 0) multiplier = 1;
  return SerialTimeouts{constant, multiplier, constant, multiplier, constant};
}

uint64_t SerialReadBoundMs(const SerialTimeouts& timeouts, uint32_t max) {
  return static_cast<uint64_t>(timeouts.read_total_multiplier_ms) * max +
         timeouts.read_total_constant_ms;
}

SerialWaker SerialWakerCreate() {
  const int waker = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  return waker >= 0 ? waker : kNoSerialWaker;
}

void SerialWakerWake(SerialWaker waker) {
  const uint64_t one = 1;
  if (waker >= 0) (void)!write(waker, &one, sizeof one);
}

void SerialWakerWait(SerialWaker waker, uint64_t ms) {
  const int64_t deadline = NowNs() + static_cast<int64_t>(ms) * kNsPerMs;
  pollfd wait{waker, POLLIN, 0};
  while (poll(&wait, 1, Remaining(deadline)) < 0 && errno == EINTR) {
  }
}

void SerialWakerClose(SerialWaker waker) {
  if (waker >= 0) close(waker);
}

namespace {

// A slow line (a receiver at 4800 or 9600 baud) would wake the reader for every byte
// or two. Letting the bytes gather for a fraction of the interval first costs no data
// (the driver buffers them) and delays a line end by at most that fraction. Returns
// true when the link was woken for closing meanwhile.
bool NapForMoreBytes(const SerialTimeouts& timeouts, int64_t total_deadline, SerialWaker waker) {
  const int64_t nap_end =
      NowNs() +
      std::min<int64_t>(timeouts.read_interval_ms / kNapFractionOfInterval, kNapMaxMs) * kNsPerMs;
  pollfd wait = {waker, POLLIN, 0};
  const int ready = poll(&wait, 1, Remaining(std::min(nap_end, total_deadline)));
  return ready > 0 && wait.revents != 0;
}

}  // namespace

int32_t SerialPortRead(SerialPort port, const SerialTimeouts& timeouts, void* buffer, uint32_t max,
                       SerialWaker waker) {
  if (port < 0 || buffer == nullptr) return -1;
  auto* bytes = static_cast<char*>(buffer);
  const int64_t total_deadline =
      NowNs() + static_cast<int64_t>(SerialReadBoundMs(timeouts, max)) * kNsPerMs;
  int64_t deadline = total_deadline;
  uint32_t got = 0;
  while (got < max) {
    pollfd waits[2] = {{port, POLLIN, 0}, {waker, POLLIN, 0}};
    const int ready = poll(waits, 2, Remaining(deadline));
    if (ready < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (ready == 0 || waits[1].revents != 0) return static_cast<int32_t>(got);
    const pollfd& wait = waits[0];
    const ssize_t count = read(port, bytes + got, max - got);
    if (count > 0) {
      got += static_cast<uint32_t>(count);
      // The interval runs from the last byte received, within the total bound.
      const int64_t interval_end = NowNs() + timeouts.read_interval_ms * kNsPerMs;
      deadline = interval_end < total_deadline ? interval_end : total_deadline;
      if (got < max && count < kSlowLineBytes && NapForMoreBytes(timeouts, total_deadline, waker))
        break;
      continue;
    }
    if (count < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    // Nothing to read although poll said so: the line hung up or the device is gone.
    if (count == 0 && (wait.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0) continue;
    break;
  }
  if (got == max) return static_cast<int32_t>(got);
  return got > 0 ? static_cast<int32_t>(got) : -1;
}

int32_t SerialPortWrite(SerialPort port, const SerialTimeouts& timeouts, const void* bytes,
                        uint32_t count) {
  if (port < 0 || bytes == nullptr) return -1;
  const auto* data = static_cast<const char*>(bytes);
  const int64_t deadline =
      NowNs() + (static_cast<int64_t>(timeouts.write_total_multiplier_ms) * count +
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
