#include "gps/serial_link.h"

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "platform/text_convert.h"

namespace {

// Room for one setting text: 31 bytes and the terminator.
constexpr size_t kSettingTextSize = 32;

// Converts UTF-16 to UTF-8 into `out`. Returns 0 for a lone surrogate or when the text
// does not fit: a cut text could name another device than the one asked for.
int NarrowFromWide(const char16_t* wide, char* out, size_t size) {
  const ptrdiff_t length = Utf16ToUtf8(out, size, wide);
  return length >= 0 && static_cast<size_t>(length) < size;
}

}  // namespace

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
  link->baud_rate = link->data_bits = link->parity = link->stop_bits = nullptr;
  link->last_bytes_ms.store(0, std::memory_order_relaxed);
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

int SerialLinkOpenEntries(SerialLink* link, const char* port_name, const SettingEntry* baud_rate,
                          const SettingEntry* data_bits, const SettingEntry* parity,
                          const SettingEntry* stop_bits, int32_t timeout_ms, LineHandler handler,
                          void* handler_context) {
  SerialLinkReset(link);
  if (link == nullptr || port_name == nullptr || baud_rate == nullptr || data_bits == nullptr ||
      parity == nullptr || stop_bits == nullptr) {
    errno = EINVAL;
    return 0;
  }
  if (strlen(port_name) >= sizeof link->port_name) {
    errno = EINVAL;
    return 0;
  }
  link->port = SerialPortOpen(port_name);
  if (link->port == kInvalidSerialPort) return 0;

  strcpy(link->port_name, port_name);
  link->baud_rate = baud_rate;
  link->data_bits = data_bits;
  link->parity = parity;
  link->stop_bits = stop_bits;
  link->timeouts = SerialTimeoutsFor(timeout_ms);
  link->waker = SerialWakerCreate();
  if (link->waker == kNoSerialWaker || !SerialLinkApplySettings(link, link->port)) {
    const int error = errno;
    SerialLinkClose(link);
    errno = error;
    return 0;
  }
  link->running.store(1, std::memory_order_relaxed);
  link->line_handler = handler;
  link->line_handler_context = handler_context;
  if (!ThreadStart(&link->thread, SerialLinkReader, link)) {
    SerialLinkClose(link);
    errno = EAGAIN;
    return 0;
  }
  return 1;
}

int SerialLinkOpenNarrow(SerialLink* link, const char* port_name, const char* baud_rate,
                         const char* data_bits, const char* parity, const char* stop_bits,
                         int32_t timeout_ms, LineHandler handler, void* handler_context) {
  SerialLinkReset(link);
  if (baud_rate == nullptr || data_bits == nullptr || parity == nullptr || stop_bits == nullptr) {
    errno = EINVAL;
    return 0;
  }
  // A text missing from its table gives a null row: the open fails before the port is touched.
  return SerialLinkOpenEntries(link, port_name,
                               FindSettingEntry(BaudRateTable, kBaudRateCount, baud_rate),
                               FindSettingEntry(DataBitsTable, kDataBitsCount, data_bits),
                               FindSettingEntry(ParityTable, kParityCount, parity),
                               FindSettingEntry(StopBitsTable, kStopBitsCount, stop_bits),
                               timeout_ms, handler, handler_context);
}

int SerialLinkOpenWide(SerialLink* link, const char16_t* port_name, const char16_t* baud_rate,
                       const char16_t* data_bits, const char16_t* parity, const char16_t* stop_bits,
                       int32_t timeout_ms, LineHandler handler, void* handler_context) {
  SerialLinkReset(link);
  if (port_name == nullptr || baud_rate == nullptr || data_bits == nullptr || parity == nullptr ||
      stop_bits == nullptr) {
    errno = EINVAL;
    return 0;
  }
  char name[kDevicePathSize];
  char texts[4][kSettingTextSize];
  if (!NarrowFromWide(port_name, name, sizeof name) ||
      !NarrowFromWide(baud_rate, texts[0], kSettingTextSize) ||
      !NarrowFromWide(data_bits, texts[1], kSettingTextSize) ||
      !NarrowFromWide(parity, texts[2], kSettingTextSize) ||
      !NarrowFromWide(stop_bits, texts[3], kSettingTextSize)) {
    errno = EINVAL;
    return 0;
  }
  return SerialLinkOpenNarrow(link, name, texts[0], texts[1], texts[2], texts[3], timeout_ms,
                              handler, handler_context);
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

int SerialLinkWrite(SerialLink* link, const void* bytes, uint32_t count) {
  if (link == nullptr || bytes == nullptr || link->port == kInvalidSerialPort) return 0;
  const auto* position = static_cast<const char*>(bytes);
  uint32_t remaining = count;
  while (remaining > 0) {
    const int32_t written = SerialPortWrite(link->port, link->timeouts, position, remaining);
    if (written <= 0) break;  // failed, or nothing went out in time: never spin
    position += written;
    remaining -= static_cast<uint32_t>(written);
  }
  return remaining == 0 ? 1 : 0;
}
