// Keep-awake and display off against the desktop's session services, stood in for by
// python-dbusmock on a session bus of the test's own (run under dbus-run-session).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/commands.h"
#include "app/session_display_off.h"
#include "tests/app/app_fixture.h"
#include "tests/app/qt_test_support.h"
#include "tests/support/background_program.h"
#include "tests/support/run_program.h"
#include "tests/support/shared_data.h"

namespace {

const QString kStandIn = QStringLiteral("org.tavik.TestDesktop");
const std::string kInhibitReason = "Recording GPS position";

QStringList AskStandIn(const char* method) {
  QDBusMessage call =
      QDBusMessage::createMethodCall(kStandIn, "/org/tavik/TestDesktop", kStandIn, method);
  const QDBusReply<QStringList> reply = QDBusConnection::sessionBus().call(call);
  return reply.isValid() ? reply.value() : QStringList{QStringLiteral("<no answer>")};
}

// The desktop services named in `offered` (a JSON object of template parameters).
class StandInDesktop {
 public:
  explicit StandInDesktop(const std::string& offered)
      : mock_({"/usr/bin/python3", "-m", "dbusmock", "--template", DESKTOP_SERVICES_TEMPLATE, "-p",
               offered}) {
    // It answers once every service it offers is on the bus.
    WaitUntil([] {
      return QDBusConnection::sessionBus().interface()->isServiceRegistered(kStandIn).value() &&
             AskStandIn("Events") != QStringList{QStringLiteral("<no answer>")};
    });
  }
  ~StandInDesktop() {
    mock_.Finish(SIGTERM, 5000);
    WaitUntil([] {
      return !QDBusConnection::sessionBus().interface()->isServiceRegistered(kStandIn).value();
    });
  }
  QStringList Held() const { return AskStandIn("Held"); }
  QStringList Events() const { return AskStandIn("Events"); }

 private:
  BackgroundProgram mock_;
};

bool HaveDbusmock() {
  return std::getenv("DBUS_SESSION_BUS_ADDRESS") != nullptr &&
         RunProgram({"/usr/bin/python3", "-c", "import dbusmock"}).exit_status == 0;
}

class DesktopServices : public AppWindowTest {
 protected:
  void SetUp() override {
    if (!HaveDbusmock()) GTEST_SKIP() << "needs a session bus and python3-dbusmock";
    AppWindowTest::SetUp();
    receiver_ = AddReceiver(1);
  }
  QString Ours() const { return QDBusConnection::sessionBus().baseService(); }
  std::unique_ptr<FakeReceiver> receiver_;
};

struct InhibitCase {
  const char* name;
  const char* offered;
  const char* held_by;  // "" for none
  const char* asked;    // the Inhibit event, "" for none
  const char* given_back;
};

class Inhibition : public DesktopServices, public testing::WithParamInterface<InhibitCase> {};

TEST_P(Inhibition, OneFromStartToStopAndQuitNoneWhileClosed) {
  const InhibitCase& c = GetParam();
  StandInDesktop desktop(c.offered);
  const QStringList one_held =
      *c.held_by ? QStringList{QString(c.held_by) + " " + Ours()} : QStringList{};
  WaitUntil([] { return false; }, 1200);
  EXPECT_EQ(desktop.Held(), QStringList{}) << "closed link";

  Command(IDM_START);
  ASSERT_TRUE(window_->KeepAwakeTimerRunning());
  EXPECT_TRUE(WaitUntil([&] { return desktop.Held() == one_held; }))
      << desktop.Held().join(",").toStdString();
  WaitUntil([] { return false; }, 2500);  // ticks of an open link ask no more
  EXPECT_EQ(desktop.Held(), one_held);

  Command(IDM_STOP);
  EXPECT_TRUE(WaitUntil([&] { return desktop.Held().isEmpty(); }));
  Command(IDM_START);
  EXPECT_TRUE(WaitUntil([&] { return desktop.Held() == one_held; }));
  QuitWithoutAsking(&app_, window_.get());
  EXPECT_TRUE(WaitUntil([&] { return desktop.Held().isEmpty(); }));

  QStringList expected;
  if (*c.asked) expected = {c.asked, c.given_back, c.asked, c.given_back};
  EXPECT_EQ(desktop.Events(), expected) << "released by the program itself, not by the bus";
}

const std::string kPortalAsk = "portal Inhibit 8 " + kInhibitReason;
const std::string kScreenSaverAsk = "screen-saver Inhibit tavik " + kInhibitReason;

INSTANTIATE_TEST_SUITE_P(
    Desktops, Inhibition,
    testing::Values(InhibitCase{"PortalFirst", R"({"portal": true, "screen_saver": true})",
                                "portal", kPortalAsk.c_str(), "portal Close"},
                    InhibitCase{"ScreenSaverWithoutPortal", R"({"screen_saver": true})",
                                "screen-saver", kScreenSaverAsk.c_str(), "screen-saver UnInhibit"},
                    InhibitCase{"NothingOffered", "{}", "", "", ""}),
    [](const testing::TestParamInfo<InhibitCase>& info) { return info.param.name; });

TEST_F(DesktopServices, AServiceThatRestartedIsAskedAgain) {
  const char* portal = R"({"portal": true})";
  auto desktop = std::make_unique<StandInDesktop>(portal);
  Command(IDM_START);
  ASSERT_TRUE(WaitUntil([&] { return desktop->Held().size() == 1; }));
  desktop.reset();  // the inhibition ended with the service
  desktop = std::make_unique<StandInDesktop>(portal);
  EXPECT_TRUE(WaitUntil([&] { return desktop->Held().size() == 1; }));
  EXPECT_EQ(desktop->Events(), QStringList{QString::fromStdString(kPortalAsk)});
  Command(IDM_STOP);
  EXPECT_TRUE(WaitUntil([&] { return desktop->Held().isEmpty(); }));
}

// The service answers only once a file exists, which the test makes after Start and
// Stop returned: a window waiting for the answer would still wait then.
TEST_F(DesktopServices, StartAndStopDoNotWaitForTheServiceAndAGrantLateForStopIsGivenBack) {
  const std::string gate = files_.File("gate");
  StandInDesktop desktop(R"({"portal": true, "gate": ")" + gate + R"("})");
  Command(IDM_START);
  Command(IDM_STOP);
  ASSERT_TRUE(WriteWholeFile(gate, ""));
  EXPECT_TRUE(WaitUntil([&] { return desktop.Events().size() == 2; }, 10000));
  EXPECT_EQ(desktop.Events(),
            (QStringList{QString::fromStdString(kPortalAsk), QStringLiteral("portal Close")}));
  EXPECT_EQ(desktop.Held(), QStringList{});
}

// tavik itself, killed while the link is open: the bus ends its inhibition.
TEST_F(DesktopServices, AKilledProgramLeavesNoInhibition) {
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || access("/usr/bin/xdotool", X_OK) != 0) GTEST_SKIP() << "needs X";
  StandInDesktop desktop(R"({"portal": true})");
  const std::string runtime = files_.File("runtime");
  std::filesystem::create_directory(runtime);
  chmod(runtime.c_str(), 0700);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);  // the program's own instance lock
  window_->hide();  // the program's own window is then the only one of its name
  BackgroundProgram tavik({BinPath("tavik")}, {"LC_ALL=C.UTF-8"});
  const ProgramResult found = RunProgram({"/usr/bin/timeout", "20", "/usr/bin/xdotool", "search",
                                          "--sync", "--onlyvisible", "--name", "^GPS$"});
  const std::string window = found.out.substr(0, found.out.find('\n'));
  ASSERT_FALSE(window.empty());
  RunProgram({"/usr/bin/xdotool", "mousemove", "--window", window, "3", "3", "click", "1"});
  WaitUntil([] { return false; }, 300);
  RunProgram({"/usr/bin/xdotool", "key", "s"});  // &Start
  EXPECT_TRUE(WaitUntil([&] { return desktop.Held().size() == 1; }, 10000));
  tavik.Finish(SIGKILL, 5000);
  EXPECT_TRUE(WaitUntil([&] { return desktop.Held().isEmpty(); }));
  EXPECT_EQ(desktop.Events().last(), QStringLiteral("portal dropped with its holder"));
}

