// The serial configuration and its 330-byte file.
#pragma once

#include <cstdint>

#include "gps/setting_tables.h"
#include "platform/path_limit.h"

enum PortSetting : int {
  SETTING_PORT,
  SETTING_BAUD_RATE,
  SETTING_DATA_BITS,
  SETTING_PARITY,
  SETTING_STOP_BITS,
  SETTING_COUNT
};

// Exactly the image of the file: five UTF-16LE texts, then five list positions.
struct PortConfig {
  char16_t text[SETTING_COUNT][kSettingTextChars];
  int16_t selection[SETTING_COUNT];
};
static_assert(sizeof(PortConfig) == 330, "PortConfig is the 330-byte file image");

// The file "tavik.cfg" in the per-user application-data folder (created when
// missing); returns 1, 0 when there is none or the path with its terminator exceeds
// kMaxPathChars UTF-16 code units.
int BuildConfigPath(char16_t path[kMaxPathChars]);
// 1 when all 330 bytes came from the file; else 0 after the defaults were applied
// ("COM1:" "9600" "8" "N" "1", selections 0) over what the record held. Only a
// regular file is read; a FIFO, device or socket is refused without waiting, and
// standard error says what it is.
int LoadPortConfig(PortConfig* config);
// Replaces the file with the record's image; the old file stays whole until the new
// one is complete on disk and the new one keeps the old one's permission bits. A link
// is followed only to a regular file of 0 or 330 bytes; to anything else nothing is
// written. A FIFO, device or socket at the path is left alone, and standard error says
// so. Other failures are silent.
void SavePortConfig(PortConfig* config);
