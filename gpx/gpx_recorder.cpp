#include "gpx/gpx_recorder.h"

#include <fcntl.h>
#include <stdio_ext.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/path_limit.h"
#include "platform/text_convert.h"
#include "platform/utc_clock.h"

namespace {

constexpr double kBoundSentinel = 10000000000.0;  // below any min, above any max
constexpr size_t kCoordinateBytes = 32;           // 31 characters and the terminator
// More than the longest waypoint (eight lines, three coordinates of at most 31
// characters) and the longest trailer (four coordinates) together.
constexpr off_t kRoomBytes = 1024;

#define GPX_1_0_NAMESPACE "http://www.topografix.com/GPX/1/0"

void Reset(GpxRecorder* recorder) {
  recorder->file.store(nullptr);
  recorder->min_latitude = kBoundSentinel;
  recorder->max_latitude = -kBoundSentinel;
  recorder->min_longitude = kBoundSentinel;
  recorder->max_longitude = -kBoundSentinel;
  recorder->waypoint_count = 0;
  recorder->complete_bytes = 0;
}

// Counts what one formatted write put out; false when it failed.
bool Put(int count, int64_t* total) {
  if (count <= 0) return false;
  *total += count;
  return true;
}

// The error number of the write that just failed.
int FailedWriteError() {
  return errno != 0 ? errno : EIO;
}

// Drops what the stream still holds unwritten and cuts the file back to `length`, so a
// write that failed half way leaves no torn element behind.
void CutBack(FILE* file, int64_t length) {
  __fpurge(file);
  if (ftruncate(fileno(file), length) == 0) fseeko(file, length, SEEK_SET);
  clearerr(file);
}

// Takes room on the disk for the next waypoint and the trailer before anything is
// written after `offset`. On a full disk the waypoint is then refused whole, and the
// trailer still fits into what the previous reservation holds. Returns 0, or the error
// when the disk has no room; file systems that cannot reserve leave it to the writes.
int ReserveRoom(FILE* file, int64_t offset) {
  if (fallocate(fileno(file), FALLOC_FL_KEEP_SIZE, offset, kRoomBytes) == 0) return 0;
  return errno == ENOSPC || errno == EDQUOT || errno == EFBIG ? errno : 0;
}

// The header; false at the first line that cannot be written. The header is pushed to
// the system at once, so a file that cannot take it is refused while the user waits.
bool WriteHeader(FILE* file, int64_t* bytes) {
  UtcTime now;
  UtcClockNow(&now);
  return Put(fprintf(file, "<?xml version=\"1.0\"?>\n"), bytes) &&
         Put(fprintf(file, "<gpx xmlns=\"" GPX_1_0_NAMESPACE "\">\n"), bytes) &&
         Put(fprintf(file, "  <time>%04d-%02d-%02dT%02d:%02d:%02dZ</time>\n", now.year, now.month,
                     now.day, now.hour, now.minute, now.second),
             bytes) &&
         fflush(file) == 0;
}

// The eight lines of waypoint number `number`, counted into `bytes`; false at the first
// that cannot be written.
bool WriteWaypoint(FILE* file, double latitude, double longitude, double altitude, int32_t number,
                   int64_t* bytes) {
  char lat[kCoordinateBytes], lon[kCoordinateBytes], ele[kCoordinateBytes];
  GpxFormatCoordinate(lat, kCoordinateBytes - 1, latitude);
  GpxFormatCoordinate(lon, kCoordinateBytes - 1, longitude);
  GpxFormatCoordinate(ele, kCoordinateBytes - 1, altitude);
  UtcTime now;
  UtcClockNow(&now);
  return Put(fprintf(file, "  <wpt lat=\"%s\" lon=\"%s\">\n", lat, lon), bytes) &&
         Put(fprintf(file, "    <time>%04d-%02d-%02dT%02d:%02d:%02dZ</time>\n", now.year, now.month,
                     now.day, now.hour, now.minute, now.second),
             bytes) &&
         Put(fprintf(file, "    <ele>%s</ele>\n", ele), bytes) &&
         Put(fprintf(file, "    <name>%d</name>\n", number), bytes) &&
         Put(fprintf(file, "    <desc>%d</desc>\n", number), bytes) &&
         Put(fprintf(file, "    <sym>Dot</sym>\n"), bytes) &&
         Put(fprintf(file, "    <type>Dot</type>\n"), bytes) &&
         Put(fprintf(file, "  </wpt>\n"), bytes);
}

// The bounds and the closing tag; false when they did not reach the system whole.
bool WriteTrailer(GpxRecorder* recorder, FILE* file) {
  char min_lat[kCoordinateBytes], min_lon[kCoordinateBytes];
  char max_lat[kCoordinateBytes], max_lon[kCoordinateBytes];
  GpxFormatCoordinate(min_lat, kCoordinateBytes - 1, recorder->min_latitude);
  GpxFormatCoordinate(min_lon, kCoordinateBytes - 1, recorder->min_longitude);
  GpxFormatCoordinate(max_lat, kCoordinateBytes - 1, recorder->max_latitude);
  GpxFormatCoordinate(max_lon, kCoordinateBytes - 1, recorder->max_longitude);
  return fprintf(file, "  <bounds minlat=\"%s\" minlon=\"%s\" maxlat=\"%s\" maxlon=\"%s\"/>\n",
                 min_lat, min_lon, max_lat, max_lon) > 0 &&
         fprintf(file, "</gpx>\n") > 0 && fflush(file) == 0;
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
  recorder->write_error = 0;
  recorder->kept_waypoints = 0;
  recorder->on_failure = nullptr;
  recorder->failure_context = nullptr;
  LockInitialize(&recorder->lock);
}

void GpxRecorderSetFailureCallback(GpxRecorder* recorder, GpxFailureCallback callback,
                                   void* context) {
  if (recorder == nullptr) return;
  recorder->on_failure = callback;
  recorder->failure_context = context;
}

int GpxRecorderFailed(GpxRecorder* recorder, int* error, int32_t* kept_waypoints) {
  if (recorder == nullptr || LockEnter(&recorder->lock) != 0) return 0;
  const int failed = recorder->write_error != 0 ? 1 : 0;
  if (error != nullptr) *error = recorder->write_error;
  if (kept_waypoints != nullptr) {
    *kept_waypoints =
        GpxRecorderIsOpen(recorder) ? recorder->waypoint_count : recorder->kept_waypoints;
  }
  LockLeave(&recorder->lock);
  return failed;
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
  int64_t header_bytes = 0;
  if (!WriteHeader(file, &header_bytes)) {
    fclose(file);
    return 0;
  }
  // A recording that could not even be finished is refused while the user waits.
  if (const int error = ReserveRoom(file, header_bytes); error != 0) {
    fclose(file);
    errno = error;
    return 0;
  }
  if (LockEnter(&recorder->lock) != 0) {
    fclose(file);
    return 0;
  }
  recorder->complete_bytes = header_bytes;
  recorder->write_error = 0;
  recorder->kept_waypoints = 0;
  recorder->file.store(file);
  return LockLeave(&recorder->lock) == 0 ? 1 : 0;
}

int GpxRecorderOpenWide(GpxRecorder* recorder, const char16_t* path) {
  if (recorder == nullptr || path == nullptr) return 0;
  char narrow[kMaxPathChars + 1];
  // A longer path would name a file the user never chose: refuse it whole.
  const ptrdiff_t length = Utf16ToUtf8(narrow, sizeof narrow, path);
  if (length < 0 || length > kMaxPathChars) return 0;
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
  // Tried also after a failed waypoint: a disk with room again still ends well-formed.
  if (WriteTrailer(recorder, file)) {
    (void)!ftruncate(fileno(file), ftello(file));  // what is left of the room goes back
  } else {
    if (recorder->write_error == 0) recorder->write_error = FailedWriteError();
    CutBack(file, recorder->complete_bytes);
  }
  if (fclose(file) != 0 && recorder->write_error == 0) recorder->write_error = FailedWriteError();
  recorder->kept_waypoints = recorder->waypoint_count;
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
  int failure = 0;
  int32_t kept = 0;
  FILE* file = recorder->file.load();
  // After a failed write the recording takes nothing more: a later waypoint would
  // follow a gap nobody could see.
  if (file != nullptr && recorder->write_error == 0) {
    int64_t bytes = 0;
    failure = ReserveRoom(file, recorder->complete_bytes);
    // Flushed to the system after each waypoint: a crash or kill then loses at most the
    // bounds and the closing tag.
    if (failure == 0 &&
        WriteWaypoint(file, latitude, longitude, altitude, recorder->waypoint_count, &bytes) &&
        fflush(file) == 0) {
      ++recorder->waypoint_count;
      recorder->complete_bytes += bytes;
      UpdateBounds(recorder, latitude, longitude);
      result = 1;
    } else if (failure == 0) {
      failure = FailedWriteError();
      CutBack(file, recorder->complete_bytes);
      ReserveRoom(file, recorder->complete_bytes);  // what the torn part held, for the trailer
    }
    if (failure != 0) {
      kept = recorder->waypoint_count;
      recorder->write_error = failure;
      recorder->kept_waypoints = kept;
    }
  }
  if (LockLeave(&recorder->lock) != 0) result = 0;
  // Told outside the lock: whoever listens may take a while.
  if (failure != 0 && recorder->on_failure != nullptr) {
    recorder->on_failure(failure, kept, recorder->failure_context);
  }
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
