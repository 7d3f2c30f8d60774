#include "gpx/gpx_recorder.h"

#include <cstring>

#include "platform/text_convert.h"
#include "platform/utc_clock.h"

namespace {

constexpr double kBoundSentinel = 10000000000.0;  // below any min, above any max
constexpr size_t kCoordinateBytes = 32;           // 31 characters and the terminator
constexpr size_t kPathBytes = 260;                // longest 8-bit path, without terminator

#define GPX_1_0_NAMESPACE "http://www.topografix.com/GPX/1/0"

void Reset(GpxRecorder* recorder) {
  recorder->file.store(nullptr);
  recorder->min_latitude = kBoundSentinel;
  recorder->max_latitude = -kBoundSentinel;
  recorder->min_longitude = kBoundSentinel;
  recorder->max_longitude = -kBoundSentinel;
  recorder->waypoint_count = 0;
}

// The header; false at the first line that cannot be written. The header is pushed to
// the system at once, so a file that cannot take it is refused while the user waits.
bool WriteHeader(FILE* file) {
  UtcTimestamp now;
  GpxTakeUtcTimestamp(&now);
  return fprintf(file, "<?xml version=\"1.0\"?>\n") > 0 &&
         fprintf(file, "<gpx xmlns=\"" GPX_1_0_NAMESPACE "\">\n") > 0 &&
         fprintf(file, "  <time>%04d-%02d-%02dT%02d:%02d:%02dZ</time>\n", now.year, now.month,
                 now.day, now.hour, now.minute, now.second) > 0 &&
         fflush(file) == 0;
}

// The eight lines of waypoint number `number`; false at the first that cannot be written.
bool WriteWaypoint(FILE* file, double latitude, double longitude, double altitude, int32_t number) {
  char lat[kCoordinateBytes], lon[kCoordinateBytes], ele[kCoordinateBytes];
  GpxFormatCoordinate(lat, kCoordinateBytes - 1, latitude);
  GpxFormatCoordinate(lon, kCoordinateBytes - 1, longitude);
  GpxFormatCoordinate(ele, kCoordinateBytes - 1, altitude);
  UtcTimestamp now;
  GpxTakeUtcTimestamp(&now);
  return fprintf(file, "  <wpt lat=\"%s\" lon=\"%s\">\n", lat, lon) > 0 &&
         fprintf(file, "    <time>%04d-%02d-%02dT%02d:%02d:%02dZ</time>\n", now.year, now.month,
                 now.day, now.hour, now.minute, now.second) > 0 &&
         fprintf(file, "    <ele>%s</ele>\n", ele) > 0 &&
         fprintf(file, "    <name>%d</name>\n", number) > 0 &&
         fprintf(file, "    <desc>%d</desc>\n", number) > 0 &&
         fprintf(file, "    <sym>Dot</sym>\n") > 0 && fprintf(file, "    <type>Dot</type>\n") > 0 &&
         fprintf(file, "  </wpt>\n") > 0;
}

void UpdateBounds(GpxRecorder* recorder, double latitude, double longitude) {
  if (latitude > recorder->max_latitude) recorder->max_latitude = latitude;
  if (latitude < recorder->min_latitude) recorder->min_latitude = latitude;
  if (longitude > recorder->max_longitude) recorder->max_longitude = longitude;
  if (longitude < recorder->min_longitude) recorder->min_longitude = longitude;
}

}  // namespace

void GpxRecorderInit(GpxRecorder* recorder) {
  if (recorder == nullptr) return;
  Reset(recorder);
  LockInitialize(&recorder->lock);
}

int GpxRecorderIsOpen(GpxRecorder* recorder) {
  return recorder != nullptr && recorder->file.load() != nullptr ? 1 : 0;
}

int GpxRecorderOpen(GpxRecorder* recorder, const char* path) {
  if (recorder == nullptr) return 0;
  // Callers close first; one that forgets must not leave a stream behind unclosed.
  if (GpxRecorderIsOpen(recorder)) GpxRecorderClose(recorder);
  Reset(recorder);
  if (path == nullptr) return 0;
  FILE* file = fopen(path, "w");
  if (file == nullptr) return 0;
  if (!WriteHeader(file)) {
    fclose(file);
    return 0;
  }
  if (LockEnter(&recorder->lock) != 0) {
    fclose(file);
    return 0;
  }
  recorder->file.store(file);
  return LockLeave(&recorder->lock) == 0 ? 1 : 0;
}

