// Whether the desktop tavik would show its window on can be reached at all.
#pragma once

// True when an X server ($DISPLAY) or a Wayland compositor ($WAYLAND_DISPLAY) accepts
// a connection, or when QT_QPA_PLATFORM names a platform that needs neither.
bool GraphicalSessionReachable();

// The one line said instead of a window when there is no graphical session.
inline constexpr char kNoGraphicalSessionMessage[] =
    "tavik: needs a graphical session (no X11 or Wayland display could be reached); "
    "'tavik-decode --port COM1: --gpx FILE' records without one\n";
