// tavik-decode as a user and a script run it: its options, outputs, messages and exit
// status, and ports it cannot open; tavik-sim's sentences and replays.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/gpx/gpx_file_check.h"
#include "tests/support/background_program.h"
#include "tests/support/pty.h"
#include "tests/support/run_program.h"
#include "tests/support/scoped_env.h"
#include "tools/sim/capture_bursts.h"
#include "tools/sim/nmea_walk.h"

namespace {

// Runs every case of decode_cli.txt (tavik-sim's too).
TEST(TavikDecode, CommandLineTranscript) {
  ASSERT_EQ(chdir(TAVIK_TOOLS_TEST_DIR), 0);
  std::ifstream transcript("decode_cli.txt");
  std::string line;
  std::map<char, std::string> got;  // the text of each kind of line, for the case being read
  int cases = 0;
  while (std::getline(transcript, line)) {
    const std::string text = line.size() > 2 ? line.substr(2) : "";
    if (line[0] == '$') got.clear();
    got[line[0]] += text + (line[0] == '<' ? "\r\n" : line[0] == '$' ? "" : "\n");
    if (line[0] != '?') continue;
    std::vector<std::string> argv;
    std::istringstream words(got['$']);
    for (std::string word; words >> word;)
      argv.push_back(argv.empty() ? BinPath(word) : word == "''" ? "" : word);
    const ProgramResult result = RunProgram(argv, got['<']);
    EXPECT_EQ(std::tie(result.out, result.err, result.exit_status),
              std::make_tuple(got['>'], got['!'], std::stoi(text)))
        << got['$'];
    ++cases;
  }
  EXPECT_EQ(cases, 31);
}

// --help and --version answer at a terminal without any display, with the one version.
TEST(TavikPrograms, HelpAndVersionWithoutADisplay) {
  ScopedEnv display("DISPLAY", nullptr), wayland("WAYLAND_DISPLAY", nullptr),
      platform("QT_QPA_PLATFORM", nullptr);
  // Each program, and a word its usage must mention.
  for (const auto& [program, usage_names] : {std::pair{"tavik", "XDG_CONFIG_HOME"},
                                             {"tavik-decode", "--list-ports"},
                                             {"tavik-sim", "--replay"}}) {
    if (std::string(program) == "tavik" && !TAVIK_HAS_APP) continue;  // built without it
    const ProgramResult version = RunProgram({BinPath(program), "--version"});
    EXPECT_EQ(std::tie(version.exit_status, version.out, version.err),
              std::make_tuple(0, std::string("tavik " TAVIK_VERSION "\n"), std::string()))
        << program;
    const ProgramResult help = RunProgram({BinPath(program), "--help"});
    EXPECT_EQ(help.exit_status, 0) << program;
    EXPECT_NE(help.out.find("--version"), std::string::npos) << program;
    EXPECT_NE(help.out.find(usage_names), std::string::npos) << program;
  }
}

// Each cause on a real path, with the words the window's error box gives too: the
// device an entry leads to, the program that holds a port, the group that may use a
// device or its permissions when none may. The ports that can be opened are listed,
// the others are not.
TEST(TavikDecode, PortsThatCannotBeOpenedAreNamedWithTheCauseAndNotListed) {
  TempPortsFolder ports;
  const std::string folder = ports.folder();
  Pty free_port, held, for_group, for_owner;
  const group* dialout = getgrnam("dialout");
  ASSERT_NE(dialout, nullptr) << "the group dialout is needed";
  ASSERT_EQ(chown(for_group.device().c_str(), 0, dialout->gr_gid) |
                chmod(for_group.device().c_str(), 0660) | chown(for_owner.device().c_str(), 0, 0) |
                chmod(for_owner.device().c_str(), 0600),
            0);
  for (int n = 0; n < 10; ++n)  // none of the built-in devices
    ASSERT_TRUE(ports.Link(n, n == 1   ? free_port.device()
                              : n == 3 ? held.device()
                                       : folder + "/unplugged"));
  // Another program locks the port, as a reader holding it does: flock becomes sleep.
  BackgroundProgram holder(
      {"/usr/bin/flock", "--exclusive", "--no-fork", held.device(), "sleep", "60"});
  ASSERT_TRUE(PollUntil(
      [&] {
        const int fd = open(held.device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        const bool locked = flock(fd, LOCK_EX | LOCK_NB) != 0;
        close(fd);
        return locked;
      },
      10000));
  const std::string decode = BinPath("tavik-decode");
  // Root opens any device; the refusals are seen by a plain user.
  const auto as_user = [&](const std::string& port) {
    std::vector<std::string> argv = {decode, "--port", port};
    if (geteuid() == 0)
      argv.insert(argv.begin(),
                  {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"});
    return argv;
  };
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{decode, "--port", "COM4:"},
       "COM4: (" + folder + "/unplugged): No such device. Plug the " +
           "receiver in, or link it in the ports folder " + folder + "."},
      {{decode, "--port", "COM3:"},
       "COM3: (" + held.device() + "): Busy. sleep (process " + std::to_string(holder.pid()) +
           ") holds the port."},
      {as_user(for_group.device()),
       for_group.device() + ": Permission denied. Join the dialout group (sudo usermod -aG "
                            "dialout $USER) and log in again."},
      {as_user(for_owner.device()),
       for_owner.device() + ": Permission denied. The device's permissions (root:root 0600) "
                            "do not let this user read and write it."},
  };
  for (const auto& [argv, says] : cases) {
    const ProgramResult result = RunProgram(argv);
    EXPECT_EQ(std::tie(result.exit_status, result.err),
              std::make_tuple(1, "tavik-decode: Can't open GPS port " + says + "\n"));
  }
  const std::string listed = RunProgram({decode, "--list-ports"}).out;
  holder.Finish(SIGTERM, 5000);
  char device[PATH_MAX];
  ASSERT_NE(realpath(free_port.device().c_str(), device), nullptr);
  EXPECT_EQ(listed.substr(listed.find("\n5\t") + 1),
            "5\tCOM1:\t" + std::string(device) + "\n6\t\n");
}

// Output that cannot be written, a full disk or a reader gone (SIGPIPE no longer kills):
// the run ends as on SIGTERM, its recording finished and its port released, with status
// 4; standard error says why unless the reader simply went away.
TEST(TavikDecode, OutputThatCannotBeWrittenEndsTheRunAndSaysWhy) {
  TempPortsFolder ports;
  const std::string log = ports.config_home() + "/climb.log",
                    gpx = ports.config_home() + "/track.gpx";
  const std::string fixes = ClimbingFixes(0, 3000);  // rows beyond what a pipe holds
  ASSERT_TRUE(WriteWholeFile(log, fixes));
  BackgroundProgram sim({BinPath("tavik-sim"), "--port", "COM7:", "--interval", "20"});
  ASSERT_TRUE(PollUntil([&] { return std::filesystem::exists(ports.folder() + "/COM7"); }, 10000));
  const std::string full = "tavik-decode: cannot write the output: No space left on device\n",
                    to_full = ">/dev/full", to_head = "| head -n 3 >/dev/null";
  const struct {
    std::vector<std::string> args;
    const std::string& to;
    std::string said;
  } cases[] = {
      // clang-format off
      {{log}, to_full, full}, {{"--readouts", log}, to_full, full},
      {{"--list-ports"}, to_full, full}, {{"--help"}, to_full, full},
      {{"--gpx", gpx, log}, to_head, ""}, {{"--all", "--gpx", gpx, "-"}, to_full, full},
      {{"--port", "COM7:", "--gpx", gpx}, to_head, ""},
      {{"--port", "COM7:", "--readouts", "--gpx", gpx}, to_full, full},
      // clang-format on
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv{"/usr/bin/timeout", "20", "/bin/bash", "-c"};
    argv.push_back("\"$0\" \"$@\" " + c.to + "; exit ${PIPESTATUS[0]}");
    argv.push_back(BinPath("tavik-decode"));
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    unlink(gpx.c_str());
    const ProgramResult result = RunProgram(argv, fixes);
    EXPECT_EQ(std::tie(result.exit_status, result.err), std::make_tuple(4, c.said))
        << c.args[0] << c.to;
    if (std::ranges::find(c.args, gpx) != c.args.end()) {  // finished, as on SIGTERM
      EXPECT_EQ(GpsbabelWaypoints(gpx).size(), ReadFinishedGpx(gpx).size()) << c.args[0] << c.to;
    }
  }
}

// tavik-sim's own sentences carry their checksum; a replay sends a burst up to each GGA and
// leaves the comments out.
TEST(TavikSim, SentencesAndReplayBursts) {
  using namespace std::string_literals;
  EXPECT_EQ(NmeaChecksum("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"),
            "*6A");
  EXPECT_EQ(CaptureBursts("# receiver: test\n#\n$GPGSV,1*00\r\n$GPGGA,1*00\r\n\r$GPRMC,2\x00\xff*00"
                          "\r\r\n$GNGGA,2*00\n$GPGSV,3*00\ntail without end"s),
            (std::vector<std::string>{"$GPGSV,1*00\r\n$GPGGA,1*00\r\n",
                                      "\r$GPRMC,2\x00\xff*00\r\r\n$GNGGA,2*00\n"s,
                                      "$GPGSV,3*00\ntail without end"}));
}

}  // namespace
