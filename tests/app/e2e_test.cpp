// tavik as a person uses it: the real program on an X server of the test's own, driven
// from outside with xdotool, reading a capture the simulated receiver replays on COM1:.
#include <gtest/gtest.h>
#include <locale.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <sstream>
#include <thread>

#include "tests/gpx/gpx_file_check.h"
#include "tests/support/background_program.h"
#include "tests/support/scoped_env.h"
#include "tests/support/shared_data.h"

namespace {

using namespace std::chrono_literals;

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  for (const auto end = std::chrono::steady_clock::now() + timeout; !done();
       std::this_thread::sleep_for(50ms))
    if (std::chrono::steady_clock::now() >= end) return false;
  return true;
}

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

// The waypoints of a finished GPX file (its layout checked), one text each.
std::vector<std::string> Waypoints(const std::string& path) {
  std::vector<std::string> texts;
  for (const GpxWaypointText& w : ReadFinishedGpx(path))
    texts.push_back(w.name + " " + w.lat + " " + w.lon + " " + w.ele);
  return texts;
}

// The read-outs tavik-decode shows last for a capture, split at its tabs.
std::vector<std::string> LastReadouts(const std::string& capture) {
  const std::string out = RunProgram({BinPath("tavik-decode"), "--readouts", capture}).out;
  std::string last = out.substr(out.rfind('\n', out.size() - 2) + 1), field;
  last.pop_back();
  std::vector<std::string> fields;
  for (std::istringstream in(last.substr(last.find('\t') + 1)); std::getline(in, field, '\t');)
    fields.push_back(field);
  return fields;
}

bool GermanLocale() {
  const locale_t german = newlocale(LC_ALL_MASK, "de_DE.UTF-8", static_cast<locale_t>(0));
  if (german != static_cast<locale_t>(0)) freelocale(german);
  return german != static_cast<locale_t>(0);
}

// One run through the window on a German desktop (which writes decimal commas): the
// read-outs show, letter for letter, what tavik-decode shows (with the German "O" for
// an eastern longitude), the recording holds exactly its waypoints, and when the X
// server dies under it tavik ends the Yes way: file finished, configuration saved.
TEST(EndToEnd, RecordAndReadACaptureUntilTheXServerDies) {
  SKIP_WITHOUT_SHARED_DATA();
  for (const char* tool : {"/usr/bin/Xvfb", "/usr/bin/xdotool", "/usr/bin/xclip"})
    if (access(tool, X_OK) != 0) GTEST_SKIP() << "needs " << tool;
  const std::string capture = SharedDataPath("nmea/telit-pls83-w.log");
  TempDir home, runtime, files;
  chmod(runtime.path().c_str(), 0700);
  const std::string expected_gpx = files.File("from-file.gpx"), track = files.File("live.gpx");
  ASSERT_EQ(RunProgram({BinPath("tavik-decode"), "--gpx", expected_gpx, capture}).exit_status, 0);
  const auto expected = Waypoints(expected_gpx);
  auto readouts = LastReadouts(capture);
  ASSERT_EQ(readouts.size(), 6u);
  const bool german = GermanLocale();
  if (german) readouts[3].back() = 'O';

  BackgroundProgram xvfb(
      {"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
  ASSERT_TRUE(WaitFor([&] { return xvfb.OutputSoFar().find('\n') != std::string::npos; }, 20s));
  ScopedEnv display("DISPLAY", ":" + xvfb.OutputSoFar().substr(0, xvfb.OutputSoFar().find('\n')));
  // clang-format off
  const std::pair<const char*, std::string> session[] = {  // empty counts as unset
      {"XDG_CONFIG_HOME", home.path()}, {"XDG_RUNTIME_DIR", runtime.path()}, {"QT_QPA_PLATFORM", "xcb"},
      {"QT_QPA_PLATFORMTHEME", ""}, {"WAYLAND_DISPLAY", ""}, {"LC_ALL", ""}, {"LC_MESSAGES", ""},
      {"LC_NUMERIC", ""}, {"LANGUAGE", ""}, {"LANG", german ? "de_DE.UTF-8" : "C.UTF-8"}};
  // clang-format on
  std::deque<ScopedEnv> env;
  for (const auto& [name, value] : session)
    env.emplace_back(name, value);
  BackgroundProgram sim(
      {BinPath("tavik-sim"), "--port", "COM1:", "--replay", capture, "--interval", "20", "--wait"});
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(home.File("tavik/ports/COM1")); }, 10s));
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
  Xdotool({"mousemove", "--window", window, "3", "3", "click", "1"});
  std::this_thread::sleep_for(300ms);
  Xdotool({"key", "g"});
  const std::string dialog = FindWindow("^(Save|Speichern)");
  ASSERT_FALSE(dialog.empty()) << "the save-file dialog appears";
  Xdotool({"windowfocus", "--sync", dialog});
  Xdotool({"type", "--delay", "5", track});
  Xdotool({"key", "Return"});
  std::this_thread::sleep_for(500ms);
  Xdotool({"windowfocus", "--sync", window});  // without a mouse: Shift+F10 opens the menu
  Xdotool({"key", "shift+F10"});
  std::this_thread::sleep_for(300ms);
  Xdotool({"key", "s"});  // &Start

  // Copied one after the other as a keyboard user would, until the last fix shows.
  std::vector<std::string> shown;
  EXPECT_TRUE(WaitFor(
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
      60s));
  EXPECT_EQ(shown, readouts);

  xvfb.Finish(SIGKILL, 5000);
  const ProgramResult ended = tavik.Finish(0, 20000);
  EXPECT_EQ(ended.signal, 0) << "tavik ends by itself: " << ended.err;
  EXPECT_EQ(Waypoints(track), expected);
  ASSERT_TRUE(std::filesystem::exists(home.File("tavik.cfg"))) << "the configuration is saved";
  EXPECT_EQ(std::filesystem::file_size(home.File("tavik.cfg")), 330u);
}

// Without a display tavik says in one line what it needs and what records without it.
TEST(NoDisplay, TavikSaysItNeedsAGraphicalSessionAndEndsWithStatusOne) {
  TempDir home, runtime;
  for (const char* session : {"LC_ALL=C.UTF-8", "DISPLAY=:4242", "WAYLAND_DISPLAY=wayland-gone"}) {
    const ProgramResult result =
        RunProgram({"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u",
                    "QT_QPA_PLATFORM", "XDG_CONFIG_HOME=" + home.path(),
                    "XDG_RUNTIME_DIR=" + runtime.path(), session, BinPath("tavik")});
    EXPECT_EQ(result.exit_status, 1) << session;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_NE(result.err.find("needs a graphical session"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("tavik-decode --port COM1: --gpx FILE"), std::string::npos);
  }
}

}  // namespace
