#include "gps/line_cutter.h"

namespace {

bool StillRunning(const std::atomic<int16_t>* running) {
  return running == nullptr || running->load(std::memory_order_relaxed) != 0;
}

}  // namespace

void LineCutterReset(LineCutter* cutter) {
  if (cutter == nullptr) return;
  cutter->length = 0;
  cutter->line[0] = '\0';
}

void LineCutterFeed(LineCutter* cutter, const char* bytes, size_t count, LineHandler handler,
                    void* context, const std::atomic<int16_t>* running) {
  if (cutter == nullptr || bytes == nullptr) return;
  for (size_t i = 0; i < count; ++i) {
    if (!StillRunning(running)) return;
    const char byte = bytes[i];
    if (byte == '\r' || byte == '\n' || cutter->length == kLineMax) {
      if (cutter->length > 0) {
        cutter->line[cutter->length] = '\0';
        if (handler != nullptr && StillRunning(running)) {
          handler(cutter->line, cutter->length, context);  // e.g. HandleGpsLine (gps_port.cpp)
        }
        cutter->length = 0;
      }
      continue;
    }
    cutter->line[cutter->length++] = byte;
  }
}
