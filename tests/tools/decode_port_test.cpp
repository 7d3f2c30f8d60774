// tavik-decode on a live line: a pseudo-terminal fed by the test stands in for the receiver.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/background_program.h"
#include "tests/support/pty.h"
#include "tests/support/run_program.h"
#include "tests/support/shared_data.h"

namespace {

constexpr char kHeader[] = "time,latitude,longitude,altitude,northing_km,easting_km\n";
constexpr char kSentinel[] = "$GPGGA,235959,0101.000,N,00101.000,E,1,08,0.9,1.0,M,,M,,*00";

std::vector<std::string> PortArgs(const std::string& port, std::vector<std::string> more) {
  std::vector<std::string> argv{BinPath("tavik-decode"), "--port", port};
  argv.insert(argv.end(), more.begin(), more.end());
  return argv;
}

// Writes bytes in pieces of 1 to 700 bytes, pausing now and then so reads split anywhere.
void WriteInPieces(Pty* pty, const std::string& bytes, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<size_t> piece(1, 700);
  size_t done = 0;
  for (int n = 0; done < bytes.size(); ++n) {
    const size_t count = std::min(piece(random), bytes.size() - done);
    ASSERT_TRUE(pty->Write(bytes.substr(done, count)));
    done += count;
    if (n % 16 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

size_t CountLines(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(TavikDecodePort, CapturesComeOutAsTheRowsOfTheFile) {
  SKIP_WITHOUT_SHARED_DATA();
  unsigned seed = 1;
  for (const std::string& name : SharedCaptures()) {
    const std::string path = SharedDataPath("nmea/" + name);
    const ProgramResult from_file = RunProgram({BinPath("tavik-decode"), path});
    ASSERT_EQ(from_file.exit_status, 0) << name;
    // A known last fix tells how many rows to wait for, even for captures without fixes.
    const ProgramResult sentinel =
        RunProgram({BinPath("tavik-decode")}, std::string(kSentinel) + "\n");
    const std::string expected = from_file.out + sentinel.out.substr(sizeof kHeader - 1);
    std::string capture;
    ASSERT_TRUE(ReadWholeFile(path, &capture));

    Pty pty;
    ASSERT_TRUE(pty.ok() && pty.MakeRaw());
    const size_t rows = CountLines(expected) - 1;
    BackgroundProgram reader(PortArgs(
        pty.device(), {"--baud", "115200", "--timeout", "50", "--count", std::to_string(rows)}));
    ASSERT_TRUE(reader.started());
    WriteInPieces(&pty, capture + "\r\n" + kSentinel + "\r\n", seed++);
    const ProgramResult result = reader.Finish(0, 30000);
    EXPECT_EQ(result.exit_status, 0) << name << ": " << result.err;
    EXPECT_EQ(result.out, expected) << name;
  }
}

TEST(TavikDecodePort, StopsOnSigintAndSigterm) {
  for (const int signal : {SIGINT, SIGTERM}) {
    Pty pty;
    ASSERT_TRUE(pty.ok() && pty.MakeRaw());
    BackgroundProgram reader(PortArgs(pty.device(), {"--timeout", "20"}));
    ASSERT_TRUE(pty.Write(std::string(kSentinel) + "\r\n"));
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (CountLines(reader.OutputSoFar()) < 2 && std::chrono::steady_clock::now() < give_up)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const ProgramResult result = reader.Finish(signal, 10000);
    EXPECT_EQ(result.exit_status, 0) << result.err;
    EXPECT_EQ(CountLines(result.out), 2u) << result.out;
  }
}

// Each cause on a real path, with the words the window's error box gives too.
TEST(TavikDecodePort, AnUnopenablePortIsNamedWithItsDeviceAndTheCause) {
  TempPortsFolder ports;
  ASSERT_TRUE(ports.Link(4, ports.config_home() + "/unplugged"));
  const std::string regular_file = ports.config_home() + "/capture.log";
  ASSERT_TRUE(WriteWholeFile(regular_file, "$GPGGA\n"));
  Pty held, locked_out;
  ASSERT_TRUE(held.ok() && locked_out.ok());
  const int holder = open(held.device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  ASSERT_EQ(chmod(locked_out.device().c_str(), 0), 0);
  // Root opens any device; the refusal is seen by a plain user.
  const std::vector<std::string> as_user =
      geteuid() == 0 ? std::vector<std::string>{"/usr/bin/setpriv", "--reuid=65534",
                                                "--regid=65534", "--clear-groups", "--"}
                     : std::vector<std::string>{};
  struct Case {
    std::string port;
    std::string says;
    std::vector<std::string> prefix = {};
  };
  const std::string folder = ports.folder();
  const Case cases[] = {
      {"COM4:", "COM4: (" + folder + "/COM4): No such device. Plug the receiver in, or link it " +
                    "in the ports folder " + folder + "."},
      {held.device(), held.device() + ": Busy. Another program holds the port, or a program " +
                          "that ended left it locked."},
      {locked_out.device(),
       locked_out.device() + ": Permission denied. Join the dialout group (sudo usermod -aG " +
           "dialout $USER) and log in again.",
       as_user},
      {regular_file, regular_file + ": Not a serial device."},
      {"ttyS0", "ttyS0: Not a port name (COM0: to COM9: or a device path)."},
  };
  for (const Case& c : cases) {
    std::vector<std::string> argv = c.prefix;
    for (const std::string& arg : PortArgs(c.port, {}))
      argv.push_back(arg);
    const ProgramResult result = RunProgram(argv, "", {ports.Environment()});
    EXPECT_EQ(result.exit_status, 1) << c.port;
    EXPECT_EQ(result.err, "tavik-decode: Can't open GPS port " + c.says + "\n");
  }
  close(holder);
}

TEST(TavikDecodePort, SettingsMustComeFromTheTables) {
  const std::vector<std::vector<std::string>> bad = {{"--port", "COM1:", "--baud", "14400"},
                                                     {"--port", "COM1:", "--parity", "n"},
                                                     {"--port", "COM1:", "--data-bits", "9"},
                                                     {"--port", "COM1:", "--stop-bits", "1.5"},
                                                     {"--port", "COM1:", "--count", "0"},
                                                     {"--port", "COM1:", "--timeout", "x"},
                                                     {"--baud", "9600"},
                                                     {"--port", "COM1:", "some.log"},
                                                     {"--list-ports", "--port", "COM1:"},
                                                     {"--port"}};
  for (const auto& args : bad) {
    std::vector<std::string> argv{BinPath("tavik-decode")};
    argv.insert(argv.end(), args.begin(), args.end());
    const ProgramResult result = RunProgram(argv);
    EXPECT_EQ(result.exit_status, 2) << args.back() << ": " << result.err;
    EXPECT_EQ(result.out, "");
  }
}

TEST(TavikDecodePort, ListPortsShowsFreePortsOnly) {
  TempPortsFolder ports;
  for (int n = 0; n < 10; ++n)
    ASSERT_TRUE(ports.Link(n, ports.config_home() + "/absent"));
  Pty free_port, held_port;
  ASSERT_TRUE(free_port.ok() && held_port.ok());
  ASSERT_TRUE(ports.Link(1, free_port.device()));
  ASSERT_TRUE(ports.Link(3, held_port.device()));
  const int holder = open(held_port.device().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);

  const ProgramResult result =
      RunProgram({BinPath("tavik-decode"), "--list-ports"}, "", {ports.Environment()});
  close(holder);
  EXPECT_EQ(result.exit_status, 0) << result.err;
  char device[PATH_MAX];
  ASSERT_NE(realpath(free_port.device().c_str(), device), nullptr);
  const std::string expected =
      "1\t256000\n1\t128000\n1\t115200\n1\t57600\n1\t38400\n1\t19200\n1\t9600\n1\t4800\n"
      "1\t2400\n1\t1200\n1\t600\n1\t300\n1\t110\n2\t8\n2\t7\n2\t6\n2\t5\n3\tE\n3\tN\n3\tO\n"
      "4\t1\n4\t2\n5\tCOM1:\t" +
      std::string(device) + "\n6\t\n";
  EXPECT_EQ(result.out, expected);
}

}  // namespace
