// tavik as a person uses it: the real program on the X server, driven from outside with
// xdotool, reading from the simulated receiver on COM1:.
#include <gtest/gtest.h>
#include <locale.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/run_program.h"
#include "tests/support/shared_data.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;

// The inherited environment with `overrides` replacing or removing (empty value) names.
std::vector<std::string> Environment(const std::map<std::string, std::string>& overrides) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (overrides.count(text.substr(0, text.find('='))) == 0) result.push_back(text);
  }
  for (const auto& [name, value] : overrides) {
    if (!value.empty()) result.push_back(name + "=" + value);
  }
  return result;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
  std::vector<char*> args, envp;
  for (const std::string& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  for (const std::string& entry : env)
    envp.push_back(const_cast<char*>(entry.c_str()));
  envp.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), envp.data()) != 0) return -1;
  return pid;
}

// The exit status, or -1 when the program is still running after `timeout`.
int WaitForExit(pid_t pid, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
      return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    std::this_thread::sleep_for(20ms);
  }
  return -1;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

std::string Trim(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
    text.pop_back();
  return text;
}

ProgramResult Xdotool(const std::vector<std::string>& args) {
  std::vector<std::string> argv{"/usr/bin/timeout", "20", "/usr/bin/xdotool"};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProgram(argv);
}

// The first visible window whose title matches `title` (a regular expression).
std::string FindWindow(const std::string& title) {
  const ProgramResult found = Xdotool({"search", "--sync", "--onlyvisible", "--name", title});
  return Trim(found.out.substr(0, found.out.find('\n')));
}

