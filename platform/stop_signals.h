// The signals that ask a tavik program to finish cleanly instead of dying: Ctrl-C
// (SIGINT), a kill (SIGTERM) and a closed terminal (SIGHUP). Every program takes the
// same three, whether by a handler or as events.
#pragma once

#include <csignal>

inline constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Fills `set` with exactly the stop signals.
inline void StopSignalSet(sigset_t* set) {
  sigemptyset(set);
  for (const int signal_number : kStopSignals)
    sigaddset(set, signal_number);
}
