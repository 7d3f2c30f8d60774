// Records changed positions as waypoints of a GPX 1.0 file.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "platform/lock.h"
#include "platform/thread.h"

// Told once per recording, on the appending thread, when a waypoint could not be
// written: the system's error number and the complete waypoints the file keeps.
using GpxFailureCallback = void (*)(int error, int32_t kept_waypoints, void* context);

struct GpxRecorder {
  Lock lock;  // serialises append, close and the publishing step of open
  double min_latitude;
  double max_latitude;
  double min_longitude;
  double max_longitude;
  std::atomic<FILE*> file;  // the recorder is open exactly while this is set
  int32_t waypoint_count;
  int64_t complete_bytes;  // the file's length up to the end of its last complete waypoint
  int64_t trailer_bytes;   // the bounds and closing tag after it; 0 while they are missing
  // A regular file keeps its trailer after each waypoint; a pipe or device, which cannot
  // go back, takes it once at Close.
  bool trailer_in_place;
  // The sync thread of the open recording: it pushes complete waypoints to the disk.
  ThreadHandle sync_thread;
  int sync_wake_fd;           // eventfd that ends the sync thread; -1 while none
  int sync_fd;                // the file's descriptor, for the sync thread
  std::atomic<int> unsynced;  // 1 when the file has changed since the last sync
  // The stream's own buffer, larger than a waypoint and its trailer together: each
  // waypoint reaches the file in one write.
  char stream_buffer[4096];
  // The latest recording's outcome, kept after Close until the next Open: the error
  // number of its first failed write (0 while sound) and its complete waypoints.
  int write_error;
  int32_t kept_waypoints;
  GpxFailureCallback on_failure;  // set once, before any recording
  void* failure_context;
};

// Not open, counter 0, sentinel bounds; the lock is initialised once here.
void GpxRecorderInit(GpxRecorder* recorder);
int GpxRecorderIsOpen(GpxRecorder* recorder);
int GpxRecorderOpen(GpxRecorder* recorder, const char* path);
// Refuses (0, nothing created or changed) a path whose UTF-8 form is longer than
// kMaxPathChars bytes or that holds an unpaired surrogate.
int GpxRecorderOpenWide(GpxRecorder* recorder, const char16_t* path);
// Leaves the file finished on the disk (synced): its waypoints, the bounds and the
// closing tag, also after a failed write; what cannot be written is cut away again, so
// the file never ends in a torn element.
void GpxRecorderClose(GpxRecorder* recorder);
// The file on disk is a finished GPX file from Open on: the header is followed by the
// bounds and the closing tag at once, and each waypoint is written over them, followed
// by the bounds and closing tag again, in one write. So a kill, a crash or a copy made
// at any moment finds a file any reader opens, with every complete waypoint. Complete
// waypoints are synced to the disk within 5 s. Room for the waypoint and the trailer is
// taken from the disk first, so a full disk refuses the waypoint whole and the file
// stays finished. A write that fails anyway is cut back to the last complete waypoint
// and its trailer. Either ends the taking of waypoints until the next Open.
int GpxRecorderAppendWaypoint(GpxRecorder* recorder, double latitude, double longitude,
                              double altitude);
void GpxRecorderSetFailureCallback(GpxRecorder* recorder, GpxFailureCallback callback,
                                   void* context);
// 1 when a write of the open or latest recording failed; `error` and `kept_waypoints`
// (each when given) then tell why and how many complete waypoints the file holds.
int GpxRecorderFailed(GpxRecorder* recorder, int* error, int32_t* kept_waypoints);
// Writes `value` as "%lf" text with a decimal point whatever the locale: at most
// `max_count` characters and a terminator, so `buffer` holds max_count + 1 bytes.
char* GpxFormatCoordinate(char* buffer, size_t max_count, double value);
