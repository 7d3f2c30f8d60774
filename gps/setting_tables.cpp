#include "gps/setting_tables.h"

#include <cstring>

const SettingEntry BaudRateTable[kBaudRateCount] = {
    {"256000", 256000}, {"128000", 128000}, {"115200", 115200}, {"57600", 57600}, {"38400", 38400},
    {"19200", 19200},   {"9600", 9600},     {"4800", 4800},     {"2400", 2400},   {"1200", 1200},
    {"600", 600},       {"300", 300},       {"110", 110},
};

const SettingEntry DataBitsTable[kDataBitsCount] = {{"8", 8}, {"7", 7}, {"6", 6}, {"5", 5}};

// E, N, O: the values are not ascending.
const SettingEntry ParityTable[kParityCount] = {
    {"E", kEvenParity}, {"N", kNoParity}, {"O", kOddParity}};

const SettingEntry StopBitsTable[kStopBitsCount] = {{"1", kOneStopBit}, {"2", kTwoStopBits}};

const char* const PortNameList[kPortNameCount] = {
    "COM0:", "COM1:", "COM2:", "COM3:", "COM4:", "COM5:", "COM6:", "COM7:", "COM8:", "COM9:",
};

const char* const DefaultSettingTexts[kSettingTextCount] = {"COM1:", "9600", "8", "N", "1"};

const SettingEntry* FindSettingEntry(const SettingEntry* table, int count, const char* text) {
  if (table == nullptr || text == nullptr) return nullptr;
  for (int row = 0; row < count; ++row) {
    if (strcmp(table[row].text, text) == 0) return &table[row];
  }
  return nullptr;
}
