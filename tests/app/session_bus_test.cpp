// Keep-awake on a desktop session bus: run under dbus-run-session, with this test
// offering the desktop's screen saver service.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QObject>
#include <cstdlib>

#include "app/power.h"
#include "tests/app/qt_test_support.h"

namespace {

class ScreenSaverService : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

 public:
  int activity_calls = 0;

 public slots:
  void SimulateUserActivity() { ++activity_calls; }
};

TEST(SessionBus, EachTickReportsUserActivityToTheDesktop) {
  if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) GTEST_SKIP() << "no session bus";
  QDBusConnection bus = QDBusConnection::sessionBus();
  ASSERT_TRUE(bus.isConnected());
  ScreenSaverService service;
  ASSERT_TRUE(bus.registerObject("/org/freedesktop/ScreenSaver", &service,
                                 QDBusConnection::ExportAllSlots));
  ASSERT_TRUE(bus.registerService("org.freedesktop.ScreenSaver"));
  ResetSystemIdleTimer();
  EXPECT_TRUE(WaitUntil([&] { return service.activity_calls == 1; }));
  ResetSystemIdleTimer();
  EXPECT_TRUE(WaitUntil([&] { return service.activity_calls == 2; }));
}

}  // namespace

#include "session_bus_test.moc"