int GpxRecorderOpenWide(GpxRecorder* recorder, const char16_t* path) {
  if (recorder == nullptr || path == nullptr) return 0;
  char narrow[kPathBytes + 1];
  // A longer path would name a file the user never chose: refuse it whole.
  const ptrdiff_t length = Utf16ToUtf8(narrow, sizeof narrow, path);
  if (length < 0 || static_cast<size_t>(length) > kPathBytes) return 0;
  return GpxRecorderOpen(recorder, narrow);
}

void GpxRecorderClose(GpxRecorder* recorder) {
  if (recorder == nullptr) return;
  if (!GpxRecorderIsOpen(recorder)) {
    Reset(recorder);
    return;
  }
  const bool locked = LockEnter(&recorder->lock) == 0;
  FILE* file = recorder->file.load();
  char min_lat[kCoordinateBytes], min_lon[kCoordinateBytes];
  char max_lat[kCoordinateBytes], max_lon[kCoordinateBytes];
  GpxFormatCoordinate(min_lat, kCoordinateBytes - 1, recorder->min_latitude);
  GpxFormatCoordinate(min_lon, kCoordinateBytes - 1, recorder->min_longitude);
  GpxFormatCoordinate(max_lat, kCoordinateBytes - 1, recorder->max_latitude);
  GpxFormatCoordinate(max_lon, kCoordinateBytes - 1, recorder->max_longitude);
  fprintf(file, "  <bounds minlat=\"%s\" minlon=\"%s\" maxlat=\"%s\" maxlon=\"%s\"/>\n", min_lat,
          min_lon, max_lat, max_lon);
  fprintf(file, "</gpx>\n");
  fclose(file);
  Reset(recorder);
  if (locked) LockLeave(&recorder->lock);
}

int GpxRecorderAppendWaypoint(GpxRecorder* recorder, double latitude, double longitude,
                              double altitude) {
  // The cheap exit while nothing is recorded: one load, no lock. Only the ordering
  // against Close matters, and that is settled by the test repeated under the lock.
  if (recorder == nullptr || recorder->file.load(std::memory_order_relaxed) == nullptr) return 0;
  if (LockEnter(&recorder->lock) != 0) return 0;
  int result = 0;
  FILE* file = recorder->file.load();
  // Flushed to the system after each waypoint: a crash or kill then loses at most the
  // bounds and the closing tag.
  if (file != nullptr &&
      WriteWaypoint(file, latitude, longitude, altitude, recorder->waypoint_count) &&
      fflush(file) == 0) {
    ++recorder->waypoint_count;
    UpdateBounds(recorder, latitude, longitude);
    result = 1;
  }
  if (LockLeave(&recorder->lock) != 0) result = 0;
  return result;
}

char* GpxFormatCoordinate(char* buffer, size_t max_count, double value) {
  if (buffer == nullptr) return buffer;
  // Bounded like the runtime's _snprintf: at most max_count bytes, always terminated
  // within max_count + 1.
  snprintf(buffer, max_count + 1, "%lf", value);
  // Whatever the locale, a GPX number carries a decimal point.
  char* comma = strchr(buffer, ',');
  if (comma != nullptr) *comma = '.';
  return buffer;
}

UtcTimestamp GpxTakeUtcTimestamp(UtcTimestamp* stamp) {
  UtcTimestamp taken{};
  UtcTime now;
  UtcClockNow(&now);
  taken.year = static_cast<int16_t>(now.year);
  taken.month = static_cast<int16_t>(now.month);
  taken.day = static_cast<int16_t>(now.day);
  taken.hour = static_cast<int16_t>(now.hour);
  taken.minute = static_cast<int16_t>(now.minute);
  taken.second = static_cast<int16_t>(now.second);
  if (stamp != nullptr) *stamp = taken;
  return taken;
}
