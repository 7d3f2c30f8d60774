// Which of Qt's window-system platforms tavik runs on.
#pragma once

// In a Wayland session (WAYLAND_DISPLAY set) asks Qt for its Wayland platform, with
// X11 as the fallback, unless the user chose one through QT_QPA_PLATFORM. Qt alone
// would pick X11 (through XWayland) on some desktops. Call before the application
// object exists.
void PreferNativeWayland();
