// The simulated receiver's serial port: a pseudo-terminal published as COMn.
#pragma once

#include <string>

struct SimPort {
  int master = -1;  // where the receiver writes
  int device = -1;  // the simulator's own hold on the device side, so it never hangs up
  std::string device_path;
  std::string entry;  // the COMn link in the ports folder
};

// Opens a pseudo-terminal with a raw device side and links `name` ("COM0:" to "COM9:")
// to it in the ports folder. An existing entry is replaced only when it is a simulator's
// link left dangling. On failure prints why and returns false.
bool SimPortOpen(const char* name, SimPort* port);

// Removes the entry (if it still leads to this port) and closes the pseudo-terminal.
void SimPortClose(SimPort* port);

// Whether a program holds the port open exclusively (as tavik does). Exclusive mode
// left behind by a reader that was killed (its flock is free) is cleared, so the port
// stays usable.
bool SimPortHasClient(const SimPort& port);

// A serial line drops what nobody reads: discards input queued while no client holds it.
void SimPortDropUnread(const SimPort& port);

// Discards whatever clients wrote to the receiver.
void SimPortDiscardCommands(const SimPort& port);
