// The desktop session's D-Bus, where the session announces one.
#pragma once

// Whether the session bus can be used. Only a bus the session announces counts:
// autostarting one of our own would outlive the program.
bool SessionBusAvailable();