size_t CountOf(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

class EndToEnd : public testing::Test {
 protected:
  void SetUp() override {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || display[0] == '\0') GTEST_SKIP() << "needs an X server";
    if (access("/usr/bin/xdotool", X_OK) != 0) GTEST_SKIP() << "needs xdotool";
    std::filesystem::create_directories(runtime_.path());
    chmod(runtime_.path().c_str(), 0700);
    std::map<std::string, std::string> overrides{{"XDG_CONFIG_HOME", home_.path()},
                                                 {"XDG_RUNTIME_DIR", runtime_.path()},
                                                 {"QT_QPA_PLATFORMTHEME", ""},
                                                 {"QT_QPA_PLATFORM", ""},
                                                 {"WAYLAND_DISPLAY", ""},  // these cases drive X11 windows
                                                 {"LC_ALL", ""},
                                                 {"LC_MESSAGES", ""},
                                                 {"LC_NUMERIC", ""},
                                                 {"LANGUAGE", ""},
                                                 {"LANG", Locale()}};
    env_ = Environment(overrides);
    sim_ = Spawn(SimulatorArguments(), env_);
    ASSERT_GT(sim_, 0);
    ASSERT_TRUE(
        WaitFor([this] { return std::filesystem::exists(home_.File("tavik/ports/COM1")); }, 10s))
        << "the simulated receiver publishes COM1:";
  }

  // The user's locale; the window's words and menu letters are the English ones.
  virtual std::string Locale() const { return "C.UTF-8"; }

  // The built-in walk; a test of recorded data replays a capture instead.
  virtual std::vector<std::string> SimulatorArguments() const {
    return {BinPath("tavik-sim"), "--port", "COM1:"};
  }

  void TearDown() override {
    for (const pid_t pid : {tavik_, sim_}) {
      if (pid <= 0) continue;
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }

  void StartTavik() {
    tavik_ = Spawn({BinPath("tavik")}, env_);
    ASSERT_GT(tavik_, 0);
    window_ = FindWindow("^GPS$");
    ASSERT_FALSE(window_.empty()) << "the main window appears";
  }

  // A click on the window's background, then the menu item by its underlined letter.
  void Choose(const std::string& mnemonic) {
    Xdotool({"mousemove", "--window", window_, "3", "3", "click", "1"});
    std::this_thread::sleep_for(300ms);
    Xdotool({"key", mnemonic});
    std::this_thread::sleep_for(300ms);
  }

  void RecordTo(const std::string& path) {
    Choose("g");
    const std::string dialog = FindWindow("^Save");
    ASSERT_FALSE(dialog.empty()) << "the save-file dialog appears";
    Xdotool({"windowfocus", "--sync", dialog});
    Xdotool({"type", "--delay", "5", path});
    Xdotool({"key", "Return"});
    std::this_thread::sleep_for(500ms);
  }

  std::string ConfigFile() const { return home_.File("tavik.cfg"); }

  void ExitWithYes() {
    Choose("x");  // E&xit
    const std::string question = FindWindow("^tavik$");
    ASSERT_FALSE(question.empty()) << "Really quit? is asked";
    Xdotool({"windowfocus", "--sync", question});
    Xdotool({"key", "Return"});  // Yes is the default answer
    EXPECT_EQ(WaitForExit(tavik_, 15s), 0);
    tavik_ = -1;
  }

  TempDir home_, runtime_, files_;
  std::vector<std::string> env_;
  pid_t sim_ = -1, tavik_ = -1;
  std::string window_;
};

TEST_F(EndToEnd, StartRecordStopAndQuitAsAPersonWould) {
  StartTavik();
  Choose("s");  // &Start
  const std::string track = files_.File("walk.gpx");
  RecordTo(track);
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(track); }, 5s));
  std::this_thread::sleep_for(4s);  // four fixes at 1 Hz

  // The README's picture of the window, retaken with every run.
  RunProgram({"/usr/bin/import", "-window", window_, TAVIK_SOURCE_DIR "/doc/screenshot.png"});

  // A second start brings the first forward and ends at once, touching nothing.
  const pid_t second = Spawn({BinPath("tavik")}, env_);
  EXPECT_EQ(WaitForExit(second, 10s), 0);
  EXPECT_EQ(kill(tavik_, 0), 0) << "the first instance runs on";
  EXPECT_FALSE(std::filesystem::exists(ConfigFile()));

  Choose("r");  // Stop &recording
  ExitWithYes();

  std::string gpx;
  ASSERT_TRUE(ReadWholeFile(track, &gpx));
  EXPECT_NE(gpx.find("<bounds"), std::string::npos);
  EXPECT_NE(gpx.find("</gpx>"), std::string::npos);
  const size_t waypoints = CountOf(gpx, "<wpt");
  EXPECT_GE(waypoints, 2u) << "fixes arrived while recording";
  const ProgramResult babel =
      RunProgram({"/usr/bin/gpsbabel", "-i", "gpx", "-f", track, "-o", "csv", "-F", "-"});
  EXPECT_EQ(babel.exit_status, 0) << babel.err;
  EXPECT_EQ(CountOf(babel.out, "\n"), waypoints);
  ASSERT_TRUE(std::filesystem::exists(ConfigFile()));
  EXPECT_EQ(std::filesystem::file_size(ConfigFile()), 330u);
}

TEST_F(EndToEnd, TerminationWhileRecordingLeavesACompleteFileAndSavesTheConfiguration) {
  StartTavik();
  Choose("s");
  const std::string track = files_.File("cut-short.gpx");
  RecordTo(track);
  std::this_thread::sleep_for(3s);
  kill(tavik_, SIGTERM);
  EXPECT_EQ(WaitForExit(tavik_, 15s), 0);
  tavik_ = -1;
  std::string gpx;
  ASSERT_TRUE(ReadWholeFile(track, &gpx));
  EXPECT_NE(gpx.find("</gpx>"), std::string::npos);
  EXPECT_GE(CountOf(gpx, "<wpt"), 1u);
  EXPECT_EQ(std::filesystem::file_size(ConfigFile()), 330u);
}

