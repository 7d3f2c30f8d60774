// The program's own strings, by id. A language module supplies the same ids.
#pragma once

#include <cstdint>

enum StringId : uint32_t {
  IDS_REALLY_QUIT = 201,
  IDS_CANT_OPEN_PORT = 202,
  IDS_CANT_CLOSE_PORT = 203,
  IDS_TIME_FORMAT = 204,
  IDS_LATITUDE_NORTH = 205,
  IDS_LATITUDE_SOUTH = 206,
  IDS_LONGITUDE_EAST = 207,
  IDS_LONGITUDE_WEST = 208,
  IDS_ALTITUDE_FORMAT = 209,
  IDS_EASTING_FORMAT = 210,
  IDS_NORTHING_FORMAT = 211,
  IDS_SAVE_FILTER = 212,
  // "%1" the file, "%2" the system's reason, "%3" the complete waypoints it keeps.
  IDS_RECORDING_FAILED = 213,
  IDS_NO_DISPLAY_OFF = 250,         // loaded when needed, not at start
  IDS_CANT_CREATE_RECORDING = 260,  // loaded when needed; the file and reason follow it
};

// Why a port did not open, with the remedy, and the names of the configuration lists.
enum GuidanceStringId : uint32_t {
  IDS_OPEN_CAUSE_NOT_A_PORT_NAME = 220,
  IDS_OPEN_CAUSE_NO_DEVICE = 221,  // %s: the ports folder
  IDS_OPEN_CAUSE_PERMISSION = 222,
  IDS_OPEN_CAUSE_BUSY = 223,
  IDS_OPEN_CAUSE_NOT_SERIAL = 224,
  IDS_OPEN_CAUSE_SETTINGS = 225,
  IDS_PORT_LIST_NAME = 226,
  IDS_BAUD_RATE_LIST_NAME = 227,
  IDS_DATA_BITS_LIST_NAME = 228,
  IDS_PARITY_LIST_NAME = 229,
  IDS_STOP_BITS_LIST_NAME = 230,
};

struct StringResource {
  uint32_t id;
  const char16_t* text;  // may hold embedded NULs (212); `length` counts them
  uint32_t length;
};

inline constexpr int kStringCount = 26;
extern const StringResource kBuiltinStrings[kStringCount];

// The program's own string `id`, or null.
const StringResource* FindBuiltinString(uint32_t id);
