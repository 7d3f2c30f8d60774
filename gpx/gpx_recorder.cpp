#include "gpx/gpx_recorder.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <stdio_ext.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/path_limit.h"
#include "platform/text_convert.h"
#include "platform/utc_clock.h"
#include "platform/wide_format.h"

namespace {

constexpr double kBoundSentinel = 10000000000.0;  // below any min, above any max
constexpr size_t kCoordinateBytes = 32;           // 31 characters and the terminator
// More than the longest waypoint (eight lines, three coordinates of at most 31
// characters) and the longest trailer (four coordinates) together.
constexpr off_t kRoomBytes = 1024;
// The longest time a complete waypoint waits in the system's cache before it is synced.
constexpr int kSyncIntervalMs = 5000;

struct Bounds {
  double min_latitude, max_latitude, min_longitude, max_longitude;
};

#define GPX_1_0_NAMESPACE "http://www.topografix.com/GPX/1/0"

void Reset(GpxRecorder* recorder) {
  recorder->file.store(nullptr);
  recorder->min_latitude = kBoundSentinel;
  recorder->max_latitude = -kBoundSentinel;
  recorder->min_longitude = kBoundSentinel;
  recorder->max_longitude = -kBoundSentinel;
  recorder->waypoint_count = 0;
  recorder->complete_bytes = 0;
  recorder->trailer_bytes = 0;
  recorder->trailer_in_place = false;
}

Bounds BoundsOf(const GpxRecorder* recorder) {
  return {recorder->min_latitude, recorder->max_latitude, recorder->min_longitude,
          recorder->max_longitude};
}

// Adds the bytes one formatted write put out to `total`; false when it failed.
bool CountWritten(int count, int64_t* total) {
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

// The header, into the stream; false at the first line that cannot be written.
bool WriteHeader(FILE* file, int64_t* bytes) {
  UtcTime now;
  UtcClockNow(&now);
  return CountWritten(fprintf(file, "<?xml version=\"1.0\"?>\n"), bytes) &&
         CountWritten(fprintf(file, "<gpx xmlns=\"" GPX_1_0_NAMESPACE "\">\n"), bytes) &&
         CountWritten(fprintf(file, "  <time>%04d-%02d-%02dT%02d:%02d:%02dZ</time>\n", now.year,
                              now.month, now.day, now.hour, now.minute, now.second),
                      bytes);
}

// One waypoint as written: its place, in degrees and metres, and its number. Named
// fields, as the altitude and the number side by side would swap without a word.
struct Waypoint {
  double latitude;
  double longitude;
  double altitude;
  int32_t number;
};

// The eight lines of `waypoint`, counted into `bytes`; false at the first that cannot
// be written.
bool WriteWaypoint(FILE* file, const Waypoint& waypoint, int64_t* bytes) {
  const int32_t number = waypoint.number;
  char lat[kCoordinateBytes], lon[kCoordinateBytes], ele[kCoordinateBytes];
  GpxFormatCoordinate(lat, kCoordinateBytes - 1, waypoint.latitude);
  GpxFormatCoordinate(lon, kCoordinateBytes - 1, waypoint.longitude);
  GpxFormatCoordinate(ele, kCoordinateBytes - 1, waypoint.altitude);
  UtcTime now;
  UtcClockNow(&now);
  return CountWritten(fprintf(file, "  <wpt lat=\"%s\" lon=\"%s\">\n", lat, lon), bytes) &&
         CountWritten(fprintf(file, "    <time>%04d-%02d-%02dT%02d:%02d:%02dZ</time>\n", now.year,
                              now.month, now.day, now.hour, now.minute, now.second),
                      bytes) &&
         CountWritten(fprintf(file, "    <ele>%s</ele>\n", ele), bytes) &&
         CountWritten(fprintf(file, "    <name>%d</name>\n", number), bytes) &&
         CountWritten(fprintf(file, "    <desc>%d</desc>\n", number), bytes) &&
         CountWritten(fprintf(file, "    <sym>Dot</sym>\n"), bytes) &&
         CountWritten(fprintf(file, "    <type>Dot</type>\n"), bytes) &&
         CountWritten(fprintf(file, "  </wpt>\n"), bytes);
}

// The bounds and the closing tag, counted into `bytes`, then the stream's whole content
// pushed to the system in one write; false when that did not reach the system whole.
bool WriteTrailer(FILE* file, const Bounds& bounds, int64_t* bytes) {
  char min_lat[kCoordinateBytes], min_lon[kCoordinateBytes];
  char max_lat[kCoordinateBytes], max_lon[kCoordinateBytes];
  GpxFormatCoordinate(min_lat, kCoordinateBytes - 1, bounds.min_latitude);
  GpxFormatCoordinate(min_lon, kCoordinateBytes - 1, bounds.min_longitude);
  GpxFormatCoordinate(max_lat, kCoordinateBytes - 1, bounds.max_latitude);
  GpxFormatCoordinate(max_lon, kCoordinateBytes - 1, bounds.max_longitude);
  return CountWritten(
             fprintf(file, "  <bounds minlat=\"%s\" minlon=\"%s\" maxlat=\"%s\" maxlon=\"%s\"/>\n",
                     min_lat, min_lon, max_lat, max_lon),
             bytes) &&
         CountWritten(fprintf(file, "</gpx>\n"), bytes) && fflush(file) == 0;
}

void UpdateBounds(Bounds* bounds, double latitude, double longitude) {
  if (latitude > bounds->max_latitude) bounds->max_latitude = latitude;
  if (latitude < bounds->min_latitude) bounds->min_latitude = latitude;
  if (longitude > bounds->max_longitude) bounds->max_longitude = longitude;
  if (longitude < bounds->min_longitude) bounds->min_longitude = longitude;
}

// After a failed write: cuts the file back to its last complete waypoint and puts the
// trailer after it again, so the file on disk is finished once more. False when even
// the trailer does not fit; the file then ends after the waypoint and Close tries again.
bool RestoreTrailer(GpxRecorder* recorder, FILE* file) {
  CutBack(file, recorder->complete_bytes);
  ReserveRoom(file, recorder->complete_bytes);  // what the torn part held, for the trailer
  int64_t bytes = 0;
  if (WriteTrailer(file, BoundsOf(recorder), &bytes)) {
    recorder->trailer_bytes = bytes;
    return true;
  }
  CutBack(file, recorder->complete_bytes);
  recorder->trailer_bytes = 0;
  return false;
}

// Why a thread and not a sync on the append path: a receiver that stands still sends
// no new waypoints, and its last ones must still reach the disk within the interval;
// and a sync on the reader thread would hold up the reading of the next lines. The
// thread wakes once per interval and syncs only when something was written meanwhile.
// It takes no lock: the descriptor stays open until Close has waited for the thread.
int32_t SyncRecording(void* argument) {
  auto* recorder = static_cast<GpxRecorder*>(argument);
  pollfd wake{recorder->sync_wake_fd, POLLIN, 0};
  for (;;) {
    const int ready = poll(&wake, 1, kSyncIntervalMs);
    if (ready > 0 || (ready < 0 && errno != EINTR)) break;
    if (recorder->unsynced.exchange(0) != 0) fdatasync(recorder->sync_fd);
  }
  return 0;
}

// Starts the sync thread of a recording whose file is `fd`. It blocks every signal, so
// programs that take signals as events on one thread (signalfd) keep getting them.
bool StartSync(GpxRecorder* recorder, int fd) {
  recorder->sync_fd = fd;
  recorder->unsynced.store(0);
  recorder->sync_wake_fd = eventfd(0, EFD_CLOEXEC);
  if (recorder->sync_wake_fd < 0) return false;
  sigset_t all, before;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &before);
  const int started = ThreadStart(&recorder->sync_thread, SyncRecording, recorder);
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  if (started) return true;
  close(recorder->sync_wake_fd);
  recorder->sync_wake_fd = -1;
  return false;
}

void StopSync(GpxRecorder* recorder) {
  if (recorder->sync_thread == nullptr) return;
  const uint64_t one = 1;
  (void)!write(recorder->sync_wake_fd, &one, sizeof one);
  ThreadWait(recorder->sync_thread);
  recorder->sync_thread = nullptr;
  close(recorder->sync_wake_fd);
  recorder->sync_wake_fd = -1;
}

}  // namespace

