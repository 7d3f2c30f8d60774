// The reader thread of a serial link.
#include "gps/line_cutter.h"
#include "gps/serial_link.h"
#include "platform/monotonic_clock.h"

namespace {

// How often a link whose device is gone tries to open it again.
constexpr uint64_t kReopenPeriodMs = 1000;

bool Running(const SerialLink* link) {
  return link->running.load(std::memory_order_relaxed) != 0;
}

// The device is gone: a line that hung up, a receiver unplugged or out of range, a
// connection dropped. Its port fails every read, so it is let go, and the same port
// name (through the ports folder, where a by-id link may now lead to another device)
// is opened with the same settings once a second until that works. The waits end at
// once when the link closes. Returns true with the port open again.
bool Reopen(SerialLink* link) {
  SerialPortClose(link->port);
  link->port = kInvalidSerialPort;
  while (Running(link)) {
    if (SerialWakerWait(link->waker, kReopenPeriodMs)) return false;
    const SerialPort port = SerialPortOpen(link->port_name, link->waker);
    if (port == kInvalidSerialPort) continue;
    if (SerialLinkApplySettings(link, port)) {
      link->port = port;
      return true;
    }
    SerialPortClose(port);
  }
  return false;
}

}  // namespace

int32_t SerialLinkReader(void* argument) {
  auto* link = static_cast<SerialLink*>(argument);
  if (link == nullptr) return 0;
  // Both buffers are the thread's own; nothing is allocated while it runs.
  char received[kLineMax];
  LineCutter cutter;
  LineCutterReset(&cutter);
  while (Running(link)) {
    const int32_t count =
        SerialPortRead(link->port, link->timeouts, received, kLineMax, link->waker);
    if (count < 0) {
      // A line cut off by the loss belongs to no sentence of the new stream.
      if (Reopen(link)) LineCutterReset(&cutter);
      continue;
    }
    if (count > 0) link->last_bytes_ms.store(MonotonicMs(), std::memory_order_relaxed);
    // Each whole line goes to the link's handler: HandleGpsLine (gps_port.cpp) for a GPS port.
    LineCutterFeed(&cutter, received, static_cast<size_t>(count), link->line_handler,
                   link->line_handler_context, &link->running);
  }
  return 0;
}
