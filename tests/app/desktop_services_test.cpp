// Keep-awake and display off against the desktop's session services, stood in for by
// python-dbusmock on a session bus of the test's own (run under dbus-run-session), and
// against the X server's idle time and screen saver (Xvfb has no DPMS).
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QDBusReply>

#include "app/commands.h"
#include "app/power.h"
#include "app/session_display_off.h"
#include "tests/app/app_fixture.h"
#include "tests/support/background_program.h"

namespace {

const QString kStandIn = QStringLiteral("org.tavik.TestDesktop");
const QString kPortalAsk = "portal Inhibit 8 Recording GPS position";

QStringList AskStandIn(const char* method) {
  const QDBusReply<QStringList> reply = QDBusConnection::sessionBus().call(
      QDBusMessage::createMethodCall(kStandIn, "/org/tavik/TestDesktop", kStandIn, method));
  return reply.isValid() ? reply.value() : QStringList{"<no answer>"};
}

// The desktop services named in `offered` (a JSON object of template parameters).
class StandInDesktop {
 public:
  explicit StandInDesktop(const std::string& offered)
      : mock_({"/usr/bin/python3", "-m", "dbusmock", "--template", DESKTOP_SERVICES_TEMPLATE, "-p",
               offered}) {
    WaitUntil([] { return AskStandIn("Events") != QStringList{"<no answer>"}; });
  }
  ~StandInDesktop() {
    mock_.Finish(SIGTERM, 5000);
    WaitUntil([] { return AskStandIn("Events") == QStringList{"<no answer>"}; });
  }
  QStringList Events() const { return AskStandIn("Events"); }  // what was asked, in order

 private:
  BackgroundProgram mock_;
};

// The longest time without input on the X server seen while the event loop runs for
// `ms`.
long LongestIdleWhileRunning(int ms) {
  long longest = 0;
  for (int waited = 0; waited < ms; waited += 250) {
    WaitUntil([] { return false; }, 250);
    longest = std::max(longest, std::atol(RunProgram({"/usr/bin/xprintidle"}).out.c_str()));
  }
  return longest;
}

class DesktopServices : public AppWindowTest {
 protected:
  void SetUp() override {
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr ||
        RunProgram({"/usr/bin/python3", "-c", "import dbusmock"}).exit_status != 0)
      GTEST_SKIP() << "needs a session bus and python3-dbusmock";
    AppWindowTest::SetUp();
    receiver_ = AddReceiver(1);
  }
  bool OnX11() const {  // and its idle time readable
    return QGuiApplication::platformName() == "xcb" && access("/usr/bin/xprintidle", X_OK) == 0;
  }
  std::unique_ptr<FakeReceiver> receiver_;
};

// One inhibition from Start to Stop through the first service the desktop offers,
// released by the program itself; where none is offered the X server's idle time is
// held off. The ticks of an open link ask no more.
TEST_F(DesktopServices, OneInhibitionWhileTheLinkIsOpen) {
  const struct {
    const char* offered;
    QStringList asked, given_back;
  } cases[] = {
      {R"({"portal": true, "screen_saver": true})", {kPortalAsk}, {"portal Close"}},
      {R"({"screen_saver": true})",
       {"screen-saver Inhibit tavik Recording GPS position"},
       {"screen-saver UnInhibit"}},
      {"{}", {}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.offered);
    StandInDesktop desktop(c.offered);
    Command(IDM_START);
    EXPECT_TRUE(WaitUntil([&] { return desktop.Events() == c.asked; }));
    WaitUntil([] { return false; }, 1200);  // the first tick; what was idle before counts not
    if (c.asked.isEmpty() && OnX11()) {
      EXPECT_LT(LongestIdleWhileRunning(2000), 1500);
    }
    EXPECT_EQ(desktop.Events(), c.asked);
    Command(IDM_STOP);
    EXPECT_TRUE(WaitUntil([&] { return desktop.Events() == c.asked + c.given_back; }));
  }
  if (OnX11()) {
    EXPECT_GE(LongestIdleWhileRunning(2000), 1500);
  }
}

// A service that restarted is asked again; Start and Stop do not wait for an answer
// (it comes only once the gate file exists), and a grant late for Stop is given back.
TEST_F(DesktopServices, ARestartedServiceIsAskedAgainAndALateGrantGivenBack) {
  const QStringList asked{kPortalAsk}, both{kPortalAsk, "portal Close"};
  auto desktop = std::make_unique<StandInDesktop>(R"({"portal": true})");
  Command(IDM_START);
  ASSERT_TRUE(WaitUntil([&] { return desktop->Events() == asked; }));
  desktop.reset();  // the inhibition ends with the service
  desktop = std::make_unique<StandInDesktop>(R"({"portal": true})");
  EXPECT_TRUE(WaitUntil([&] { return desktop->Events() == asked; }));
  Command(IDM_STOP);
  EXPECT_TRUE(WaitUntil([&] { return desktop->Events() == both; }));

  const std::string gate = files_.File("gate");
  desktop.reset();
  desktop = std::make_unique<StandInDesktop>(R"({"portal": true, "gate": ")" + gate + R"("})");
  Command(IDM_START);
  Command(IDM_STOP);
  ASSERT_TRUE(WriteWholeFile(gate, ""));
  EXPECT_TRUE(WaitUntil([&] { return desktop->Events() == both; }, 10000));
}

// Display off through what the desktop offers, or said to be unavailable; on X the
// screen saver stands in, and a keep-awake tick does not undo it.
TEST_F(DesktopServices, DisplayOffThroughWhatTheDesktopOffersOrSaysItCannot) {
  const QString off = "mutter org.gnome.Mutter.DisplayConfig PowerSaveMode=3";
  const QString on = "mutter org.gnome.Mutter.DisplayConfig PowerSaveMode=0";
  const struct {
    const char* offered;
    QStringList asked, after_activity;  // until the person is back, and then
    int unavailable;
  } cases[] = {
      {R"({"mutter": true, "idle_monitor": true, "plasma": true})",
       {off, "idle-monitor AddUserActiveWatch"},
       {on},
       0},
      {R"({"mutter": true})", {off, on}, {}, 1},  // without a way back it stays on
      {R"({"plasma": true})", {"plasma invokeShortcut Turn Off Screen"}, {}, 0},
      {R"({"portal": true, "screen_saver": true})", {}, {}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.offered);
    StandInDesktop desktop(c.offered);
    int unavailable = 0;
    AskSessionToSwitchDisplayOff([&] { ++unavailable; });
    EXPECT_TRUE(WaitUntil([&] { return desktop.Events() == c.asked; }));
    WaitUntil([] { return false; }, 300);
    EXPECT_EQ(unavailable, c.unavailable);
    AskStandIn("UserBecomesActive");
    EXPECT_TRUE(WaitUntil([&] { return desktop.Events() == c.asked + c.after_activity; }));
  }
  if (!OnX11()) return;
  Command(IDM_START);
  SwitchDisplayOff();
  EXPECT_TRUE(WaitUntil(DisplayIsOff, 2000));
  WaitUntil([] { return false; }, 1200);
  EXPECT_TRUE(DisplayIsOff());
  RunProgram({"/usr/bin/xdotool", "mousemove_relative", "--", "1", "1"});  // the user is back
  EXPECT_TRUE(WaitUntil([] { return !DisplayIsOff(); }, 2000));
}

}  // namespace
