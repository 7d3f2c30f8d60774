// tavik-decode --port on links that lose their fix, are unplugged and plugged in again,
// or come over the network from a TCP server or gpsd.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "tests/gpx/gpx_file_check.h"
#include "tests/support/background_program.h"
#include "tests/support/pty.h"
#include "tests/support/shared_data.h"
#include "tools/sim/nmea_walk.h"

namespace {

constexpr char kAgain[] = "tavik-decode: positions again\n";
constexpr int kWaitMs = 20000;

// A GGA sentence with fix `n`, its checksum right (gpsd passes on no other).
std::string FixLine(int n) {
  char body[96];
  snprintf(body, sizeof body, "GPGGA,1000%02d,4807.%03d,N,01131.000,E,1,08,0.9,545.4,M,,M,,",
           n % 60, n % 1000);
  return "$" + std::string(body) + NmeaChecksum(body) + "\r\n";
}

// A TCP port of the loopback address that nothing listens on.
std::string FreePort() {
  sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
  socklen_t size = sizeof address;
  const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  bind(probe, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &size);
  close(probe);
  return std::to_string(ntohs(address.sin_port));
}

// Rows printed so far, the header not counted.
size_t Rows(const BackgroundProgram& program) {
  return std::max<size_t>(std::ranges::count(program.OutputSoFar(), '\n'), 1) - 1;
}

// A receiver unplugged and plugged in again (a simulator ended and started again, on a new
// pty), once talking without a fix, once gone for a while: the reader reads on into the same
// recording, and says once when positions stop and once when they come again.
TEST(TavikDecodeLink, ReadsOnAcrossUnpluggingAndSaysWhenPositionsStop) {
  TempPortsFolder ports;
  TempDir files;
  const std::string gpx = files.File("track.gpx"), no_fix = files.File("no-fix.log"),
                    entry = ports.folder() + "/COM2";
  ASSERT_TRUE(WriteWholeFile(no_fix, "$GPGGA,123519,,,,,0,00,,,M,,M,,*66\r\n"));
  ASSERT_TRUE(ports.Link(2, "/dev/pts/999999"));  // left by a killed simulator: replaced
  const struct {
    std::vector<std::string> sends;    // the simulator's options beyond its port
    std::string said, said_unplugged;  // what the reader says meanwhile, and once it is gone
  } plug_ins[] = {
      {{}, "", ""},
      {{"--replay", no_fix, "--loop"}, "tavik-decode: data without a position for 5 s\n", ""},
      {{}, kAgain, "tavik-decode: no data from the receiver for 5 s\n"},
      {{}, kAgain, ""},
  };
  std::optional<BackgroundProgram> reader;
  std::string said;
  for (const auto& plug_in : plug_ins) {
    std::vector<std::string> argv{BinPath("tavik-sim"), "--port", "COM2:", "--interval", "100"};
    argv.insert(argv.end(), plug_in.sends.begin(), plug_in.sends.end());
    BackgroundProgram sim(argv);
    ASSERT_TRUE(PollUntil([&] { return access(entry.c_str(), F_OK) == 0; }, kWaitMs));
    if (!reader)
      reader.emplace(std::vector<std::string>{BinPath("tavik-decode"), "--port",
                                              "COM2:", "--timeout", "100", "--gpx", gpx});
    const size_t rows = Rows(*reader), waypoints = FileLines(gpx).size();
    said += plug_in.said;
    ASSERT_TRUE(PollUntil(
        [&] {
          return reader->ErrorsSoFar() == said &&
                 (!plug_in.sends.empty() ||
                  (Rows(*reader) >= rows + 3 && FileLines(gpx).size() > waypoints));
        },
        kWaitMs))
        << reader->ErrorsSoFar();
    sim.Finish(SIGTERM, 5000);  // unplugged
    said += plug_in.said_unplugged;
    ASSERT_TRUE(PollUntil([&] { return reader->ErrorsSoFar() == said; }, kWaitMs))
        << reader->ErrorsSoFar();
  }
  usleep(300000);  // stopped while the port is gone: the retrying ends at once
  const ProgramResult result = reader->Finish(SIGINT, 2000);
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_GE(ReadFinishedGpx(gpx).size(), 3u);
}

// A capture whose sentences all carry good checksums (gpsd passes on only those), with
// a last fix after it, from a TCP server and through gpsd.
TEST(TavikDecodeLink, NetworkSourcesGiveTheRowsOfTheFile) {
  std::string capture;
  ASSERT_TRUE(ReadWholeFile(DataPath("nmea/haicom-305N.log"), &capture));
  capture += "\r\n" + FixLine(59);
  const std::string rows = RunProgram({BinPath("tavik-decode")}, capture).out;
  TempPortsFolder ports;
  const std::string capture_file = ports.config_home() + "/capture.log", tcp_port = FreePort();
  ASSERT_TRUE(WriteWholeFile(capture_file, capture));
  // A phone app serving NMEA: each client gets the capture, then the connection ends.
  BackgroundProgram server({"/usr/bin/socat", "-U",
                            "TCP-LISTEN:" + tcp_port + ",bind=127.0.0.1,reuseaddr,fork",
                            "OPEN:" + capture_file});
  ASSERT_TRUE(WriteWholeFile(ports.folder() + "/COM5", "tcp://127.0.0.1:" + tcp_port + "\n"));
  const auto listed = [](const std::string& port) {  // once it answers
    return PollUntil(
        [&] {
          return RunProgram({BinPath("tavik-decode"), "--list-ports"})
                     .out.find("\t" + port + "\t") != std::string::npos;
        },
        kWaitMs);
  };
  ASSERT_TRUE(listed("COM5:"));
  const ProgramResult result = RunProgram({BinPath("tavik-decode"), "--port", "COM5:", "--count",
                                           std::to_string(std::ranges::count(rows, '\n') - 1)});
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(result.out, rows);

  const char gpsd[] = "/usr/sbin/gpsd";
  if (access(gpsd, X_OK) != 0) GTEST_SKIP() << "no gpsd";
  Pty receiver;
  ASSERT_TRUE(receiver.MakeRaw());
  const std::string port = FreePort();
  // Read-only (-b): gpsd sends nothing to the receiver; no control socket, no service.
  BackgroundProgram daemon({gpsd, "-N", "-n", "-b", "-S", port, receiver.device()});
  ASSERT_TRUE(WriteWholeFile(ports.folder() + "/COM9", "gpsd://127.0.0.1:" + port + "\n"));
  ASSERT_TRUE(listed("COM9:"));
  BackgroundProgram reader({BinPath("tavik-decode"), "--port", "COM9:", "--timeout", "100"});
  // Once fixes come through, the capture follows them.
  int n = 0;
  ASSERT_TRUE(
      PollUntil([&] { return Rows(reader) >= 1; }, kWaitMs, [&] { receiver.Write(FixLine(n++)); }));
  ASSERT_TRUE(receiver.Write(capture));
  const std::string body = rows.substr(rows.find('\n') + 1);
  EXPECT_TRUE(PollUntil([&] { return reader.OutputSoFar().ends_with(body); }, kWaitMs))
      << reader.OutputSoFar();
  EXPECT_EQ(reader.Finish(SIGINT, 10000).exit_status, 0);
}

}  // namespace
