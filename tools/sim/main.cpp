// tavik-sim: a simulated GPS receiver on a pseudo-terminal, published as a COM port.
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/stop_signals.h"
#include "tools/parse_integer.h"
#include "tools/sim/capture_bursts.h"
#include "tools/sim/nmea_walk.h"
#include "tools/sim/sim_port.h"

namespace {

const char kUsage[] =
    "Usage: tavik-sim [--port COMn:] [--replay FILE [--loop] [--wait]] [--baud B]\n"
    "                 [--interval MS]\n"
    "Simulates a GPS receiver on a pseudo-terminal and publishes it as a port in\n"
    "~/.config/tavik/ports/ (or $XDG_CONFIG_HOME/tavik/ports/) until Ctrl-C.\n"
    "\n"
    "  --port COMn:    the port name to publish (default COM1:)\n"
    "  --replay FILE   send a recorded capture ('#' lines left out), one burst per GGA,\n"
    "                  instead of the built-in walk; afterwards the receiver is silent\n"
    "  --loop          start the capture again at its end\n"
    "  --wait          start the capture only once a program holds the port\n"
    "  --baud B        send bytes no faster than a line of B baud would (default: at once)\n"
    "  --interval MS   time between bursts (default 1000; 0: back to back)\n"
    "  --help          show this help\n"
    "  --version       show the version\n";

enum ExitStatus { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

// Start, data and stop bit of each byte on the line.
constexpr int kBitsPerByte = 10;
// Paced output goes out in slices of this many milliseconds of line time.
constexpr int kPaceSliceMs = 10;
// How often a waiting simulator looks for a client.
constexpr int kClientCheckMs = 20;

struct SimOptions {
  std::string port = "COM1:";
  std::string replay;
  bool loop = false;
  bool wait = false;
  int64_t baud = 0;  // 0: no pacing
  int64_t interval_ms = 1000;
};

using Clock = std::chrono::steady_clock;

// Returns kExitOk to run, or the status to exit with.
int ParseOptions(int argc, char** argv, SimOptions* options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
    if (arg == "--help" || arg == "-h") {
      fputs(kUsage, stdout);
      exit(kExitOk);
    } else if (arg == "--version") {
      puts("tavik " TAVIK_VERSION);
      exit(kExitOk);
    } else if (arg == "--loop") {
      options->loop = true;
    } else if (arg == "--wait") {
      options->wait = true;
    } else if (arg == "--port" && value != nullptr) {
      options->port = argv[++i];
    } else if (arg == "--replay" && value != nullptr) {
      options->replay = argv[++i];
    } else if (arg == "--baud" && ParseInteger(value, 50, 4000000, &options->baud)) {
      ++i;
    } else if (arg == "--interval" && ParseInteger(value, 0, 3600000, &options->interval_ms)) {
      ++i;
    } else {
      fprintf(stderr, "tavik-sim: bad option '%s'%s (see --help)\n", arg.c_str(),
              value != nullptr && arg.rfind("--", 0) == 0 ? " or value" : "");
      return kExitUsage;
    }
  }
  if ((options->loop || options->wait) && options->replay.empty()) {
    fputs("tavik-sim: --loop and --wait go with --replay (see --help)\n", stderr);
    return kExitUsage;
  }
  return kExitOk;
}

// Waits up to `ms` for a stop signal; true when one came.
bool StopSignalled(int signal_fd, int ms) {
  pollfd wait{signal_fd, POLLIN, 0};
  return poll(&wait, 1, ms) > 0;
}

// Writes a burst, paced to the baud rate when one is given. False when a stop signal
// came meanwhile.
bool SendBurst(const SimPort& port, const std::string& burst, int64_t baud, int signal_fd) {
  if (!SimPortHasClient(port)) SimPortDropUnread(port);
  const size_t slice =
      baud > 0 ? std::max<size_t>(1, baud / kBitsPerByte * kPaceSliceMs / 1000) : burst.size();
  const auto start = Clock::now();
  size_t sent = 0;
  while (sent < burst.size()) {
    SimPortDiscardCommands(port);
    const size_t count = std::min(slice, burst.size() - sent);
    const ssize_t put = write(port.master, burst.data() + sent, count);
    if (put > 0) sent += static_cast<size_t>(put);
    if (put < 0 && errno != EAGAIN && errno != EINTR) return true;  // the line is gone
    int wait_ms = 0;
    if (put < 0) {
      wait_ms = kPaceSliceMs;  // the line is full: wait for the client to read
    } else if (baud > 0) {
      const auto due = start + std::chrono::microseconds(static_cast<long long>(sent) *
                                                         kBitsPerByte * 1000000 / baud);
      wait_ms = static_cast<int>(
          std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()).count());
    }
    if (wait_ms > 0 && StopSignalled(signal_fd, wait_ms)) return false;
    if (wait_ms <= 0 && StopSignalled(signal_fd, 0)) return false;
  }
  return true;
}

