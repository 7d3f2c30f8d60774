#include "app/desktop/idle_inhibition.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QPointer>
#include <QVariantMap>

#include "app/desktop/session_bus.h"

namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kPortalInterface = QStringLiteral("org.freedesktop.portal.Inhibit");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString kScreenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kScreenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString kReason = QStringLiteral("Recording GPS position");
constexpr uint kInhibitIdle = 8;

QDBusConnection Bus() {
  return QDBusConnection::sessionBus();
}

}  // namespace

IdleInhibition::IdleInhibition(QObject* parent) : QObject(parent) {
  watcher_ = new QDBusServiceWatcher(this);
  watcher_->setConnection(Bus());
  watcher_->setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
  watcher_->setWatchedServices({kPortalService, kScreenSaverService});
  connect(watcher_, &QDBusServiceWatcher::serviceOwnerChanged, this,
          &IdleInhibition::OnOwnerChanged);
}

IdleInhibition::~IdleInhibition() {
  Release();
}

void IdleInhibition::Hold() {
  wanted_ = true;
  if (asking_ || Held()) return;
  service_changed_ = false;
  AskPortal();
}

void IdleInhibition::Release() {
  wanted_ = false;
  GiveBack();  // a grant still on its way is given back when it arrives
}

void IdleInhibition::Tick() {
  if (wanted_ && service_changed_) Hold();
}

void IdleInhibition::AskPortal() {
  asking_ = true;
  QDBusMessage call =
      QDBusMessage::createMethodCall(kPortalService, kPortalPath, kPortalInterface, "Inhibit");
  call << QString() << kInhibitIdle << QVariantMap{{QStringLiteral("reason"), kReason}};
  auto* pending = new QDBusPendingCallWatcher(Bus().asyncCall(call), this);
  connect(pending, &QDBusPendingCallWatcher::finished, this, &IdleInhibition::OnPortalReply);
}

void IdleInhibition::AskScreenSaver() {
  asking_ = true;
  QDBusMessage call = QDBusMessage::createMethodCall(kScreenSaverService, kScreenSaverPath,
                                                     kScreenSaverService, "Inhibit");
  call << QCoreApplication::applicationName() << kReason;
  auto* pending = new QDBusPendingCallWatcher(Bus().asyncCall(call), this);
  connect(pending, &QDBusPendingCallWatcher::finished, this, &IdleInhibition::OnScreenSaverReply);
}

void IdleInhibition::OnPortalReply(QDBusPendingCallWatcher* call) {
  call->deleteLater();
  const QDBusPendingReply<QDBusObjectPath> reply = *call;
  if (reply.isError()) {
    asking_ = false;
    if (wanted_) AskScreenSaver();  // no portal, or one without the inhibit interface
    return;
  }
  asking_ = false;
  via_ = Via::kPortal;
  granted_by_ = reply.reply().service();
  portal_request_ = reply.value().path();
  if (!wanted_) GiveBack();  // Stop came while the grant was on its way
}

void IdleInhibition::OnScreenSaverReply(QDBusPendingCallWatcher* call) {
  call->deleteLater();
  asking_ = false;
  const QDBusPendingReply<uint> reply = *call;
  if (reply.isError()) return;  // nothing offered; a service coming up is asked at a tick
  via_ = Via::kScreenSaver;
  granted_by_ = reply.reply().service();
  screen_saver_cookie_ = reply.value();
  if (!wanted_) GiveBack();
}

void IdleInhibition::GiveBack() {
  QDBusMessage call;
  switch (via_) {
    case Via::kNone:
      return;
    case Via::kPortal:
      call = QDBusMessage::createMethodCall(kPortalService, portal_request_, kRequestInterface,
                                            "Close");
      break;
    case Via::kScreenSaver:
      call = QDBusMessage::createMethodCall(kScreenSaverService, kScreenSaverPath,
                                            kScreenSaverService, "UnInhibit");
      call << screen_saver_cookie_;
      break;
  }
  via_ = Via::kNone;
  granted_by_.clear();
  Bus().send(call);  // no reply awaited: the bus drops the inhibition with us anyway
}

void IdleInhibition::OnOwnerChanged(const QString&, const QString& old_owner, const QString&) {
  service_changed_ = true;
  // The service that granted the inhibition ended, and the inhibition with it.
  if (Held() && old_owner == granted_by_) {
    via_ = Via::kNone;
    granted_by_.clear();
  }
}

IdleInhibition* SessionIdleInhibition() {
  static QPointer<IdleInhibition> inhibition;  // gone with the application object
  if (inhibition.isNull() && QCoreApplication::instance() != nullptr && SessionBusAvailable()) {
    inhibition = new IdleInhibition(QCoreApplication::instance());
  }
  return inhibition;
}
