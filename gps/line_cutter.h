// Cuts a byte stream into lines at CR or LF.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "gps/line_handler.h"
#include "platform/serial_port.h"

inline constexpr uint32_t kLineMax = kSerialReadSize;

// The part of a line received so far; it carries over from one read to the next.
struct LineCutter {
  char line[kLineMax + 1];
  uint32_t length;
};

void LineCutterReset(LineCutter* cutter);

// Takes `count` bytes in order. CR or LF ends a line; so does any byte arriving while
// kLineMax characters wait, and that byte is lost. Empty lines are never delivered.
// When `running` is given, no byte is taken and no line delivered once it reads 0.
void LineCutterFeed(LineCutter* cutter, const char* bytes, size_t count, LineHandler handler,
                    void* context, const std::atomic<int16_t>* running);
