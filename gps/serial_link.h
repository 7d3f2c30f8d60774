// A serial line read by a thread of its own that cuts the bytes into lines.
#pragma once

#include <cstdint>

#include "gps/line_handler.h"
#include "gps/setting_tables.h"
#include "platform/serial_port.h"
#include "platform/thread.h"

struct SerialLink {
  ThreadHandle thread;  // null while no reader thread belongs to the link
  SerialPort port;      // kInvalidSerialPort while closed
  LineHandler line_handler;
  void* line_handler_context;
  RunningFlag running;      // nonzero while the reader is to go on
  SerialTimeouts timeouts;  // set by open from its time-out, read by the reader
  SerialWaker waker;        // ends the reader's read in progress when the link closes
};

void SerialLinkReset(SerialLink* link);
int SerialLinkOpenEntries(SerialLink* link, const char* port_name, const SettingEntry* baud_rate,
                          const SettingEntry* data_bits, const SettingEntry* parity,
                          const SettingEntry* stop_bits, int32_t timeout_ms, LineHandler handler,
                          void* handler_context);
int SerialLinkOpenNarrow(SerialLink* link, const char* port_name, const char* baud_rate,
                         const char* data_bits, const char* parity, const char* stop_bits,
                         int32_t timeout_ms, LineHandler handler, void* handler_context);
int SerialLinkOpenWide(SerialLink* link, const char16_t* port_name, const char16_t* baud_rate,
                       const char16_t* data_bits, const char16_t* parity, const char16_t* stop_bits,
                       int32_t timeout_ms, LineHandler handler, void* handler_context);
int SerialLinkClose(SerialLink* link);
// Writes all bytes within the link's write time-out; 1 when all were written.
int SerialLinkWrite(SerialLink* link, const void* bytes, uint32_t count);
// The reader thread's routine: reads, cuts lines, hands them to the line handler until
// the running flag is cleared. Returns 0.
int32_t SerialLinkReader(void* link);
