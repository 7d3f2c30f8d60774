#include "gps/serial_link.h"

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "platform/text_convert.h"

namespace {

constexpr size_t kWideTextUnits = kSettingTextChars;

// Converts UTF-16 to UTF-8 into `out`, reading no further than a setting text's
// kSettingTextChars units. Returns 0 for a text without a terminator there, a lone surrogate, or a
// text that does not fit.
int NarrowFromWide(const char16_t* wide, char* out, size_t size) {
  size_t units = 0;
  while (units < kWideTextUnits && wide[units] != 0)
    ++units;
  if (units == kWideTextUnits) return 0;
  const ptrdiff_t length = Utf16ToUtf8(out, size, wide, units);
  return length >= 0 && static_cast<size_t>(length) < size;
}

}  // namespace

int NarrowSettingTextsFromWide(const char16_t* port_name, const char16_t* baud_rate,
                               const char16_t* data_bits, const char16_t* parity,
                               const char16_t* stop_bits, NarrowSettingTexts* narrow) {
  if (port_name == nullptr || baud_rate == nullptr || data_bits == nullptr || parity == nullptr ||
      stop_bits == nullptr || narrow == nullptr ||
      !NarrowFromWide(port_name, narrow->port_name, sizeof narrow->port_name) ||
      !NarrowFromWide(baud_rate, narrow->baud_rate, sizeof narrow->baud_rate) ||
      !NarrowFromWide(data_bits, narrow->data_bits, sizeof narrow->data_bits) ||
      !NarrowFromWide(parity, narrow->parity, sizeof narrow->parity) ||
      !NarrowFromWide(stop_bits, narrow->stop_bits, sizeof narrow->stop_bits)) {
    errno = EINVAL;
    return 0;
  }
  return 1;
}

void SerialLinkReset(SerialLink* link) {
  if (link == nullptr) return;
  link->running.store(0, std::memory_order_relaxed);
  link->line_handler = nullptr;
  link->line_handler_context = nullptr;
  link->thread = nullptr;
  link->port = kInvalidSerialPort;
  link->timeouts = SerialTimeouts{};
  link->waker = kNoSerialWaker;
  link->port_name[0] = '\0';
  link->device[0] = '\0';
  link->baud_rate = link->data_bits = link->parity = link->stop_bits = nullptr;
  link->last_bytes_ms.store(0, std::memory_order_relaxed);
  link->connects_in_reader = false;
  link->connected = nullptr;
  link->connected_context = nullptr;
}

int64_t SerialLinkLastBytesMs(const SerialLink* link) {
  return link != nullptr ? link->last_bytes_ms.load(std::memory_order_relaxed) : 0;
}

int SerialLinkApplySettings(SerialLink* link, SerialPort port) {
  if (link == nullptr || link->baud_rate == nullptr || link->data_bits == nullptr ||
      link->parity == nullptr || link->stop_bits == nullptr) {
    return 0;
  }
  // A network source has no line to set.
  if (SerialPortIsNetwork(port)) return 1;
  return SerialPortSetLine(port, link->baud_rate->value, link->data_bits->value,
                           link->parity->value, link->stop_bits->value);
}

namespace {

SerialPort OpenWithSettings(SerialLink* link, const char* device) {
  const SerialPort port = SerialDeviceOpen(device, link->waker, 0);
  if (port == kInvalidSerialPort || SerialLinkApplySettings(link, port)) return port;
  const int error = errno;
  SerialPortClose(port);
  errno = error;
  return kInvalidSerialPort;
}

// Closes a link whose open failed, keeping errno and the device that was tried.
int FailOpen(SerialLink* link, int error) {
  char tried[kDevicePathSize];
  strcpy(tried, link->device);
  SerialLinkClose(link);
  strcpy(link->device, tried);
  errno = error;
  return 0;
}

}  // namespace

SerialPort SerialLinkOpenDevice(SerialLink* link) {
  return OpenWithSettings(link, link->device);
}

SerialPort SerialLinkOpenPort(SerialLink* link) {
  char device[kDevicePathSize];
  if (!ResolvePortName(link->port_name, device, sizeof device)) {
    errno = EINVAL;
    return kInvalidSerialPort;
  }
  return OpenWithSettings(link, device);
}

int SerialLinkOpen(SerialLink* link, const char* port_name, const SettingEntry* baud_rate,
                   const SettingEntry* data_bits, const SettingEntry* parity,
                   const SettingEntry* stop_bits, int32_t timeout_ms, LineHandler handler,
                   void* handler_context, LinkConnectedCallback connected,
                   void* connected_context) {
  SerialLinkReset(link);
  if (link == nullptr) {
    errno = EINVAL;
    return 0;
  }
  // The name first, so that a failure explains itself by the device it leads to.
  if (port_name == nullptr || strlen(port_name) >= sizeof link->port_name ||
      !ResolvePortName(port_name, link->device, sizeof link->device)) {
    link->device[0] = '\0';
    return FailOpen(link, EINVAL);
  }
  if (baud_rate == nullptr || data_bits == nullptr || parity == nullptr || stop_bits == nullptr) {
    return FailOpen(link, EINVAL);
  }
  strcpy(link->port_name, port_name);
  link->baud_rate = baud_rate;
  link->data_bits = data_bits;
  link->parity = parity;
  link->stop_bits = stop_bits;
  link->timeouts = SerialTimeoutsFor(timeout_ms);
  link->waker = SerialWakerCreate();
  if (link->waker == kNoSerialWaker) return FailOpen(link, errno);
  // A serial device opens at once; a network source is connected by the reader.
  link->connects_in_reader = IsNetworkEntry(link->device) != 0;
  if (!link->connects_in_reader) {
    link->port = SerialLinkOpenDevice(link);
    if (link->port == kInvalidSerialPort) return FailOpen(link, errno);
  }
  link->connected = connected;
  link->connected_context = connected_context;
  link->running.store(1, std::memory_order_relaxed);
  link->line_handler = handler;
  link->line_handler_context = handler_context;
  // The thread runs SerialLinkReader (serial_reader.cpp).
  if (!ThreadStart(&link->thread, SerialLinkReader, link)) return FailOpen(link, EAGAIN);
  return 1;
}

int SerialLinkClose(SerialLink* link) {
  if (link == nullptr) return 0;
  link->running.store(0, std::memory_order_relaxed);
  SerialWakerWake(link->waker);
  if (link->thread != nullptr) ThreadWait(link->thread);
  // Only now, with the reader gone, can the port go.
  SerialPortClose(link->port);
  SerialWakerClose(link->waker);
  SerialLinkReset(link);
  return 1;
}
