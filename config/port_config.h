// The serial configuration and its 330-byte file.
#pragma once

#include <cstdint>

inline constexpr int kConfigTextChars = 32;
inline constexpr int kPathChars = 260;

enum PortSetting : int { SETTING_PORT, SETTING_BAUD_RATE, SETTING_DATA_BITS, SETTING_PARITY,
                         SETTING_STOP_BITS, SETTING_COUNT };

// Exactly the image of the file: five UTF-16LE texts, then five list positions.
struct PortConfig {
  char16_t text[SETTING_COUNT][kConfigTextChars];
  int16_t selection[SETTING_COUNT];
};
static_assert(sizeof(PortConfig) == 330, "PortConfig is the 330-byte file image");

bool BuildConfigPath(char16_t path[kPathChars]);
int LoadPortConfig(PortConfig* config);
void SavePortConfig(PortConfig* config);