void GpxRecorderInit(GpxRecorder* recorder) {
  if (recorder == nullptr) return;
  Reset(recorder);
  recorder->write_error = 0;
  recorder->kept_waypoints = 0;
  recorder->on_failure = nullptr;
  recorder->failure_context = nullptr;
  recorder->sync_thread = nullptr;
  recorder->sync_wake_fd = -1;
  recorder->sync_fd = -1;
  recorder->unsynced.store(0);
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
  setvbuf(file, recorder->stream_buffer, _IOFBF, sizeof recorder->stream_buffer);
  struct stat kind;
  const bool in_place = fstat(fileno(file), &kind) == 0 && S_ISREG(kind.st_mode);
  // The header and the trailer of no waypoints reach the system together, so the file is
  // finished from the start; one that cannot take them is refused while the user waits.
  int64_t header_bytes = 0, trailer_bytes = 0;
  if (!WriteHeader(file, &header_bytes) ||
      !(in_place ? WriteTrailer(file, BoundsOf(recorder), &trailer_bytes) : fflush(file) == 0)) {
    fclose(file);
    return 0;
  }
  // A recording without room for its first waypoint is refused as well.
  if (const int error = ReserveRoom(file, header_bytes); error != 0) {
    fclose(file);
    errno = error;
    return 0;
  }
  if (in_place && !StartSync(recorder, fileno(file))) {
    const int error = errno;
    fclose(file);
    errno = error;
    return 0;
  }
  if (LockEnter(&recorder->lock) != 0) {
    StopSync(recorder);
    fclose(file);
    return 0;
  }
  recorder->complete_bytes = header_bytes;
  recorder->trailer_bytes = trailer_bytes;
  recorder->trailer_in_place = in_place;
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
  if (length < 0 || length > kMaxPathChars) {
    errno = length < 0 ? EILSEQ : ENAMETOOLONG;  // the reason a caller may show
    return 0;
  }
  return GpxRecorderOpen(recorder, narrow);
}

