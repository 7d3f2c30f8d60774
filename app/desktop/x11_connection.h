// The program's own connection to the X server of $DISPLAY, for the screen saver and
// display power requests; null where there is no X server.
#pragma once

#include <xcb/xcb.h>

xcb_connection_t* X11Connection();
xcb_window_t X11RootWindow();
