#include "tools/decode/stop_signal.h"

#include <csignal>

#include "platform/stop_signals.h"

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
  for (const int signal_number : kStopSignals)
    sigaction(signal_number, &action, nullptr);
}

void RequestStop() {
  stop_requested = 1;
}

bool StopRequested() {
  return stop_requested != 0;
}
