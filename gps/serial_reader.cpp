// The reader thread of a serial link.
#include "gps/line_cutter.h"
#include "gps/serial_link.h"

namespace {

bool Running(const SerialLink* link) {
  return link->running.load(std::memory_order_relaxed) != 0;
}

// A line that hung up or a device that is gone fails every read at once. Waiting as
// long as a read may take keeps the thread from spinning; like a read, the wait ends
// at once when the link closes.
void WaitAfterFailedRead(const SerialLink* link) {
  if (Running(link)) SerialWakerWait(link->waker, SerialReadBoundMs(link->timeouts, kLineMax));
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
      WaitAfterFailedRead(link);
      continue;
    }
    LineCutterFeed(&cutter, received, static_cast<size_t>(count), link->line_handler,
                   link->line_handler_context, &link->running);
  }
  return 0;
}
