// Keep-awake and display off against the desktop's session services, stood in for by
// python-dbusmock on a session bus of the test's own (run under dbus-run-session), and
// against the X server's idle time.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusReply>

#include "app/commands.h"
#include "app/desktop/session_display_off.h"
#include "tests/app/app_fixture.h"
#include "tests/support/background_program.h"

namespace {

const QString kStandIn = QStringLiteral("org.tavik.TestDesktop");

QStringList AskStandIn(const char* method) {
  const QDBusReply<QStringList> reply = QDBusConnection::sessionBus().call(
      QDBusMessage::createMethodCall(kStandIn, "/org/tavik/TestDesktop", kStandIn, method));
  return reply.isValid() ? reply.value() : QStringList{"<no answer>"};
}

// The desktop services named in `offered` (a JSON object of template parameters).
class StandInDesktop : public BackgroundProgram {
 public:
  explicit StandInDesktop(const std::string& offered)
      : BackgroundProgram({"/usr/bin/python3", "-m", "dbusmock", "--template",
                           DESKTOP_SERVICES_TEMPLATE, "-p", offered}) {
    WaitUntil([] { return AskStandIn("Events") != QStringList{"<no answer>"}; });
  }
  ~StandInDesktop() {
    Finish(SIGTERM, 5000);
    WaitUntil([] { return AskStandIn("Events") == QStringList{"<no answer>"}; });
  }
  QStringList Events() const { return AskStandIn("Events"); }  // what was asked, in order
};

// The X server's time without input after the event loop ran for `ms`.
long IdleAfterRunning(int ms) {
  Pause(ms);
  return std::atol(RunProgram({"/usr/bin/xprintidle"}).out.c_str());
}

// Keep-awake from Start to Stop through the first service the desktop offers, released
// by the program itself (where none is offered the X server's idle time is held off),
// and display off through what it offers, or said to be unavailable. The ticks of an
// open link ask no more, a service that restarted is asked again, and Start and Stop do
// not wait for an answer (it comes only once the gate file exists): a grant late for
// Stop is given back.
TEST_F(AppWindowTest, KeepAwakeAndDisplayOffThroughWhatTheDesktopOffers) {
  if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr ||
      RunProgram({"/usr/bin/python3", "-c", "import dbusmock"}).exit_status != 0)
    GTEST_SKIP() << "needs a session bus and python3-dbusmock";
  const bool on_x11 =  // and its idle time readable
      QGuiApplication::platformName() == "xcb" && access("/usr/bin/xprintidle", X_OK) == 0;
  auto receiver = AddReceiver(1);
  const QString off = "mutter org.gnome.Mutter.DisplayConfig PowerSaveMode=3";
  const struct {
    const char* offered;
    QStringList asked, given_back, display_off, after_activity;  // until the person is back
    int unavailable;
  } cases[] = {
      // clang-format off
      {R"({"portal": true})", {"portal Inhibit 8 Recording GPS position"}, {"portal Close"}, {}, {}, 1},
      {R"({"mutter": true, "idle_monitor": true, "plasma": true})", {}, {},
       {off, "idle-monitor AddUserActiveWatch"}, {"mutter org.gnome.Mutter.DisplayConfig PowerSaveMode=0"}, 0},
      {R"({"screen_saver": true, "plasma": true})", {"screen-saver Inhibit Recording GPS position"},
       {"screen-saver UnInhibit 7"}, {"plasma invokeShortcut Turn Off Screen"}, {}, 0},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.offered);
    auto desktop = std::make_unique<StandInDesktop>(c.offered);
    Command(IDM_START);
    EXPECT_TRUE(WaitUntil([&] { return desktop->Events() == c.asked; }));
    desktop.reset();  // an inhibition ends with its service
    desktop = std::make_unique<StandInDesktop>(c.offered);
    EXPECT_TRUE(WaitUntil([&] { return desktop->Events() == c.asked; }));
    Pause(1200);  // the first tick; what was idle before counts not
    if (c.asked.isEmpty() && on_x11) {
      EXPECT_LT(IdleAfterRunning(2000), 1500);
    }
    EXPECT_EQ(desktop->Events(), c.asked);
    Command(IDM_STOP);
    const QStringList held = c.asked + c.given_back;
    EXPECT_TRUE(WaitUntil([&] { return desktop->Events() == held; }));
    int unavailable = 0;
    AskSessionToSwitchDisplayOff([&] { ++unavailable; });
    EXPECT_TRUE(WaitUntil([&] { return desktop->Events() == held + c.display_off; }));
    Pause(300);
    EXPECT_EQ(unavailable, c.unavailable);
    AskStandIn("UserBecomesActive");
    EXPECT_TRUE(
        WaitUntil([&] { return desktop->Events() == held + c.display_off + c.after_activity; }));
  }
  if (on_x11) {
    EXPECT_GE(IdleAfterRunning(2000), 1500);
  }

  const std::string gate = files_.File("gate");
  StandInDesktop desktop(R"({"portal": true, "gate": ")" + gate + R"("})");
  Command(IDM_START);
  Command(IDM_STOP);
  ASSERT_TRUE(WriteWholeFile(gate, ""));
  EXPECT_TRUE(
      WaitUntil([&] { return desktop.Events() == cases[0].asked + cases[0].given_back; }, 10000));
}

}  // namespace