// Without a display tavik says in one line what it needs and what records without it.
TEST(NoDisplay, TavikSaysItNeedsAGraphicalSessionAndEndsWithStatusOne) {
  TempDir home, runtime;
  const std::vector<std::vector<std::string>> sessions = {
      {},
      {"DISPLAY=:4242"},  // no server there
      {"WAYLAND_DISPLAY=wayland-gone"},
  };
  for (const std::vector<std::string>& session : sessions) {
    std::vector<std::string> argv{"/usr/bin/env",
                                  "-u",
                                  "DISPLAY",
                                  "-u",
                                  "WAYLAND_DISPLAY",
                                  "-u",
                                  "QT_QPA_PLATFORM",
                                  "XDG_CONFIG_HOME=" + home.path(),
                                  "XDG_RUNTIME_DIR=" + runtime.path()};
    argv.insert(argv.end(), session.begin(), session.end());
    argv.push_back(BinPath("tavik"));
    const ProgramResult result = RunProgram(argv);
    const std::string name = session.empty() ? "no display" : session[0];
    EXPECT_EQ(result.exit_status, 1) << name;
    EXPECT_EQ(CountOf(result.err, "\n"), 1u) << result.err;
    EXPECT_NE(result.err.find("needs a graphical session"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("tavik-decode --port COM1: --gpx FILE"), std::string::npos);
  }
}

// Docks find the launcher of a window by its class and show its icon.
TEST_F(EndToEnd, TheWindowCarriesItsIconAndTheClassOfItsDesktopEntry) {
  if (access("/usr/bin/xprop", X_OK) != 0) GTEST_SKIP() << "needs xprop";
  StartTavik();
  const ProgramResult properties =
      RunProgram({"/usr/bin/xprop", "-id", window_, "WM_CLASS", "_NET_WM_ICON"});
  std::string entry;
  ASSERT_TRUE(ReadWholeFile(TAVIK_SOURCE_DIR "/res/desktop/org.tavik.tavik.desktop", &entry));
  const size_t key = entry.find("\nStartupWMClass=");
  ASSERT_NE(key, std::string::npos);
  const std::string wm_class = Trim(entry.substr(key + 16, entry.find('\n', key + 1) - key - 16));
  EXPECT_NE(properties.out.find("WM_CLASS(STRING) = \"tavik\", \"" + wm_class + "\"\n"),
            std::string::npos)
      << properties.out.substr(0, 200);
  for (const char* size : {"16 x 16", "32 x 32", "64 x 64"}) {
    EXPECT_NE(properties.out.find(std::string("Icon (") + size + "):"), std::string::npos) << size;
  }
}

// A few real captures, replayed into the window: the recording the window makes holds
// exactly the waypoints that tavik-decode records from the same file.
class CaptureInTheWindow : public EndToEnd, public testing::WithParamInterface<std::string> {
 protected:
  std::string Capture() const { return SharedDataPath("nmea/" + GetParam()); }

  std::vector<std::string> SimulatorArguments() const override {
    return {BinPath("tavik-sim"), "--port", "COM1:", "--replay", Capture(),
            "--interval",         "20",     "--wait"};
  }

  void SetUp() override {
    if (SharedCaptures().empty()) GTEST_SKIP() << "no shared capture folder";
    EndToEnd::SetUp();
  }
};

// The waypoint elements of a GPX file, without their times.
std::vector<std::string> WaypointsWithoutTimes(const std::string& gpx) {
  std::vector<std::string> waypoints;
  std::string current;
  size_t start = 0;
  for (size_t end; (end = gpx.find('\n', start)) != std::string::npos; start = end + 1) {
    const std::string line = gpx.substr(start, end - start);
    if (line.find("<time>") != std::string::npos) continue;
    if (line.find("<wpt ") != std::string::npos) current.clear();
    current += line + "\n";
    if (line.find("</wpt>") != std::string::npos) waypoints.push_back(current);
  }
  return waypoints;
}

TEST_P(CaptureInTheWindow, RecordsTheWaypointsOfTheFile) {
  const std::string expected_gpx = files_.File("from-file.gpx");
  const ProgramResult decoded =
      RunProgram({BinPath("tavik-decode"), "--gpx", expected_gpx, Capture()});
  ASSERT_EQ(decoded.exit_status, 0) << decoded.err;
  std::string expected_text;
  ASSERT_TRUE(ReadWholeFile(expected_gpx, &expected_text));
  const auto expected = WaypointsWithoutTimes(expected_text);
  ASSERT_FALSE(expected.empty());

  StartTavik();
  const std::string track = files_.File("live.gpx");
  RecordTo(track);  // before Start: the replay begins once the port is held
  Choose("s");
  // Each waypoint reaches the file as it is written.
  EXPECT_TRUE(WaitFor(
      [&] {
        std::string text;
        return ReadWholeFile(track, &text) && CountOf(text, "</wpt>") >= expected.size();
      },
      60s));
  Choose("r");
  ExitWithYes();
  std::string live;
  ASSERT_TRUE(ReadWholeFile(track, &live));
  EXPECT_EQ(WaypointsWithoutTimes(live), expected);
  EXPECT_NE(live.find("</gpx>"), std::string::npos);
}

// A German desktop writes decimal commas; the read-outs keep the points of their formats
// and show, letter for letter, what tavik-decode shows for the same capture (with the
// German module's "O" for an eastern longitude).
class GermanDesktop : public EndToEnd {
 protected:
  static constexpr const char* kCapture = "nmea/telit-pls83-w.log";
  std::string Locale() const override { return "de_DE.UTF-8"; }
  std::vector<std::string> SimulatorArguments() const override {
    return {BinPath("tavik-sim"),     "--port",     "COM1:", "--replay",
            SharedDataPath(kCapture), "--interval", "20",    "--wait"};
  }
  void SetUp() override {
    if (SharedCaptures().empty()) GTEST_SKIP() << "no shared capture folder";
    if (access("/usr/bin/xclip", X_OK) != 0) GTEST_SKIP() << "needs xclip";
    const locale_t german = newlocale(LC_ALL_MASK, "de_DE.UTF-8", static_cast<locale_t>(0));
    if (german == static_cast<locale_t>(0)) {
      GTEST_SKIP() << "de_DE.UTF-8 is not generated (scripts/deps.sh does it)";
    }
    freelocale(german);
    EndToEnd::SetUp();
  }

  // The six read-outs, copied one after the other as a keyboard user would.
  std::vector<std::string> CopyReadouts() {
    Xdotool({"windowfocus", "--sync", window_});
    std::vector<std::string> texts;
    for (int field = 0; field < 6; ++field) {
      Xdotool({"key", "ctrl+a", "ctrl+c"});
      texts.push_back(RunProgram({"/usr/bin/xclip", "-o", "-selection", "clipboard"}).out);
      Xdotool({"key", "Tab"});
    }
    return texts;
  }
};

TEST_F(GermanDesktop, ReadOutsShowTheNumbersTavikDecodeShows) {
  const ProgramResult decoded =
      RunProgram({BinPath("tavik-decode"), "--readouts", SharedDataPath(kCapture)});
  ASSERT_EQ(decoded.exit_status, 0) << decoded.err;
  const std::string last =
      Trim(decoded.out.substr(decoded.out.rfind('\n', decoded.out.size() - 2) + 1));
  std::vector<std::string> expected;
  for (size_t start = last.find('\t'); start != std::string::npos;) {
    const size_t end = last.find('\t', start + 1);
    expected.push_back(last.substr(start + 1, end == std::string::npos ? end : end - start - 1));
    start = end;
  }
  ASSERT_EQ(expected.size(), 6u) << last;
  ASSERT_EQ(expected[3].back(), 'E') << "an eastern longitude";
  expected[3].back() = 'O';
  EXPECT_NE(expected[0].find('.'), std::string::npos);

  StartTavik();
  // Without a mouse: Shift+F10 opens the menu, its underlined letters choose.
  Xdotool({"windowfocus", "--sync", window_});
  Xdotool({"key", "shift+F10"});
  std::this_thread::sleep_for(300ms);
  Xdotool({"key", "s"});  // &Starten
  std::vector<std::string> shown;
  EXPECT_TRUE(WaitFor([&] { return (shown = CopyReadouts()) == expected; }, 30s));
  EXPECT_EQ(shown, expected);
}

INSTANTIATE_TEST_SUITE_P(Captures, CaptureInTheWindow,
                         testing::Values("haicom-305N.log", "nmea-rtk.log", "telit-pls83-w.log"),
                         [](const testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param.substr(0, info.param.find('.'));
                           for (char& c : name) {
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

}  // namespace
