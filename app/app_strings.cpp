#include "app/app_strings.h"

#include <cstring>

int LoadAppStrings(const ResourceModule& module, AppStrings* strings) {
  if (strings == nullptr) return 0;
  std::memset(strings, 0, sizeof *strings);
  strings->formats = {strings->time_format,    strings->latitude_north, strings->latitude_south,
                      strings->longitude_east, strings->longitude_west, strings->altitude_format,
                      strings->easting_format, strings->northing_format};
  struct Slot {
    uint32_t id;
    char16_t* buffer;
    int capacity;
  };
  const Slot slots[] = {
      {IDS_REALLY_QUIT, strings->really_quit, kMessageChars},
      {IDS_CANT_CLOSE_PORT, strings->cant_close_port, kMessageChars},
      {IDS_CANT_OPEN_PORT, strings->cant_open_port, kMessageChars},
      {IDS_TIME_FORMAT, strings->time_format, kFormatChars},
      {IDS_LATITUDE_NORTH, strings->latitude_north, kFormatChars},
      {IDS_LATITUDE_SOUTH, strings->latitude_south, kFormatChars},
      {IDS_LONGITUDE_EAST, strings->longitude_east, kFormatChars},
      {IDS_LONGITUDE_WEST, strings->longitude_west, kFormatChars},
      {IDS_ALTITUDE_FORMAT, strings->altitude_format, kFormatChars},
      {IDS_EASTING_FORMAT, strings->easting_format, kFormatChars},
      {IDS_NORTHING_FORMAT, strings->northing_format, kFormatChars},
      {IDS_SAVE_FILTER, strings->save_filter, kMessageChars},
  };
  for (const Slot& slot : slots) {
    const int count = LoadModuleString(module, slot.id, slot.buffer, slot.capacity);
    if (count == 0) return 0;
    if (slot.id == IDS_SAVE_FILTER) strings->save_filter_length = count;
  }
  return 1;
}
