#include "display/fix_display.h"

#include <cmath>
#include <initializer_list>

#include "platform/monotonic_clock.h"
#include "platform/wide_format.h"
#include "res/string_table.h"

namespace {

constexpr double kTimeThreshold = 1.0;          // seconds of hhmmss
constexpr double kAltitudeThreshold = 0.1;      // metres
constexpr double kAngleThreshold = 0.0001;      // degrees
constexpr double kProjectionThreshold = 0.001;  // kilometres
constexpr int kReadoutMaxCount = kReadoutChars - 1;
constexpr uint32_t kWaypointChanges = CHANGE_ALTITUDE | CHANGE_LATITUDE | CHANGE_LONGITUDE;

// The given format when it is safe with one double, else the program's own.
const char16_t* ChooseFormat(const char16_t* given, StringId id) {
  if (given != nullptr && IsSingleDoubleFormat(given)) return given;
  return FindBuiltinString(id)->text;
}

// Bounded like _snwprintf with a count of 15, then always terminated in the 16th unit.
void FormatReadout(char16_t* text, const char16_t* format, double value) {
  WideFormatDouble(text, kReadoutMaxCount, format, value);
  text[kReadoutMaxCount] = 0;
}

// A hemisphere letter carries the sign, so the number shown is never negative; -0.0
// becomes 0.0, which would otherwise print as "-0.0000".
void FormatAngle(char16_t* text, const char16_t* positive, const char16_t* negative, double value) {
  if (value >= 0.0) {
    FormatReadout(text, positive, value + 0.0);
  } else {
    FormatReadout(text, negative, -value);
  }
}

bool Changed(double value, double last, double threshold) {
  return std::fabs(value - last) >= threshold;
}

// The recorder's one report of a failed write goes on to the window as a message.
void PostRecordingFailed(int error, int32_t kept_waypoints, void* context) {
  PostMessageToWindow(static_cast<FixDisplay*>(context)->window, MSG_RECORDING_FAILED,
                      static_cast<uintptr_t>(error), kept_waypoints);
}

}  // namespace

void FixDisplayInit(FixDisplay* display, WindowHandle window, const ReadoutFormats* formats) {
  if (display == nullptr) return;
  for (char16_t* text : {display->time_text, display->latitude_text, display->longitude_text,
                         display->altitude_text, display->easting_text, display->northing_text}) {
    for (int i = 0; i < kReadoutChars; ++i)
      text[i] = 0;
  }
  GpxRecorderInit(&display->recorder);
  GpxRecorderSetFailureCallback(&display->recorder, PostRecordingFailed, display);
  LockInitialize(&display->values_lock);
  display->last_time = display->last_latitude = display->last_longitude = 0.0;
  display->last_altitude = display->last_easting = display->last_northing = 0.0;
  display->window = window;
  display->last_fix_ms.store(0, std::memory_order_relaxed);

  const ReadoutFormats none{};
  const ReadoutFormats& given = formats != nullptr ? *formats : none;
  display->formats = ReadoutFormats{
      ChooseFormat(given.time, IDS_TIME_FORMAT),
      ChooseFormat(given.latitude_north, IDS_LATITUDE_NORTH),
      ChooseFormat(given.latitude_south, IDS_LATITUDE_SOUTH),
      ChooseFormat(given.longitude_east, IDS_LONGITUDE_EAST),
      ChooseFormat(given.longitude_west, IDS_LONGITUDE_WEST),
      ChooseFormat(given.altitude, IDS_ALTITUDE_FORMAT),
      ChooseFormat(given.easting, IDS_EASTING_FORMAT),
      ChooseFormat(given.northing, IDS_NORTHING_FORMAT),
  };
}

void FixDisplayOnFix(double time, double latitude, double longitude, double altitude,
                     double northing, double easting, void* context) {
  auto* display = static_cast<FixDisplay*>(context);
  if (display == nullptr) return;
  display->last_fix_ms.store(MonotonicMs(), std::memory_order_relaxed);

  // The last values are only written by this thread, so they are compared unlocked.
  uint32_t changes = 0;
  if (Changed(time, display->last_time, kTimeThreshold)) changes |= CHANGE_TIME;
  if (Changed(altitude, display->last_altitude, kAltitudeThreshold)) changes |= CHANGE_ALTITUDE;
  if (Changed(latitude, display->last_latitude, kAngleThreshold)) changes |= CHANGE_LATITUDE;
  if (Changed(longitude, display->last_longitude, kAngleThreshold)) changes |= CHANGE_LONGITUDE;
  if (Changed(northing, display->last_northing, kProjectionThreshold)) changes |= CHANGE_NORTHING;
  if (Changed(easting, display->last_easting, kProjectionThreshold)) changes |= CHANGE_EASTING;
  if (changes == 0) return;

  if (LockEnter(&display->values_lock) != 0) return;
  const ReadoutFormats& formats = display->formats;
  if (changes & CHANGE_TIME) {
    FormatReadout(display->time_text, formats.time, time);
    display->last_time = time;
  }
  if (changes & CHANGE_LATITUDE) {
    FormatAngle(display->latitude_text, formats.latitude_north, formats.latitude_south, latitude);
    display->last_latitude = latitude;
  }
  if (changes & CHANGE_LONGITUDE) {
    FormatAngle(display->longitude_text, formats.longitude_east, formats.longitude_west, longitude);
    display->last_longitude = longitude;
  }
  if (changes & CHANGE_ALTITUDE) {
    FormatReadout(display->altitude_text, formats.altitude, altitude);
    display->last_altitude = altitude;
  }
  if (changes & CHANGE_NORTHING) {
    FormatReadout(display->northing_text, formats.northing, northing);
    display->last_northing = northing;
  }
  if (changes & CHANGE_EASTING) {
    FormatReadout(display->easting_text, formats.easting, easting);
    display->last_easting = easting;
  }
  if (LockLeave(&display->values_lock) == 0) {
    // Lands in MainWindow::event (app/main_window.cpp), which calls FixDisplayRefresh.
    PostMessageToWindow(display->window, MSG_FIX_UPDATED, changes, 0);
  }

  if (changes & kWaypointChanges) {
    GpxRecorderAppendWaypoint(&display->recorder, latitude, longitude, altitude);
  }
}

void FixDisplayRefresh(FixDisplay* display, WindowHandle window, uint32_t change_bits,
                       SetControlText set_text, void* set_text_context) {
  if (display == nullptr || set_text == nullptr || change_bits == 0) return;
  if (LockEnter(&display->values_lock) != 0) return;
  const struct {
    uint32_t bit;
    int control;
    const char16_t* text;
  } readouts[] = {
      {CHANGE_TIME, IDC_TIME, display->time_text},
      {CHANGE_ALTITUDE, IDC_ALTITUDE, display->altitude_text},
      {CHANGE_LATITUDE, IDC_LATITUDE, display->latitude_text},
      {CHANGE_LONGITUDE, IDC_LONGITUDE, display->longitude_text},
      {CHANGE_NORTHING, IDC_NORTHING, display->northing_text},
      {CHANGE_EASTING, IDC_EASTING, display->easting_text},
  };
  for (const auto& readout : readouts) {
    if (change_bits & readout.bit)
      set_text(window, readout.control, readout.text, set_text_context);
  }
  LockLeave(&display->values_lock);
}
