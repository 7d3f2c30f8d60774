#include "app/desktop/display_check.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool IsNonEmpty(const char* value) {
  return value != nullptr && value[0] != '\0';
}

bool StartsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool X11Reachable() {
  if (!IsNonEmpty(std::getenv("DISPLAY"))) return false;
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool reached = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  return reached;
}

// The compositor's socket: $WAYLAND_DISPLAY itself when absolute, else in $XDG_RUNTIME_DIR.
bool WaylandReachable() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  if (!IsNonEmpty(name)) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const int length =
      name[0] == '/' ? std::snprintf(address.sun_path, sizeof address.sun_path, "%s", name)
      : IsNonEmpty(runtime)
          ? std::snprintf(address.sun_path, sizeof address.sun_path, "%s/%s", runtime, name)
          : -1;
  if (length < 0 || static_cast<size_t>(length) >= sizeof address.sun_path) return false;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool reached =
      connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return reached;
}

}  // namespace

bool GraphicalSessionReachable() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (IsNonEmpty(platform) && !StartsWith(platform, "xcb") && !StartsWith(platform, "wayland")) {
    return true;  // offscreen, vnc, ...: Qt's own affair
  }
  return WaylandReachable() || X11Reachable();
}
