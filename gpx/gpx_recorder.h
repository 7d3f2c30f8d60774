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
int GpxRecorderOpenWide(GpxRecorder* recorder, const char16_t* path);
void GpxRecorderClose(GpxRecorder* recorder);
int GpxRecorderAppendWaypoint(GpxRecorder* recorder, double latitude, double longitude,
                              double altitude);
char* GpxFormatCoordinate(char* buffer, size_t max_count, double value);
UtcTimestamp GpxTakeUtcTimestamp(UtcTimestamp* stamp);