bool LoadCapture(const std::string& path, std::vector<std::string>* bursts) {
  FILE* in = fopen(path.c_str(), "rb");
  if (in == nullptr) {
    fprintf(stderr, "tavik-sim: cannot read '%s': %s\n", path.c_str(), strerror(errno));
    return false;
  }
  std::string bytes;
  char chunk[65536];
  size_t count;
  while ((count = fread(chunk, 1, sizeof chunk, in)) > 0)
    bytes.append(chunk, count);
  fclose(in);
  *bursts = CaptureBursts(bytes);
  return true;
}

// Sends bursts on a fixed grid until a stop signal.
void Run(const SimOptions& options, const std::vector<std::string>& capture, const SimPort& port,
         int signal_fd) {
  if (options.wait) {
    while (!SimPortHasClient(port)) {
      if (StopSignalled(signal_fd, kClientCheckMs)) return;
    }
  }
  Walk walk;
  WalkStart(&walk);
  size_t next = 0;
  auto due = Clock::now();
  for (;;) {
    std::string burst;
    if (capture.empty()) {
      burst = WalkBurst(&walk, time(nullptr));
    } else if (next < capture.size()) {
      burst = capture[next++];
      if (next == capture.size() && options.loop) next = 0;
    } else {
      // The capture is over: the receiver stays silent until stopped.
      while (!StopSignalled(signal_fd, 1000)) {
        SimPortDiscardCommands(port);
        SimPortHasClient(port);  // keeps clearing what a killed reader left
      }
      return;
    }
    if (!SendBurst(port, burst, options.baud, signal_fd)) return;
    due += std::chrono::milliseconds(options.interval_ms);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now());
    if (left.count() < 0) due = Clock::now();  // fell behind: keep the interval from now
    if (StopSignalled(signal_fd, left.count() > 0 ? static_cast<int>(left.count()) : 0)) return;
  }
}

}  // namespace

int main(int argc, char** argv) {
  SimOptions options;
  const int parsed = ParseOptions(argc, argv, &options);
  if (parsed != kExitOk) return parsed;
  std::vector<std::string> capture;
  if (!options.replay.empty() && !LoadCapture(options.replay, &capture)) return kExitFailed;

  // Stop signals arrive as readable events, so the link is always removed.
  sigset_t stop_signals;
  StopSignalSet(&stop_signals);
  sigprocmask(SIG_BLOCK, &stop_signals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  const int signal_fd = signalfd(-1, &stop_signals, SFD_CLOEXEC);
  if (signal_fd < 0) {
    fprintf(stderr, "tavik-sim: %s\n", strerror(errno));
    return kExitFailed;
  }

  SimPort port;
  if (!SimPortOpen(options.port.c_str(), &port)) return kExitFailed;
  fprintf(stderr, "tavik-sim: %s is %s (%s)\n", options.port.c_str(), port.device_path.c_str(),
          port.entry.c_str());
  Run(options, capture, port, signal_fd);
  SimPortClose(&port);
  close(signal_fd);
  return kExitOk;
}
