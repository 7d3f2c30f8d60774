// The desktop's idle inhibition, held while the GPS link is open: through the desktop
// portal where there is one, else through the session's screen saver service. Every
// D-Bus call is sent without waiting for its reply, so the window never blocks on a
// slow or missing service.
#pragma once

#include <QObject>
#include <QString>

class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

class IdleInhibition : public QObject {
 public:
  explicit IdleInhibition(QObject* parent = nullptr);
  ~IdleInhibition() override;

  // Asks for the inhibition unless it is held or asked for already.
  void Hold();
  // Gives the inhibition back, also one whose grant is still on its way.
  void Release();
  // The keep-awake tick: asks again when the service that granted the inhibition went
  // away or a service came up since the last attempt failed.
  void Tick();

  bool Held() const { return via_ != Via::kNone; }

 private:
  enum class Via { kNone, kPortal, kScreenSaver };

  void AskPortal();
  void AskScreenSaver();
  void OnPortalReply(QDBusPendingCallWatcher* call);
  void OnScreenSaverReply(QDBusPendingCallWatcher* call);
  void GiveBack();
  void OnOwnerChanged(const QString& service, const QString& old_owner, const QString& new_owner);

  bool wanted_ = false;
  bool asking_ = false;           // an Inhibit call awaits its reply
  bool service_changed_ = false;  // a service came or went since the last attempt
  Via via_ = Via::kNone;
  QString granted_by_;  // unique bus name of the service holding the inhibition
  QString portal_request_;
  uint screen_saver_cookie_ = 0;
  QDBusServiceWatcher* watcher_ = nullptr;
};

// The application's one inhibition, made on first use and owned by the application
// object; null where the session announces no bus.
IdleInhibition* SessionIdleInhibition();
