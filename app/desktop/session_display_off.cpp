#include "app/desktop/session_display_off.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QVariant>

#include "app/desktop/session_bus.h"

namespace {

// GNOME (Mutter): the power-save mode of all monitors, as DPMS has them.
constexpr int kMutterPowerSaveOn = 0;
constexpr int kMutterPowerSaveOff = 3;
const QString kIdleMonitorService = QStringLiteral("org.gnome.Mutter.IdleMonitor");
const QString kIdleMonitorPath = QStringLiteral("/org/gnome/Mutter/IdleMonitor/Core");

QDBusMessage MutterPowerSaveMode(int mode) {
  QDBusMessage call = QDBusMessage::createMethodCall("org.gnome.Mutter.DisplayConfig",
                                                     "/org/gnome/Mutter/DisplayConfig",
                                                     "org.freedesktop.DBus.Properties", "Set");
  call << QStringLiteral("org.gnome.Mutter.DisplayConfig") << QStringLiteral("PowerSaveMode")
       << QVariant::fromValue(QDBusVariant(mode));
  return call;
}

// Mutter leaves monitors that a program switched off dark through any input, so tavik
// itself switches them on again at the person's next key press or pointer move.
QDBusMessage MutterWatchForUserActivity() {
  return QDBusMessage::createMethodCall(kIdleMonitorService, kIdleMonitorPath, kIdleMonitorService,
                                        "AddUserActiveWatch");
}

// KDE Plasma: the action behind PowerDevil's own "Turn Off Screen" shortcut; Plasma
// wakes the screen at the next input itself.
QDBusMessage PlasmaTurnOffScreen() {
  QDBusMessage call =
      QDBusMessage::createMethodCall("org.kde.kglobalaccel", "/component/org_kde_powerdevil",
                                     "org.kde.kglobalaccel.Component", "invokeShortcut");
  call << QStringLiteral("Turn Off Screen");
  return call;
}

// Calls asynchronously: runs `answered` with the reply to `call`, or `failed` on an error reply.
void CallAsync(const QDBusMessage& call, std::function<void(const QDBusMessage&)> answered,
               std::function<void()> failed) {
  auto* pending = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call));
  QObject::connect(
      pending, &QDBusPendingCallWatcher::finished,
      [answered = std::move(answered), failed = std::move(failed)](QDBusPendingCallWatcher* done) {
        done->deleteLater();
        if (done->isError()) {
          failed();
        } else {
          answered(done->reply());
        }
      });
}

// Sends `call` without waiting for, or looking at, an answer.
void SendIgnoringReply(const QDBusMessage& call) {
  QDBusConnection::sessionBus().send(call);
}

}  // namespace

MutterWakeWatch::MutterWakeWatch(uint watch_id)
    : QObject(QCoreApplication::instance()), watch_id_(watch_id) {
  // Any sender: naming the service would make Qt look its owner up and wait for that.
  QDBusConnection::sessionBus().connect(QString(), kIdleMonitorPath, kIdleMonitorService,
                                        QStringLiteral("WatchFired"), this,
                                        SLOT(OnWatchFired(uint)));
}

void MutterWakeWatch::OnWatchFired(uint watch_id) {
  if (watch_id != watch_id_) return;
  SendIgnoringReply(MutterPowerSaveMode(kMutterPowerSaveOn));
  deleteLater();
}

void AskSessionToSwitchDisplayOff(std::function<void()> unavailable) {
  if (!SessionBusAvailable()) {
    unavailable();
    return;
  }
  auto plasma = [unavailable] {
    CallAsync(
        PlasmaTurnOffScreen(), [](const QDBusMessage&) {}, unavailable);
  };
  auto watch_for_wake = [unavailable](const QDBusMessage&) {
    CallAsync(
        MutterWatchForUserActivity(),
        [](const QDBusMessage& reply) { new MutterWakeWatch(reply.arguments().value(0).toUInt()); },
        [unavailable] {
          // Without a way back to a lit screen the display stays on.
          SendIgnoringReply(MutterPowerSaveMode(kMutterPowerSaveOn));
          unavailable();
        });
  };
  CallAsync(MutterPowerSaveMode(kMutterPowerSaveOff), watch_for_wake, plasma);
}