struct DisplayOffCase {
  const char* name;
  const char* offered;
  std::vector<const char*> asked;           // in order
  std::vector<const char*> after_activity;  // once the person is back
  int said_unavailable;
};

class SessionDisplayOff : public testing::TestWithParam<DisplayOffCase> {};

QStringList Texts(const std::vector<const char*>& texts) {
  QStringList list;
  for (const char* text : texts)
    list << QString::fromUtf8(text);
  return list;
}

TEST_P(SessionDisplayOff, BlanksThroughWhatTheDesktopOffersOrSaysItCannot) {
  if (!HaveDbusmock()) GTEST_SKIP() << "needs a session bus and python3-dbusmock";
  const DisplayOffCase& c = GetParam();
  StandInDesktop desktop(c.offered);
  int unavailable = 0;
  AskSessionToSwitchDisplayOff([&] { ++unavailable; });
  EXPECT_TRUE(WaitUntil([&] { return desktop.Events() == Texts(c.asked); }))
      << desktop.Events().join(" | ").toStdString();
  WaitUntil([] { return false; }, 300);
  EXPECT_EQ(unavailable, c.said_unavailable);
  AskStandIn("UserBecomesActive");
  QStringList all = Texts(c.asked) + Texts(c.after_activity);
  EXPECT_TRUE(WaitUntil([&] { return desktop.Events() == all; }))
      << desktop.Events().join(" | ").toStdString();
}

constexpr char kMutterOff[] = "mutter org.gnome.Mutter.DisplayConfig PowerSaveMode=3";
constexpr char kMutterOn[] = "mutter org.gnome.Mutter.DisplayConfig PowerSaveMode=0";

INSTANTIATE_TEST_SUITE_P(
    Desktops, SessionDisplayOff,
    testing::Values(
        DisplayOffCase{"GnomeUntilTheNextInput",
                       R"({"mutter": true, "idle_monitor": true, "plasma": true})",
                       {kMutterOff, "idle-monitor AddUserActiveWatch"},
                       {kMutterOn},
                       0},
        DisplayOffCase{
            "GnomeWithoutAWayBackStaysOn", R"({"mutter": true})", {kMutterOff, kMutterOn}, {}, 1},
        DisplayOffCase{
            "Plasma", R"({"plasma": true})", {"plasma invokeShortcut Turn Off Screen"}, {}, 0},
        DisplayOffCase{"NothingOffered", R"({"portal": true, "screen_saver": true})", {}, {}, 1}),
    [](const testing::TestParamInfo<DisplayOffCase>& info) { return info.param.name; });

}  // namespace
