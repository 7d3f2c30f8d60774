#include "app/desktop/session_bus.h"

#include <QDBusConnection>
#include <cstdlib>

bool SessionBusAvailable() {
  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (address == nullptr || address[0] == '\0') return false;
  return QDBusConnection::sessionBus().isConnected();
}
