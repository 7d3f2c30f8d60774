#include "app/session_display_off.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QVariant>

#include "app/session_bus.h"

namespace {

// GNOME (Mutter): the power-save mode of all monitors; 3 is off, like DPMS off.
constexpr int kMutterPowerSaveOff = 3;

QDBusMessage MutterPowerSaveOff() {
  QDBusMessage call = QDBusMessage::createMethodCall("org.gnome.Mutter.DisplayConfig",
                                                     "/org/gnome/Mutter/DisplayConfig",
                                                     "org.freedesktop.DBus.Properties", "Set");
  call << QStringLiteral("org.gnome.Mutter.DisplayConfig") << QStringLiteral("PowerSaveMode")
       << QVariant::fromValue(QDBusVariant(kMutterPowerSaveOff));
  return call;
}

// KDE Plasma: the action behind PowerDevil's own "Turn Off Screen" shortcut.
QDBusMessage PlasmaTurnOffScreen() {
  QDBusMessage call =
      QDBusMessage::createMethodCall("org.kde.kglobalaccel", "/component/org_kde_powerdevil",
                                     "org.kde.kglobalaccel.Component", "invokeShortcut");
  call << QStringLiteral("Turn Off Screen");
  return call;
}

// Sends `call`; on an error reply runs `otherwise`.
void Try(const QDBusMessage& call, std::function<void()> otherwise) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  auto* pending = new QDBusPendingCallWatcher(bus.asyncCall(call));
  QObject::connect(pending, &QDBusPendingCallWatcher::finished,
                   [otherwise = std::move(otherwise)](QDBusPendingCallWatcher* done) {
                     done->deleteLater();
                     if (done->isError()) otherwise();
                   });
}

}  // namespace

void AskSessionToSwitchDisplayOff(std::function<void()> unavailable) {
  if (!SessionBusAvailable()) {
    unavailable();
    return;
  }
  Try(MutterPowerSaveOff(),
      [unavailable = std::move(unavailable)] { Try(PlasmaTurnOffScreen(), unavailable); });
}
