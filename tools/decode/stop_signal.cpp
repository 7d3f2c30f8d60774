#include "tools/decode/stop_signal.h"

#include <csignal>

namespace {

volatile sig_atomic_t stop_requested = 0;

void OnStopSignal(int /*signal*/) {
  stop_requested = 1;
}

}  // namespace

void InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a blocked read returns with EINTR
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);  // a closed terminal
}

void RequestStop() {
  stop_requested = 1;
}

bool StopRequested() {
  return stop_requested != 0;
}
