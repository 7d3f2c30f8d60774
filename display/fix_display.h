// Decides which read-outs a fix changes, formats them and records waypoints.
#pragma once

#include <atomic>
#include <cstdint>

#include "gpx/gpx_recorder.h"
#include "platform/lock.h"
#include "platform/post_message.h"
#include "res/resource_tables.h"  // the read-out control ids

inline constexpr int kReadoutChars = 16;  // 15 characters and the terminator

// Change bits, also the wParam of MSG_FIX_UPDATED.
enum FixChange : uint32_t {
  CHANGE_TIME = 0x01,
  CHANGE_ALTITUDE = 0x02,
  CHANGE_LATITUDE = 0x04,
  CHANGE_LONGITUDE = 0x08,
  CHANGE_NORTHING = 0x10,
  CHANGE_EASTING = 0x20,
};

// The format strings of the read-outs (string ids 204 to 211), each 16 code units.
struct ReadoutFormats {
  const char16_t* time;            // 204 "%010.3lf"
  const char16_t* latitude_north;  // 205 "%8.4lfN"
  const char16_t* latitude_south;  // 206 "%8.4lfS"
  const char16_t* longitude_east;  // 207 "%8.4lfE"
  const char16_t* longitude_west;  // 208 "%8.4lfW"
  const char16_t* altitude;        // 209 "%6.1lfm"
  const char16_t* easting;         // 210 "%8.3lfkm"
  const char16_t* northing;        // 211 "%8.3lfkm"
};

struct FixDisplay {
  char16_t time_text[kReadoutChars];
  char16_t latitude_text[kReadoutChars];
  char16_t longitude_text[kReadoutChars];
  char16_t altitude_text[kReadoutChars];
  char16_t easting_text[kReadoutChars];
  char16_t northing_text[kReadoutChars];
  GpxRecorder recorder;
  Lock values_lock;
  double last_time, last_latitude, last_longitude, last_altitude, last_easting, last_northing;
  WindowHandle window;
  ReadoutFormats formats;  // chosen at initialisation, read-only afterwards
  // MonotonicMs() of the last accepted fix, 0 before the first; set by the reader
  // thread, read by whoever watches whether the read-outs are live.
  std::atomic<int64_t> last_fix_ms;
};

// Sets the text of control `id` of `window`; the front-end supplies it.
using SetControlText = void (*)(WindowHandle window, int id, const char16_t* text, void* context);

// Clears the display and its recorder and keeps `window` as the target of
// MSG_FIX_UPDATED and of MSG_RECORDING_FAILED. Each format of `formats` (which must outlive the
// display) is used when it holds exactly one floating conversion and nothing else that takes an
// argument; otherwise, and for a null `formats` or entry, the program's own string
// of that id is used.
void FixDisplayInit(FixDisplay* display, WindowHandle window, const ReadoutFormats* formats);
// The FixCallback; `display` is the FixDisplay. Runs on the reader thread. Every fix
// counts as accepted (last_fix_ms), also one that changes no read-out.
void FixDisplayOnFix(double time, double latitude, double longitude, double altitude,
                     double northing, double easting, void* display);
// Sets the controls of the bits in `change_bits` to their texts through `set_text`.
// Runs on the window's thread for each MSG_FIX_UPDATED.
void FixDisplayRefresh(FixDisplay* display, WindowHandle window, uint32_t change_bits,
                       SetControlText set_text, void* set_text_context);
// The recorder each changed position goes to as a waypoint: the window's thread opens
// and closes recordings through it and reads how far one got.
inline GpxRecorder* FixDisplayRecorder(FixDisplay* display) {
  return &display->recorder;
}
