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
  IDS_NO_DISPLAY_OFF = 250,  // loaded when needed, not at start
};

struct StringResource {
  uint32_t id;
  const char16_t* text;  // may hold embedded NULs (212); `length` counts them
  uint32_t length;
};

inline constexpr int kStringCount = 14;
extern const StringResource kBuiltinStrings[kStringCount];

// The program's own string `id`, or null.
const StringResource* FindBuiltinString(uint32_t id);
