// The serial line settings a user may choose, and the port names that are probed.
#pragma once

#include <cstdint>

#include "platform/serial_port.h"  // the parity and stop-bit codes the rows stand for

struct SettingEntry {
  const char* text;  // what is listed, stored and looked up, e.g. "9600"
  int32_t value;     // the line parameter it stands for
};

inline constexpr int kBaudRateCount = 13;
inline constexpr int kDataBitsCount = 4;
inline constexpr int kParityCount = 3;
inline constexpr int kStopBitsCount = 2;
inline constexpr int kPortNameCount = 10;
inline constexpr int kSettingTextCount = 5;
// A setting text as stored, listed and opened: 32 units (UTF-16 code units in the
// configuration and the lists, bytes in its 8-bit form), the terminator among them.
inline constexpr int kSettingTextChars = 32;  // port, baud rate, data bits, parity, stop bits

extern const SettingEntry BaudRateTable[kBaudRateCount];
extern const SettingEntry DataBitsTable[kDataBitsCount];
extern const SettingEntry ParityTable[kParityCount];
extern const SettingEntry StopBitsTable[kStopBitsCount];
extern const char* const PortNameList[kPortNameCount];            // "COM0:" .. "COM9:"
extern const char* const DefaultSettingTexts[kSettingTextCount];  // "COM1:" "9600" "8" "N" "1"

// The first row whose text equals `text` byte for byte, or null.
const SettingEntry* FindSettingEntry(const SettingEntry* table, int count, const char* text);
