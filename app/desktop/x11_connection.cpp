#include "app/desktop/x11_connection.h"

namespace {

struct X11 {
  xcb_connection_t* connection = nullptr;
  xcb_window_t root = XCB_WINDOW_NONE;
  bool tried = false;
};

X11& Shared() {
  static X11 x11;
  if (!x11.tried) {
    x11.tried = true;
    int screen_number = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screen_number);
    if (xcb_connection_has_error(connection) != 0) {
      xcb_disconnect(connection);
      return x11;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screen_number && screens.rem > 0; ++i)
      xcb_screen_next(&screens);
    x11.connection = connection;
    x11.root = screens.rem > 0 ? screens.data->root : xcb_window_t{XCB_WINDOW_NONE};
  }
  return x11;
}

}  // namespace

xcb_connection_t* X11Connection() {
  return Shared().connection;
}
xcb_window_t X11RootWindow() {
  return Shared().root;
}
