// tavik as a person uses it: the real program in a desktop session of the test's own,
// on an X server driven from outside with xdotool, and as a native Wayland client of a
// real compositor (weston with its headless backend).
#include <gtest/gtest.h>
#include <locale.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <memory>
#include <sstream>

#include "tests/gpx/gpx_file_check.h"
#include "tests/support/background_program.h"
#include "tests/support/scoped_env.h"
#include "tests/support/shared_data.h"

namespace {

ProgramResult Xdotool(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"/usr/bin/timeout", "20", "/usr/bin/xdotool"};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProgram(argv);
}

// The first visible X window whose title matches `title` (a regular expression).
std::string FindWindow(const std::string& title) {
  const std::string out = Xdotool({"search", "--sync", "--onlyvisible", "--name", title}).out;
  return out.substr(0, out.find('\n'));
}

// Whether weston's scene, as its debug stream describes it, holds a top-level window
// "GPS" of process `pid`.
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

// A desktop session of the test's own while the result lives: configuration and
// runtime folders of its own, the C locale, no desktop bus, and the X display or the
// Wayland one given (the other empty).
std::deque<ScopedEnv> OwnSession(const TempDir& home, const TempDir& runtime,
                                 const std::string& x_display, const std::string& wayland) {
  // clang-format off
  const std::pair<const char*, const char*> session[] = {
      {"XDG_CONFIG_HOME", home.path().c_str()}, {"XDG_RUNTIME_DIR", runtime.path().c_str()},
      {"DISPLAY", x_display.empty() ? nullptr : x_display.c_str()},
      {"WAYLAND_DISPLAY", wayland.empty() ? nullptr : wayland.c_str()},
      {"QT_QPA_PLATFORM", nullptr}, {"QT_QPA_PLATFORMTHEME", nullptr}, {"LC_ALL", "C.UTF-8"},
      {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent"},
#if defined(__SANITIZE_ADDRESS__)
      // Mesa's EGL driver, which Qt's Wayland plugin loads only to ask about decorations,
      // keeps allocations past its unloading, out of reach of a leak suppression. The
      // windows draw in shared memory either way.
      {"QT_WAYLAND_CLIENT_BUFFER_INTEGRATION", "none"},
#endif
  };
  // clang-format on
  std::deque<ScopedEnv> env;
  for (const auto& [name, setting] : session)
    env.emplace_back(name, setting);
  return env;
}

// The waypoints of a finished GPX file (its layout checked), one text each.
std::vector<std::string> Waypoints(const std::string& path) {
  std::vector<std::string> texts;
  for (const GpxWaypointText& w : ReadFinishedGpx(path))
    texts.push_back(w.name + " " + w.lat + " " + w.lon + " " + w.ele);
  return texts;
}

// Configuration and runtime folders of the test's own; for the X cases a desktop session
// on an X server of its own, tavik-sim replaying a receiver's capture on COM1: once tavik
// opens it, and what tavik-decode shows last for that capture.
class EndToEnd : public testing::Test {
 protected:
  // Skips the test unless each of `tools` is there; check IsSkipped() afterwards.
  void StartSession(std::initializer_list<const char*> tools) {
    for (const char* tool : tools)
      if (access(tool, X_OK) != 0) GTEST_SKIP() << "needs " << tool;
    const std::string out = RunProgram({BinPath("tavik-decode"), "--readouts", capture}).out;
    const std::string last = out.substr(out.rfind('\n', out.size() - 2) + 1);
    readouts_text = last.substr(last.find('\t') + 1, last.size() - last.find('\t') - 2);
    std::string field;
    for (std::istringstream in(readouts_text); std::getline(in, field, '\t');)
      readouts.push_back(field);
    ASSERT_EQ(readouts.size(), 6u);
    xvfb = std::make_unique<BackgroundProgram>(std::vector<std::string>{
        "/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp",
        "-noreset"});  // no reset, which refuses connections, each time the last client leaves
    ASSERT_TRUE(
        PollUntil([&] { return xvfb->OutputSoFar().find('\n') != std::string::npos; }, 20000));
    const std::string output = xvfb->OutputSoFar();
    session = OwnSession(home, runtime, ":" + output.substr(0, output.find('\n')), "");
    // Programs started next must find the server answering, not merely named.
    ASSERT_TRUE(PollUntil(
        [] {
          return RunProgram({"/usr/bin/xdotool", "getdisplaygeometry"}).exit_status == 0;
        },
        20000))
        << "the X server answers: " << xvfb->ErrorsSoFar();
    sim = std::make_unique<BackgroundProgram>(
        std::vector<std::string>{BinPath("tavik-sim"), "--port", "COM1:", "--replay", capture,
                                 "--interval", "20", "--wait"});
    ASSERT_TRUE(
        PollUntil([&] { return std::filesystem::exists(home.File("tavik/ports/COM1")); }, 10000));
  }

  const std::string capture = DataPath("nmea/telit-pls83-w.log");
  TempDir home, runtime;              // made for the user alone, as a runtime folder must be
  std::vector<std::string> readouts;  // what tavik-decode shows last for the capture
  std::string readouts_text;          // the same, separated by tabs
  std::unique_ptr<BackgroundProgram> xvfb;
  std::deque<ScopedEnv> session;
  std::unique_ptr<BackgroundProgram> sim;
};

// One recording through the window, with the menu from a press and from the keyboard;
// on a German desktop (which writes decimal commas) the read-outs show, letter for
// letter, what tavik-decode shows (with the German "O" for an eastern longitude); when
// the X server dies under it tavik ends the Yes way (file finished, configuration
// saved), and started again without it says in one line what it needs.
TEST_F(EndToEnd, RecordACaptureUntilTheXServerDies) {
  StartSession({"/usr/bin/Xvfb", "/usr/bin/xdotool", "/usr/bin/xclip"});
  if (IsSkipped() || HasFatalFailure()) return;
  TempDir files;
  const std::string expected_gpx = files.File("from-file.gpx"), track = files.File("live.gpx");
  ASSERT_EQ(RunProgram({BinPath("tavik-decode"), "--gpx", expected_gpx, capture}).exit_status, 0);
  const auto expected = Waypoints(expected_gpx);
  // A German desktop: decimal points stay points, and east is "O".
  const locale_t de = newlocale(LC_ALL_MASK, "de_DE.UTF-8", static_cast<locale_t>(0));
  if (de == static_cast<locale_t>(0))
    GTEST_SKIP() << "needs the de_DE.UTF-8 locale (scripts/deps.sh makes it)";
  freelocale(de);
  readouts[3].back() = 'O';
  const ScopedEnv language("LC_ALL", "de_DE.UTF-8");
  BackgroundProgram tavik({BinPath("tavik")});
  const std::string window = FindWindow("^GPS$");
  ASSERT_FALSE(window.empty()) << "the main window appears";

  // Docks find the launcher of a window by its class and show its icon.
  const std::string properties =
      RunProgram({"/usr/bin/xprop", "-id", window, "WM_CLASS", "_NET_WM_ICON"}).out;
  std::string entry;
  ReadWholeFile(TAVIK_SOURCE_DIR "/res/desktop/org.tavik.tavik.desktop", &entry);
  const size_t key = entry.find("\nStartupWMClass=") + 16;
  const std::string wm_class = entry.substr(key, entry.find('\n', key) - key);
  EXPECT_NE(properties.find("WM_CLASS(STRING) = \"tavik\", \"" + wm_class + "\"\n"),
            std::string::npos)
      << properties.substr(0, 200);
  for (const char* size : {"16 x 16", "32 x 32", "64 x 64"})
    EXPECT_NE(properties.find(std::string("Icon (") + size + "):"), std::string::npos) << size;

  // Record to &GPX from the menu a press opens, before Start: the replay waits for the port.
  Xdotool({"mousemove", "--window", window, "3", "3", "click", "1", "sleep", "0.3", "key", "g"});
  // Qt's own words come in German too where the system has its translations.
  const bool qt_german = std::filesystem::exists("/usr/share/qt6/translations/qtbase_de.qm");
  const std::string dialog = FindWindow(qt_german ? "^Speichern" : "^Save");
  ASSERT_FALSE(dialog.empty()) << "the save-file dialog appears, in German: " << qt_german;
  Xdotool({"windowfocus", "--sync", dialog, "type", "--delay", "5", track});
  // Then without a mouse: Shift+F10 opens the menu, and &Start.
  Xdotool({"key", "Return", "sleep", "0.5", "windowfocus", "--sync", window, "key", "shift+F10",
           "sleep", "0.3", "key", "s"});
  EXPECT_TRUE(PollUntil(  // each waypoint reaches the file as it comes
      [&] {
        std::string gpx;
        ReadWholeFile(track, &gpx);
        size_t count = 0;
        for (size_t at = gpx.find("<wpt"); at != std::string::npos; at = gpx.find("<wpt", at + 1))
          ++count;
        return count == expected.size();
      },
      60000));

  std::vector<std::string> shown;  // copied one after the other as a keyboard user would
  EXPECT_TRUE(PollUntil(
      [&] {
        Xdotool({"windowfocus", "--sync", window});
        shown.clear();
        for (int field = 0; field < 6; ++field) {
          Xdotool({"key", "ctrl+a", "ctrl+c"});
          shown.push_back(RunProgram({"/usr/bin/xclip", "-o", "-selection", "clipboard"}).out);
          Xdotool({"key", "Tab"});
        }
        return shown == readouts;
      },
      30000));
  EXPECT_EQ(shown, readouts);

  xvfb->Finish(SIGKILL, 5000);
  const ProgramResult ended = tavik.Finish(0, 20000);
  EXPECT_EQ(ended.signal, 0) << "tavik ends by itself: " << ended.err;
  EXPECT_EQ(Waypoints(track), expected);
  ASSERT_TRUE(std::filesystem::exists(home.File("tavik.cfg"))) << "the configuration is saved";
  EXPECT_EQ(std::filesystem::file_size(home.File("tavik.cfg")), 330u);
  const ProgramResult alone = RunProgram({BinPath("tavik")});
  EXPECT_EQ(alone.exit_status, 1);
  EXPECT_EQ(std::count(alone.err.begin(), alone.err.end(), '\n'), 1) << alone.err;
  EXPECT_NE(alone.err.find("needs a graphical session"), std::string::npos) << alone.err;
  EXPECT_NE(alone.err.find("tavik-decode --port COM1: --gpx FILE"), std::string::npos);
}

// A screen reader finds the window as the frame "GPS" and reads each read-out by its
// name, letter for letter what tavik-decode shows, and the state line beside them; the
// accessibility bus ends with the desktop session.
TEST_F(EndToEnd, AScreenReaderReadsTheReadOutsByName) {
  StartSession({"/usr/bin/Xvfb", "/usr/bin/xdotool", "/usr/bin/dbus-run-session",
                "/usr/libexec/at-spi-bus-launcher"});
  if (IsSkipped() || HasFatalFailure()) return;
  if (RunProgram({"/usr/bin/python3", "-c", "import pyatspi"}).exit_status != 0)
    GTEST_SKIP() << "needs python3-pyatspi";
  const ProgramResult read = RunProgram({"/usr/bin/dbus-run-session", "--", "/usr/bin/python3",
                                         TAVIK_SOURCE_DIR "/tests/app/readouts_atspi.py",
                                         BinPath("tavik"), readouts_text});
  ASSERT_EQ(read.exit_status, 0) << read.err;
  std::vector<std::string> shown;
  std::string status, line;
  std::vector<pid_t> bus_processes;
  for (std::istringstream in(read.out); std::getline(in, line);) {
    const size_t tab = line.find('\t');
    if (line.rfind("at-spi ", 0) == 0) {
      bus_processes.push_back(std::stoi(line.substr(7)));
    } else if (tab != std::string::npos && line.substr(0, tab) == "Status") {
      status = line.substr(tab + 1);
    } else if (tab != std::string::npos) {
      shown.push_back(line.substr(tab + 1));
    }
  }
  EXPECT_EQ(shown, readouts) << read.out;
  EXPECT_EQ(status.rfind("Live \u00b7 COM1: /dev/pts/", 0), 0u) << status;
  EXPECT_FALSE(bus_processes.empty()) << "tavik spoke through the accessibility bus";
  for (const pid_t pid : bus_processes)
    EXPECT_TRUE(PollUntil([pid] { return kill(pid, 0) != 0; }, 10000)) << "left running: " << pid;
}

// On Wayland the window comes up natively, with no X server at all; a second start only
// brings the first forward, and the first saves its configuration when ended.
TEST_F(EndToEnd, OnWaylandTheWindowComesUpNativelyOncePerUser) {
  if (access("/usr/bin/weston", X_OK) != 0) GTEST_SKIP() << "needs weston";
  session = OwnSession(home, runtime, "", "tavik-test");
  BackgroundProgram weston({"/usr/bin/weston", "--backend=headless-backend.so",
                            "--socket=tavik-test", "--idle-time=0", "--debug"});
  ASSERT_TRUE(
      PollUntil([&] { return std::filesystem::exists(runtime.File("tavik-test")); }, 10000));
  BackgroundProgram tavik({BinPath("tavik")});
  EXPECT_TRUE(PollUntil([&] { return CompositorShowsMainWindowOf(tavik.pid()); }, 15000));
  const ProgramResult second = RunProgram({BinPath("tavik")});
  EXPECT_EQ(second.exit_status, 0) << second.err;
  EXPECT_FALSE(std::filesystem::exists(home.File("tavik.cfg"))) << "the second touched nothing";
  const ProgramResult ended = tavik.Finish(SIGTERM, 15000);
  EXPECT_EQ(ended.exit_status, 0) << "signal " << ended.signal << ": " << ended.err;
  EXPECT_EQ(std::filesystem::file_size(home.File("tavik.cfg")), 330u);  // saved when ended
  weston.Finish(SIGTERM, 5000);
}

}  // namespace
