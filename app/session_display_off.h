// Display off where the X server cannot do it (a Wayland session): the desktop is
// asked over the session bus to blank the screen without locking the session.
#pragma once

#include <functional>

// Asks GNOME's display configuration for power-save mode off, else Plasma's power
// management for its "Turn Off Screen" action. `unavailable` runs, later, on the
// window's thread, when the desktop offers neither. Nothing waits for a reply.
void AskSessionToSwitchDisplayOff(std::function<void()> unavailable);
