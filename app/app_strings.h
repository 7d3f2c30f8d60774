// The twelve user-visible strings, each loaded once into a buffer of its own size.
#pragma once

#include <cstdint>

#include "display/fix_display.h"
#include "language/resource_module.h"

inline constexpr int kMessageChars = 128;  // 201, 202, 203 and the filter list 212
inline constexpr int kFormatChars = 16;    // 204 to 211

struct AppStrings {
  char16_t really_quit[kMessageChars];
  char16_t cant_open_port[kMessageChars];
  char16_t cant_close_port[kMessageChars];
  char16_t time_format[kFormatChars];
  char16_t latitude_north[kFormatChars];
  char16_t latitude_south[kFormatChars];
  char16_t longitude_east[kFormatChars];
  char16_t longitude_west[kFormatChars];
  char16_t altitude_format[kFormatChars];
  char16_t easting_format[kFormatChars];
  char16_t northing_format[kFormatChars];
  char16_t save_filter[kMessageChars];  // pairs of NUL-separated texts, ended by two NULs
  int save_filter_length;               // characters loaded, embedded NULs included
  ReadoutFormats formats;               // points into the buffers above
};

// Loads the strings in the order 201, 203, 202, 204 ... 212, each with the capacity of
// its buffer. Returns 0 at the first string that loads empty (errno tells why); those
// loaded so far stay loaded.
int LoadAppStrings(const ResourceModule& module, AppStrings* strings);
