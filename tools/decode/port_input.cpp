#include "tools/decode/port_input.h"

#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "gps/gps_port.h"
#include "language/open_failure_text.h"
#include "platform/monotonic_clock.h"
#include "platform/serial_port.h"
#include "platform/stop_signals.h"
#include "platform/text_convert.h"
#include "res/string_table.h"
#include "tools/decode/liveness_report.h"
#include "tools/decode/output_status.h"

namespace {

// Passes fixes on until the wanted count, then wakes the main thread through a pipe.
struct FixCounter {
  FixCallback sink;
  void* sink_context;
  FILE* out;
  int64_t limit;  // 0: no limit
  int64_t seen;   // touched only on the reader thread
  int done_fd;
  std::atomic<int64_t> last_fix_ms;  // MonotonicMs() of the last fix, 0 before the first
};

void CountFix(double time, double latitude, double longitude, double altitude, double northing,
              double easting, void* context) {
  auto* counter = static_cast<FixCounter*>(context);
  counter->last_fix_ms.store(MonotonicMs(), std::memory_order_relaxed);
  if (counter->limit > 0 && counter->seen >= counter->limit) return;
  if (OutputError() != 0) return;  // the reading is being stopped
  counter->sink(time, latitude, longitude, altitude, northing, easting, counter->sink_context);
  fflush(counter->out);
  // Output that cannot be written ends the reading like the last fix wanted.
  if (++counter->seen == counter->limit || !OutputWritten(counter->out)) {
    const char byte = 1;
    (void)!write(counter->done_fd, &byte, 1);
  }
}

// Runs on the reader thread of a network source: hands the outcome of its connection
// to the main thread through a pipe.
void TellConnected(int error, void* pipe_end) {
  (void)!write(*static_cast<int*>(pipe_end), &error, sizeof error);
}

// The same words the window's error box gives, in the program's own language.
void ReportOpenFailure(const char* name, const char* device, int error) {
  char16_t cause[kOpenFailureChars];
  char text[kOpenFailureChars * 3];
  OpenFailureText(ProgramResourceModule(), name, device, error, cause, kOpenFailureChars);
  Utf16ToUtf8(text, sizeof text, cause);
  char title[kOpenFailureChars];
  if (Utf16ToUtf8(title, sizeof title, FindBuiltinString(IDS_CANT_OPEN_PORT)->text) < 0)
    title[0] = '\0';
  fprintf(stderr, "tavik-decode: %s %s\n", title, text);
}

}  // namespace

int ReadPort(const DecodeOptions& options, FixCallback on_fix, void* fix_context, FILE* out) {
  // Signals are taken as events by this thread only; the reader thread inherits the mask.
  // A closed terminal (SIGHUP) ends the reading like Ctrl-C, so the recording is finished.
  sigset_t stop_signals;
  StopSignalSet(&stop_signals);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  const int signal_fd = signalfd(-1, &stop_signals, SFD_CLOEXEC);
  int done_pipe[2], connected_pipe[2];
  if (signal_fd < 0 || pipe2(done_pipe, O_CLOEXEC) != 0 || pipe2(connected_pipe, O_CLOEXEC) != 0) {
    fprintf(stderr, "tavik-decode: %s\n", strerror(errno));
    return 1;
  }

  FixCounter counter{on_fix, fix_context, out, options.count, 0, done_pipe[1], {0}};
  GpsPort port;
  GpsPortReset(&port);
  int status = 0;
  if (!GpsPortOpenNarrow(&port, options.port.c_str(), options.baud_rate.c_str(),
                         options.data_bits.c_str(), options.parity.c_str(),
                         options.stop_bits.c_str(), options.timeout_ms, options.ellipsoid, CountFix,
                         &counter, TellConnected, &connected_pipe[1])) {
    ReportOpenFailure(options.port.c_str(), port.link.device, errno);
    status = 1;
  } else {
    // Until a stop signal or the last fix wanted, say when the receiver stops giving
    // positions and when they come again. A network source is watched once it is
    // connected; a stop signal ends its lookup or connection at once.
    LivenessReport liveness;
    LivenessReportStart(&liveness, stderr);
    pollfd waits[3] = {
        {signal_fd, POLLIN, 0}, {done_pipe[0], POLLIN, 0}, {connected_pipe[0], POLLIN, 0}};
    int look_ms = port.link.connects_in_reader ? -1 : 0;
    for (;;) {
      const int ready = poll(waits, 3, look_ms);
      if (ready < 0 && errno == EINTR) continue;
      if (ready > 0 && waits[2].revents != 0) {
        int error = 0;
        if (read(connected_pipe[0], &error, sizeof error) != sizeof error) error = EIO;
        if (error != 0) {
          ReportOpenFailure(options.port.c_str(), port.link.device, error);
          status = 1;
          break;
        }
        LivenessReportStart(&liveness, stderr);
        if (waits[0].revents == 0 && waits[1].revents == 0) {
          look_ms = 0;
          continue;
        }
      }
      if (ready != 0) break;
      look_ms = LivenessReportCheck(&liveness, SerialLinkLastBytesMs(&port.link),
                                    counter.last_fix_ms.load(std::memory_order_relaxed));
    }
    GpsPortClose(&port);
  }
  close(signal_fd);
  for (const int end : {done_pipe[0], done_pipe[1], connected_pipe[0], connected_pipe[1]})
    close(end);
  return status;
}
