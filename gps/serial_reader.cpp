// The reader thread of a serial link.
#include <algorithm>
#include <cerrno>

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
// is opened with the same settings once a second until that works. The waits, and a
// network source's lookup and connection, end at once when the link closes. Returns
// true with the port open again.
bool Reopen(SerialLink* link) {
  SerialPortClose(link->port);
  link->port = kInvalidSerialPort;
  while (Running(link)) {
    if (SerialWakerWait(link->waker, kReopenPeriodMs)) return false;
    const SerialPort port = SerialLinkOpenPort(link);
    if (port != kInvalidSerialPort) {
      link->port = port;
      return true;
    }
  }
  return false;
}

// A network source: connects, and tells the opener how that went unless the link is
// closing meanwhile. Returns true when connected.
bool ConnectFirst(SerialLink* link) {
  const SerialPort port = SerialLinkOpenDevice(link);
  const int error = port == kInvalidSerialPort ? errno : 0;
  link->port = port;
  if (Running(link) && link->connected != nullptr) {
    link->connected(error, link->connected_context);  // e.g. OnLinkConnected (app/commands.cpp)
  }
  return port != kInvalidSerialPort;
}

// Close has begun. The bytes already waiting in the driver came before it, so their
// whole lines go to the handler as well; only as many as were waiting when it began,
// so a receiver that goes on sending cannot hold the close.
void HandOverWaiting(SerialLink* link, LineCutter* cutter, char* buffer) {
  uint32_t waiting = SerialPortWaitingCount(link->port);
  while (waiting > 0) {
    const int32_t taken =
        SerialPortTakeArrived(link->port, buffer, std::min<uint32_t>(waiting, kLineMax));
    if (taken <= 0) return;
    LineCutterFeed(cutter, buffer, static_cast<size_t>(taken), link->line_handler,
                   link->line_handler_context, nullptr);
    waiting -= std::min<uint32_t>(waiting, static_cast<uint32_t>(taken));
  }
}

}  // namespace

int32_t SerialLinkReader(void* argument) {
  auto* link = static_cast<SerialLink*>(argument);
  if (link == nullptr) return 0;
  if (link->connects_in_reader && !ConnectFirst(link)) return 0;
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
    // Each whole line goes to the link's handler: HandleGpsLine (gps_port.cpp) for a GPS
    // port. Also when the close has cut the read short: those lines came before it.
    LineCutterFeed(&cutter, received, static_cast<size_t>(count), link->line_handler,
                   link->line_handler_context, nullptr);
  }
  if (link->port != kInvalidSerialPort) HandOverWaiting(link, &cutter, received);
  return 0;
}
