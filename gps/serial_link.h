// A serial line read by a thread of its own that cuts the bytes into lines.
#pragma once

#include <atomic>
#include <cstdint>

#include "gps/line_handler.h"
#include "gps/setting_tables.h"
#include "platform/serial_port.h"
#include "platform/thread.h"

// How the connection that open left to the reader thread ended, told on that thread:
// `error` 0 when the source is connected, else the errno why not (NetworkPortOpen). After
// a failure the reader has ended; the owner closes the link.
using LinkConnectedCallback = void (*)(int error, void* context);

struct SerialLink {
  ThreadHandle thread;  // null while no reader thread belongs to the link
  SerialPort port;      // kInvalidSerialPort while closed
  LineHandler line_handler;
  void* line_handler_context;
  RunningFlag running;      // nonzero while the reader is to go on
  SerialTimeouts timeouts;  // set by open from its time-out, read by the reader
  SerialWaker waker;        // ends the reader's read in progress when the link closes
  // What open was given, so the reader can open the port again when its device comes
  // back after it was gone.
  char port_name[kDevicePathSize];
  // The path port_name led to at open (ResolvePortName; "" when it led nowhere), set
  // before the reader starts. A failed open leaves it set, so the failure is explained
  // by the device that was tried, not by resolving the name once more.
  char device[kDevicePathSize];
  const SettingEntry* baud_rate;
  const SettingEntry* data_bits;
  const SettingEntry* parity;
  const SettingEntry* stop_bits;
  // MonotonicMs() when the reader last received bytes (0: none since open); anyone may
  // read it at any time.
  std::atomic<int64_t> last_bytes_ms;
  // A network source is connected by the reader thread, so that a name server or a host
  // that does not answer holds neither the opener nor its close: open sets this, leaves
  // the port closed, and the reader tells `connected` how the connection went.
  bool connects_in_reader;
  LinkConnectedCallback connected;
  void* connected_context;
};

// The 8-bit form of the five texts of a wide open.
struct NarrowSettingTexts {
  char port_name[kDevicePathSize];
  char baud_rate[kSettingTextChars], data_bits[kSettingTextChars], parity[kSettingTextChars],
      stop_bits[kSettingTextChars];
};

// Converts the five UTF-16 texts of a wide open, each read within the kSettingTextChars code
// units of a setting text. Returns 0 (errno EINVAL) for a missing text, one without a
// terminator within its kSettingTextChars units, one with a lone surrogate, or one too long for its
// buffer: a cut text could name another device or setting than the one asked for.
int NarrowSettingTextsFromWide(const char16_t* port_name, const char16_t* baud_rate,
                               const char16_t* data_bits, const char16_t* parity,
                               const char16_t* stop_bits, NarrowSettingTexts* narrow);

void SerialLinkReset(SerialLink* link);
// Opens the link on the port `port_name` (UTF-8) with the four setting rows and starts
// its reader thread, which hands every line to `handler`. A missing row fails before the
// port is touched. Returns 1; 0 with errno set, the link left reset but for `device`.
int SerialLinkOpen(SerialLink* link, const char* port_name, const SettingEntry* baud_rate,
                   const SettingEntry* data_bits, const SettingEntry* parity,
                   const SettingEntry* stop_bits, int32_t timeout_ms, LineHandler handler,
                   void* handler_context, LinkConnectedCallback connected = nullptr,
                   void* connected_context = nullptr);
// Opens the link's `device` with its settings, for open and the reader's first
// connection. Returns the port, or kInvalidSerialPort with errno set.
SerialPort SerialLinkOpenDevice(SerialLink* link);
// Resolves the link's port name anew (the ports folder may lead elsewhere since open)
// and opens that device the same way, for the reader after the device was gone. errno
// EINVAL when the name leads nowhere now.
SerialPort SerialLinkOpenPort(SerialLink* link);
// Closes the link. The whole lines that arrived before (those of the read in progress
// and those already waiting in the driver) go to the line handler first; a line still
// incomplete is dropped.
int SerialLinkClose(SerialLink* link);
// Applies the link's four settings to `port`; a network source takes none. Returns 1;
// 0 when the line refuses them or the link has none.
int SerialLinkApplySettings(SerialLink* link, SerialPort port);
// MonotonicMs() when the link last received bytes; 0 when none came since it was opened,
// and for a null link.
int64_t SerialLinkLastBytesMs(const SerialLink* link);
// The reader thread's routine: connects first when open left that to it, then reads,
// cuts lines, hands them to the line handler until the running flag is cleared, and
// then hands over the whole lines of what had already arrived. When the device goes away
// (unplugged, out of range, a connection dropped) it lets the port go and opens the same port name
// with the same settings again, once a second, until it succeeds or the link closes. Returns 0.
int32_t SerialLinkReader(void* link);
