// tavik as a native Wayland client of a real compositor: weston with its headless
// backend, started by this test with a runtime folder of its own. The suite runs under
// dbus-run-session, on a bus where no desktop offers display off.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/commands.h"
#include "app/wayland_platform.h"
#include "tests/app/app_fixture.h"
#include "tests/app/qt_test_support.h"
#include "tests/support/background_program.h"
#include "tests/support/run_program.h"
#include "tests/support/shared_data.h"

namespace {

constexpr char kWestonSocket[] = "tavik-test";
bool compositor_up = false;

// Whether the compositor shows a top-level window "GPS" of process `pid`, as its debug
// stream describes the scene.
bool CompositorShowsMainWindowOf(pid_t pid) {
  const std::string scene =
      RunProgram({"/usr/bin/timeout", "10", "/usr/bin/weston-debug", "scene-graph"}).out;
  const std::string view = "PID " + std::to_string(pid) + ", ";
  for (size_t at = scene.find(view); at != std::string::npos; at = scene.find(view, at + 1)) {
    const std::string line = scene.substr(at, scene.find('\n', at) - at);
    if (line.find("top-level window 'GPS'") != std::string::npos) return true;
  }
  return false;
}

class Wayland : public AppWindowTest {
 protected:
  void SetUp() override {
    if (!compositor_up) GTEST_SKIP() << "needs weston";
    AppWindowTest::SetUp();
  }
  // The built-in walk of the receiver simulator on COM1:, in this test's ports folder.
  std::unique_ptr<BackgroundProgram> StartSimulator() {
    std::filesystem::remove(PortsFolder() + "/COM1");
    auto sim = std::make_unique<BackgroundProgram>(
        std::vector<std::string>{BinPath("tavik-sim"), "--port", "COM1:"});
    WaitUntil([this] { return std::filesystem::exists(PortsFolder() + "/COM1"); }, 10000);
    return sim;
  }
};

TEST_F(Wayland, TheWindowMenuStartStopRecordAndQuitWorkNatively) {
  EXPECT_EQ(QGuiApplication::platformName(), QStringLiteral("wayland"));
  ASSERT_TRUE(WaitUntil([this] { return window_->windowHandle()->isExposed(); }));
  EXPECT_TRUE(WaitUntil([] { return CompositorShowsMainWindowOf(getpid()); }));

  // The context menu opens at the pointer as a popup the compositor shows.
  bool popup_shown = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr || menu->windowHandle() == nullptr) return;
    if (!menu->windowHandle()->isExposed()) return;
    popup_shown = true;
    menu->close();
  });
  poll.start(10);
  const QList<int> enabled = EnabledMenuCommands();
  poll.stop();
  EXPECT_TRUE(popup_shown);

  const auto sim = StartSimulator();
  Command(IDM_START);
  ASSERT_TRUE(window_->KeepAwakeTimerRunning());
  EXPECT_TRUE(WaitUntil([this] { return !Readout(301).isEmpty(); }, 10000));
  const std::string track = files_.File("walk.gpx");
  AnswerNextFileDialog(QString::fromStdString(track));
  Command(IDM_RECORD);
  EXPECT_TRUE(std::filesystem::exists(track));
  Command(IDM_STOP);
  EXPECT_FALSE(window_->KeepAwakeTimerRunning());

  AnswerNextMessageBox(QStringLiteral("Yes"));
  Command(IDM_EXIT);
  EXPECT_TRUE(WaitUntil([this] { return window_->quit_code == 0; }));
  ASSERT_TRUE(std::filesystem::exists(ConfigFile()));
  EXPECT_EQ(std::filesystem::file_size(ConfigFile()), 330u);
  std::string gpx;
  ASSERT_TRUE(ReadWholeFile(track, &gpx));
  EXPECT_NE(gpx.find("</gpx>"), std::string::npos);
}

TEST_F(Wayland, DisplayOffWhereTheDesktopOffersNoneSaysSoOnce) {
  QMessageBox* notice = nullptr;
  Command(IDM_DISPLAY_OFF);
  ASSERT_TRUE(WaitUntil([&] {
    notice = window_->findChild<QMessageBox*>(QStringLiteral("no-display-off"));
    return notice != nullptr && notice->isVisible();
  }));
  EXPECT_EQ(notice->text(),
            QStringLiteral("This desktop does not let programs switch the display off."));
  EXPECT_EQ(notice->windowTitle(), QStringLiteral("tavik"));
  notice->accept();
  WaitUntil([&] { return window_->findChild<QMessageBox*>() == nullptr; });
  Command(IDM_DISPLAY_OFF);
  WaitUntil([] { return false; }, 1000);
  EXPECT_EQ(window_->findChild<QMessageBox*>(), nullptr) << "said once, not at every try";
}

// The program itself, with no X server at all: it can only come up on Wayland.
TEST_F(Wayland, TheProgramComesUpNativelyKeepsOneInstanceAndSavesWhenEnded) {
  window_->hide();
  BackgroundProgram tavik({BinPath("tavik")}, {"LC_ALL=C.UTF-8"});
  EXPECT_TRUE(WaitUntil([&] { return CompositorShowsMainWindowOf(tavik.pid()); }, 15000));
  const ProgramResult second = RunProgram({BinPath("tavik")});
  EXPECT_EQ(second.exit_status, 0) << second.err;
  EXPECT_FALSE(std::filesystem::exists(ConfigFile())) << "the second start touched nothing";
  const ProgramResult ended = tavik.Finish(SIGTERM, 15000);
  EXPECT_EQ(ended.exit_status, 0) << ended.err;
  EXPECT_EQ(std::filesystem::file_size(ConfigFile()), 330u);
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  unsetenv("QT_QPA_PLATFORMTHEME");
  setenv("LC_ALL", "C.UTF-8", 1);
#if defined(__SANITIZE_ADDRESS__)
  // Mesa's EGL driver, which Qt's Wayland plugin loads only to ask about decorations,
  // keeps allocations past its unloading, out of reach of a leak suppression. The
  // windows draw in shared memory either way.
  setenv("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION", "none", 1);
#endif
  char runtime[] = "/tmp/tavik-weston-XXXXXX";  // mkdtemp makes it 0700
  std::unique_ptr<BackgroundProgram> weston;
  if (access("/usr/bin/weston", X_OK) == 0 && mkdtemp(runtime) != nullptr) {
    setenv("XDG_RUNTIME_DIR", runtime, 1);
    weston = std::make_unique<BackgroundProgram>(std::vector<std::string>{
        "/usr/bin/weston", "--backend=headless-backend.so",
        std::string("--socket=") + kWestonSocket, "--idle-time=0", "--debug"});
    const std::string socket = std::string(runtime) + "/" + kWestonSocket;
    for (int waited = 0; waited < 10000 && !std::filesystem::exists(socket); waited += 50)
      usleep(50 * 1000);
    compositor_up = std::filesystem::exists(socket);
  }
  if (compositor_up) {
    setenv("WAYLAND_DISPLAY", kWestonSocket, 1);
    unsetenv("DISPLAY");  // no way back to X11: what runs here runs on Wayland
    unsetenv("QT_QPA_PLATFORM");
    PreferNativeWayland();
  } else {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);  // the cases skip
  }
  int result = 0;
  {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavik"));
    unsetenv("QT_QPA_PLATFORM");  // the program started by a case makes its own choice
    result = RUN_ALL_TESTS();
  }
  if (weston) weston->Finish(SIGTERM, 5000);
  std::filesystem::remove_all(runtime);
  return result;
}
