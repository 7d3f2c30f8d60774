// tavik-decode as a user and a script run it: its options, outputs, messages and exit
// status, a recording ended by a signal, and ports it cannot open.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/gpx/gpx_file_check.h"
#include "tests/support/background_program.h"
#include "tests/support/pty.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr char kFix[] = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";

// Runs every case of decode_cli.txt (tavik-sim's too).
TEST(TavikDecode, CommandLineTranscript) {
  ASSERT_EQ(chdir(TAVIK_TOOLS_TEST_DIR), 0);
  std::ifstream transcript("decode_cli.txt");
  std::string line, command, input, out, err;
  int cases = 0;
  while (std::getline(transcript, line)) {
    const std::string text = line.size() > 2 ? line.substr(2) : "";
    if (line[0] == '$') command = text, input = out = err = "";
    if (line[0] == '<') input += text + "\r\n";
    if (line[0] == '>' || line[0] == '!') (line[0] == '>' ? out : err) += text + "\n";
    if (line[0] != '?') continue;
    std::vector<std::string> argv;
    std::istringstream words(command);
    for (std::string word; words >> word;)
      argv.push_back(argv.empty() ? BinPath(word) : word == "''" ? "" : word);
    const ProgramResult result = RunProgram(argv, input);
    EXPECT_EQ(std::tie(result.out, result.err, result.exit_status),
              std::make_tuple(out, err, std::stoi(text)))
        << command;
    ++cases;
  }
  EXPECT_EQ(cases, 31);
}

// A receiver piped in never ends by itself: SIGTERM or SIGINT finishes the file.
TEST(TavikDecode, StopSignalsFinishTheRecording) {
  for (int stop_signal : {SIGTERM, SIGINT}) {
    TempDir dir;
    const std::string fifo = dir.File("receiver"), gpx = dir.File("live.gpx");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    BackgroundProgram decode({BinPath("tavik-decode"), "--gpx", gpx, fifo});
    const int in = open(fifo.c_str(), O_WRONLY);
    ASSERT_TRUE(write(in, kFix, sizeof kFix - 1) > 0);
    // Each waypoint reaches the file at once.
    for (int i = 0; i < 1000 && FileLines(gpx).size() < 11; ++i)
      usleep(10000);
    ASSERT_EQ(FileLines(gpx).size(), 11u);
    EXPECT_EQ(decode.Finish(stop_signal, 10000).exit_status, 0);
    close(in);
    EXPECT_EQ(ReadFinishedGpx(gpx).size(), 1u);
  }
}

// Each cause on a real path, with the words the window's error box gives too; the
// ports that can be opened are listed, the others are not.
TEST(TavikDecode, PortsThatCannotBeOpenedAreNamedWithTheCauseAndNotListed) {
  TempPortsFolder ports;
  const std::string folder = ports.folder();
  Pty free_port, held, locked_out;
  const int holder = open(held.device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  ASSERT_EQ(chmod(locked_out.device().c_str(), 0), 0);
  for (int n = 0; n < 10; ++n)  // none of the built-in devices
    ASSERT_TRUE(ports.Link(n, n == 1   ? free_port.device()
                              : n == 3 ? held.device()
                                       : ports.config_home() + "/unplugged"));
  // Root opens any device; the refusal is seen by a plain user.
  const std::vector<std::string> as_user = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
                                            "--clear-groups", "--"};
  const struct {
    std::string port, says;
    bool as_user = false;
  } cases[] = {
      {"COM4:", "COM4: (" + folder + "/COM4): No such device. Plug the receiver in, or link it " +
                    "in the ports folder " + folder + "."},
      {held.device(), held.device() + ": Busy. Another program holds the port, or a program " +
                          "that ended left it locked."},
      {locked_out.device(),
       locked_out.device() + ": Permission denied. Join the dialout group (sudo usermod -aG " +
           "dialout $USER) and log in again.",
       geteuid() == 0},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv = c.as_user ? as_user : std::vector<std::string>{};
    argv.insert(argv.end(), {BinPath("tavik-decode"), "--port", c.port});
    const ProgramResult result = RunProgram(argv, "", {ports.Environment()});
    EXPECT_EQ(result.exit_status, 1) << c.port;
    EXPECT_EQ(result.err, "tavik-decode: Can't open GPS port " + c.says + "\n");
  }
  const std::string listed = RunProgram({BinPath("tavik-decode"), "--list-ports"}).out;
  close(holder);
  char device[PATH_MAX];
  ASSERT_NE(realpath(free_port.device().c_str(), device), nullptr);
  EXPECT_EQ(listed.substr(listed.find("\n5\t") + 1),
            "5\tCOM1:\t" + std::string(device) + "\n6\t\n");
}

}  // namespace
