#include "app/desktop/wayland_platform.h"

#include <QByteArray>
#include <QtGlobal>

void PreferNativeWayland() {
  if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) return;
  if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) return;
  qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("wayland;xcb"));
}
