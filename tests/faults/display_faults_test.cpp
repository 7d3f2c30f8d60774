// tavik on an X server of the test's own that dies under it while it records.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>

#include "tests/gpx/gpx_file_check.h"
#include "tests/support/background_program.h"
#include "tests/support/run_program.h"
#include "tests/support/shared_data.h"
#include "tests/support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

// Sets environment variables for this process and the programs it starts, and puts
// the old values back at the end.
class ScopedEnvironment {
 public:
  explicit ScopedEnvironment(const std::map<std::string, std::optional<std::string>>& values) {
    for (const auto& [name, value] : values) {
      const char* old = getenv(name.c_str());
      saved_[name] = old != nullptr ? std::optional<std::string>(old) : std::nullopt;
      Set(name, value);
    }
  }
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_)
      Set(name, value);
  }

 private:
  static void Set(const std::string& name, const std::optional<std::string>& value) {
    if (value) {
      setenv(name.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name.c_str());
    }
  }
  std::map<std::string, std::optional<std::string>> saved_;
};

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

std::string FindWindow(const std::string& title) {
  const ProgramResult found = Xdotool({"search", "--sync", "--onlyvisible", "--name", title});
  return Trim(found.out.substr(0, found.out.find('\n')));
}

TEST(DisplayFaults, AKilledXServerEndsTavikTheYesWay) {
  if (access("/usr/bin/Xvfb", X_OK) != 0 || access("/usr/bin/xdotool", X_OK) != 0) {
    GTEST_SKIP() << "needs Xvfb and xdotool";
  }
  BackgroundProgram xvfb(
      {"/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
  ASSERT_TRUE(WaitFor([&] { return xvfb.OutputSoFar().find('\n') != std::string::npos; }, 20s));
  TempDir home, runtime, files;
  chmod(runtime.path().c_str(), 0700);
  ScopedEnvironment env({{"DISPLAY", ":" + Trim(xvfb.OutputSoFar())},
                         {"WAYLAND_DISPLAY", std::nullopt},
                         {"QT_QPA_PLATFORM", "xcb"},
                         {"QT_QPA_PLATFORMTHEME", ""},
                         {"XDG_CONFIG_HOME", home.path()},
                         {"XDG_RUNTIME_DIR", runtime.path()}});
  BackgroundProgram sim({BinPath("tavik-sim"), "--port", "COM1:"});
  ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(home.File("tavik/ports/COM1")); }, 10s));
  BackgroundProgram tavik({BinPath("tavik")});
  const std::string window = FindWindow("^GPS$");
  ASSERT_FALSE(window.empty());
  const auto choose = [&](const std::string& mnemonic) {
    Xdotool({"mousemove", "--window", window, "3", "3", "click", "1"});
    std::this_thread::sleep_for(300ms);
    Xdotool({"key", mnemonic});
    std::this_thread::sleep_for(300ms);
  };
  choose("s");  // Start
  choose("g");  // Record to GPX
  const std::string dialog = FindWindow("^Save");
  ASSERT_FALSE(dialog.empty());
  const std::string track = files.File("track.gpx");
  Xdotool({"windowfocus", "--sync", dialog});
  Xdotool({"type", "--delay", "5", track});
  Xdotool({"key", "Return"});
  ASSERT_TRUE(WaitFor(
      [&] {
        std::string text;
        return ReadWholeFile(track, &text) && text.find("</wpt>") != std::string::npos;
      },
      20s));

  xvfb.Finish(SIGKILL, 5000);
  const ProgramResult ended = tavik.Finish(0, 20000);
  EXPECT_EQ(ended.signal, 0) << "tavik ends by itself: " << ended.err;
  const auto waypoints = ReadFinishedGpx(track);
  EXPECT_GE(waypoints.size(), 1u);
  EXPECT_EQ(GpsbabelWaypoints(track).size(), waypoints.size());
  struct stat config {};
  ASSERT_EQ(stat(home.File("tavik.cfg").c_str(), &config), 0) << "the configuration is saved";
  EXPECT_EQ(config.st_size, 330);
  sim.Finish(SIGTERM, 5000);
}

}  // namespace