void GpxRecorderClose(GpxRecorder* recorder) {
  if (recorder == nullptr) return;
  if (!GpxRecorderIsOpen(recorder)) {
    Reset(recorder);
    return;
  }
  StopSync(recorder);  // Close syncs itself, below
  const bool locked = LockEnter(&recorder->lock) == 0;
  FILE* file = recorder->file.load();
  // The trailer is in place unless a failed write took it; then it is tried again: a
  // disk with room again still ends well-formed.
  if (recorder->trailer_bytes == 0 && !RestoreTrailer(recorder, file) &&
      recorder->write_error == 0) {
    recorder->write_error = FailedWriteError();
  }
  // What is left of the room goes back.
  (void)!ftruncate(fileno(file), recorder->complete_bytes + recorder->trailer_bytes);
  // A pipe or device has nothing to sync (EINVAL).
  if (fdatasync(fileno(file)) != 0 && errno != EINVAL && recorder->write_error == 0) {
    recorder->write_error = FailedWriteError();
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
    int64_t waypoint_bytes = 0, trailer_bytes = 0;
    Bounds bounds = BoundsOf(recorder);
    UpdateBounds(&bounds, latitude, longitude);
    failure = ReserveRoom(file, recorder->complete_bytes);
    // The waypoint goes over the trailer, with the trailer of the new bounds after it,
    // in one write: the file is finished before and after it. The file only grows, as a
    // waypoint is longer than the bounds' texts can change.
    const bool in_place = recorder->trailer_in_place;
    if (failure == 0 && (!in_place || fseeko(file, recorder->complete_bytes, SEEK_SET) == 0) &&
        WriteWaypoint(file,
                      {.latitude = latitude,
                       .longitude = longitude,
                       .altitude = altitude,
                       .number = recorder->waypoint_count},
                      &waypoint_bytes) &&
        (in_place ? WriteTrailer(file, bounds, &trailer_bytes) : fflush(file) == 0)) {
      ++recorder->waypoint_count;
      recorder->complete_bytes += waypoint_bytes;
      recorder->trailer_bytes = trailer_bytes;
      recorder->min_latitude = bounds.min_latitude;
      recorder->max_latitude = bounds.max_latitude;
      recorder->min_longitude = bounds.min_longitude;
      recorder->max_longitude = bounds.max_longitude;
      recorder->unsynced.store(1, std::memory_order_relaxed);
      result = 1;
    } else if (failure == 0) {
      failure = FailedWriteError();
      RestoreTrailer(recorder, file);
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
  // Whatever the locale, a GPX number carries a decimal point.
  FormatCNumber(buffer, max_count + 1, "%lf", value);
  return buffer;
}
