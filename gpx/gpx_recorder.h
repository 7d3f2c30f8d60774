// Records changed positions as waypoints of a GPX 1.0 file.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "platform/lock.h"

struct GpxRecorder {
  Lock lock;  // serialises append, close and the publishing step of open
  double min_latitude;
  double max_latitude;
  double min_longitude;
  double max_longitude;
  std::atomic<FILE*> file;  // the recorder is open exactly while this is set
  int32_t waypoint_count;
};

struct UtcTimestamp {
  int16_t year, month, day, hour, minute, second;
};

// Not open, counter 0, sentinel bounds; the lock is initialised once here.
void GpxRecorderInit(GpxRecorder* recorder);
int GpxRecorderIsOpen(GpxRecorder* recorder);
int GpxRecorderOpen(GpxRecorder* recorder, const char* path);
// Refuses (0, nothing created or changed) a path whose UTF-8 form is longer than 260
// bytes or that holds an unpaired surrogate.
int GpxRecorderOpenWide(GpxRecorder* recorder, const char16_t* path);
void GpxRecorderClose(GpxRecorder* recorder);
// Each complete waypoint is flushed to the system, so a crash loses at most the bounds
// and the closing tag.
int GpxRecorderAppendWaypoint(GpxRecorder* recorder, double latitude, double longitude,
                              double altitude);
// Writes `value` as "%lf" text with a decimal point whatever the locale: at most
// `max_count` characters and a terminator, so `buffer` holds max_count + 1 bytes.
char* GpxFormatCoordinate(char* buffer, size_t max_count, double value);
// Reads the system clock in UTC into `stamp` (when given) and returns it.
UtcTimestamp GpxTakeUtcTimestamp(UtcTimestamp* stamp);
