// tavik as a native Wayland client of a real compositor: weston with its headless
// backend, started by this test with a runtime folder of its own. The suite runs under
// dbus-run-session, on a bus where no desktop offers display off.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QMessageBox>
#include <cstring>
#include <filesystem>

#include "app/commands.h"
#include "app/single_instance.h"
#include "app/wayland_platform.h"
#include "tests/app/app_fixture.h"
#include "tests/support/background_program.h"
#include "tests/support/shared_data.h"

namespace {

constexpr char kWestonSocket[] = "tavik-test";
bool compositor_up = false;

// Whether the compositor's scene, as its debug stream describes it, holds a top-level
// window "GPS" of process `pid`.
bool CompositorShowsMainWindowOf(pid_t pid) {
  const std::string scene =
      RunProgram({"/usr/bin/timeout", "10", "/usr/bin/weston-debug", "scene-graph"}).out;
  const std::string view = "PID " + std::to_string(pid) + ", ";
  for (size_t at = scene.find(view); at != std::string::npos; at = scene.find(view, at + 1))
    if (scene.substr(at, scene.find('\n', at) - at).find("top-level window 'GPS'") !=
        std::string::npos)
      return true;
  return false;
}

// What only a Wayland desktop shows: the window comes up natively, in the test and as
// the program itself (with no X server at all), and display off, not to be had there,
// is said so once, not at every try. The program runs once per user, whatever a
// crashed one left.
TEST_F(AppWindowTest, OnWaylandTheWindowComesUpNativelyAndSaysOnceThatDisplayOffIsNotToBeHad) {
  if (!compositor_up) GTEST_SKIP() << "needs weston";
  EXPECT_EQ(QGuiApplication::platformName(), "wayland");
  EXPECT_TRUE(WaitUntil([] { return CompositorShowsMainWindowOf(getpid()); }));
  QMessageBox* notice = nullptr;
  Command(IDM_DISPLAY_OFF);
  ASSERT_TRUE(WaitUntil([&] {
    notice = window_->findChild<QMessageBox*>(QStringLiteral("no-display-off"));
    return notice != nullptr && notice->isVisible();
  }));
  EXPECT_EQ(notice->text(), "This desktop does not let programs switch the display off.");
  notice->accept();
  WaitUntil([&] { return window_->findChild<QMessageBox*>() == nullptr; });
  Command(IDM_DISPLAY_OFF);
  WaitUntil([] { return false; }, 1000);
  EXPECT_EQ(window_->findChild<QMessageBox*>(), nullptr);

  window_->hide();
  // A bound socket nobody listens on, as a killed instance leaves it.
  const int stale = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{AF_UNIX, {}};
  std::strcpy(address.sun_path, (RuntimeFolder() + "/tavik").c_str());
  ASSERT_EQ(bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  close(stale);
  BackgroundProgram tavik({BinPath("tavik")}, {"LC_ALL=C.UTF-8"});
  EXPECT_TRUE(WaitUntil([&] { return CompositorShowsMainWindowOf(tavik.pid()); }, 15000));
  const ProgramResult second = RunProgram({BinPath("tavik")});  // brings the first forward
  EXPECT_EQ(second.exit_status, 0) << second.err;
  EXPECT_FALSE(std::filesystem::exists(ConfigFile())) << "the second start touched nothing";
  EXPECT_EQ(tavik.Finish(SIGTERM, 15000).exit_status, 0);
  EXPECT_EQ(std::filesystem::file_size(ConfigFile()), 330u);  // saved when ended
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
    for (int waited = 0; waited < 10000 && !compositor_up; waited += 50, usleep(50000))
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
