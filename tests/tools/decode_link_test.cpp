// tavik-decode --port on links that lose their fix, are unplugged and plugged in again,
// come over the network from a TCP server or gpsd, or cannot be reached; and what it
// keeps of a link stopped right after fixes came.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/sockios.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "tests/gpx/gpx_file_check.h"
#include "tests/support/background_program.h"
#include "tests/support/ms_since.h"
#include "tests/support/pty.h"
#include "tests/support/shared_data.h"
#include "tools/sim/nmea_walk.h"

namespace {

constexpr char kAgain[] = "tavik-decode: positions again\n";
constexpr int kWaitMs = 20000;

// GGA fix `n`, one minute of latitude north of fix n - 1, so each is a waypoint of its
// own; its checksum right (gpsd passes on no other).
std::string FixLine(int n) {
  char body[96];
  snprintf(body, sizeof body, "GPGGA,1000%02d,48%02d.000,N,01131.000,E,1,08,0.9,545.4,M,,M,,",
           n % 60, n % 60);
  return "$" + std::string(body) + NmeaChecksum(body) + "\r\n";
}

// A TCP listener on a free port of the loopback address, its number in `port`.
int Listen(std::string* port) {
  sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
  socklen_t size = sizeof address;
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(fd, 1) != 0) return -1;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  *port = std::to_string(ntohs(address.sin_port));
  return fd;
}

// A TCP port of the loopback address that nothing listens on.
std::string FreePort() {
  std::string port;
  close(Listen(&port));
  return port;
}

// A receiver unplugged and plugged in again (a simulator ended and started again, on a new
// pty), once talking without a fix, once gone for a while: the reader reads on into the same
// recording, and says once when positions stop and once when they come again.
TEST(TavikDecodeLink, ReadsOnAcrossUnpluggingAndSaysWhenPositionsStop) {
  TempPortsFolder ports;  // its folder holds the recording and the log too
  const std::string gpx = ports.config_home() + "/track.gpx",
                    no_fix = ports.config_home() + "/no-fix.log", entry = ports.folder() + "/COM2";
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
  const auto gpx_bytes = [&] {
    std::string text;
    return ReadWholeFile(gpx, &text) ? text.size() : 0;
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
    const size_t rows = CsvRows(reader->OutputSoFar()), recorded = gpx_bytes();
    said += plug_in.said;
    ASSERT_TRUE(PollUntil(
        [&] {
          return reader->ErrorsSoFar() == said &&
                 (!plug_in.sends.empty() ||
                  (CsvRows(reader->OutputSoFar()) >= rows + 3 && gpx_bytes() > recorded));
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
  const ProgramResult result = RunProgram(
      {BinPath("tavik-decode"), "--port", "COM5:", "--count", std::to_string(CsvRows(rows))});
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
  ASSERT_TRUE(PollUntil([&] { return CsvRows(reader.OutputSoFar()) >= 1; }, kWaitMs,
                        [&] { receiver.Write(FixLine(n++)); }));
  ASSERT_TRUE(receiver.Write(capture));
  const std::string body = rows.substr(rows.find('\n') + 1);
  EXPECT_TRUE(PollUntil([&] { return reader.OutputSoFar().ends_with(body); }, kWaitMs))
      << reader.OutputSoFar();
  EXPECT_EQ(reader.Finish(SIGINT, 10000).exit_status, 0);
}

// Network sources that cannot be reached, in a private network whose name server never
// answers (but says that names beginning with "unknown" do not exist) and whose port
// 10111 never answers a connection (tavik_test_netns). A stop signal during the lookup
// or the connection ends tavik-decode at once; a source that cannot be reached, and an
// entry of neither form, are named with the cause. --list-ports gives the sources that
// do not answer a few seconds together, not each in turn.
TEST(TavikDecodeLink, UnreachableNetworkSourcesEndAtOnceAndSayWhy) {
  TempPortsFolder ports;
  const std::string forms = "gpsd://HOST[:PORT] or tcp://HOST:PORT";
  const struct Case {
    std::string entry;
    int signal;  // sent 200 ms after the start; 0: none
    std::string dns_timeout_s, said;
  } cases[] = {
      // clang-format off
      {"tcp://gps.test:10110", SIGTERM, "5", ""}, {"gpsd://gps.test", SIGINT, "5", ""},
      {"tcp://127.0.0.1:10111", SIGTERM, "5", ""},
      {"tcp://unknown.test:10110", 0, "5", "The host name could not be found."},
      {"tcp://gps.test:10110", 0, "1", "could not be looked up: no name server answered."},
      {"tcp://127.0.0.1:10111", 0, "5", "The host did not answer."},
      {"tcp://gps.test", 0, "5", forms}, {"tcp://gps.test:0", 0, "5", forms},
      {"gpsd://gps.test:65536", 0, "5", forms}, {"TCP://gps.test:10110", 0, "5", forms},
      {"\xEF\xBB\xBFtcp://gps.test:10110", 0, "5", forms},
      // clang-format on
  };
  const auto in_network = [](const std::string& dns_timeout_s, std::vector<std::string> argv) {
    argv.insert(argv.begin(), {BinPath("tavik_test_netns"), "--dns-timeout", dns_timeout_s,
                               "--silent-port", "10111", "--"});
    return argv;
  };
  // ThreadSanitizer would wait a second at the exit of a program whose abandoned lookup
  // still runs; the program itself does not.
  const char* tsan = getenv("TSAN_OPTIONS");
  const std::vector<std::string> env{std::string("TSAN_OPTIONS=") + (tsan ? tsan : "") +
                                     ":atexit_sleep_ms=0"};
  for (const Case& c : cases) {
    ASSERT_TRUE(WriteWholeFile(ports.folder() + "/COM1", c.entry + "\n"));
    BackgroundProgram reader(
        in_network(c.dns_timeout_s, {BinPath("tavik-decode"), "--port", "COM1:"}), env);
    ASSERT_TRUE(PollUntil([&] { return !reader.OutputSoFar().empty(); }, kWaitMs))
        << reader.ErrorsSoFar();
    if (c.signal != 0) usleep(200000);
    const auto start = std::chrono::steady_clock::now();
    const ProgramResult result = reader.Finish(c.signal, kWaitMs);
    const int64_t ms = MsSince(start);
    if (result.exit_status == 77) GTEST_SKIP() << result.err;
    if (c.signal != 0) {
      EXPECT_EQ(result.exit_status, 0) << c.entry << ": " << result.err;
      EXPECT_LT(ms, 1000) << c.entry << " ends within a second of the signal";
    } else {
      EXPECT_EQ(result.exit_status, 1) << c.entry;
      EXPECT_NE(result.err.find("Can't open GPS port COM1: "), std::string::npos) << result.err;
      EXPECT_NE(result.err.find(c.said), std::string::npos) << c.entry << ": " << result.err;
    }
  }
  int n = 1;
  for (const char* entry : {"tcp://gps.test:10110", "gpsd://gps.test", "tcp://127.0.0.1:10111"})
    ASSERT_TRUE(WriteWholeFile(ports.folder() + "/COM" + std::to_string(n++), entry));
  const auto start = std::chrono::steady_clock::now();
  const ProgramResult listed =
      RunProgram(in_network("5", {BinPath("tavik-decode"), "--list-ports"}), "", env);
  const int64_t ms = MsSince(start);
  EXPECT_EQ(listed.exit_status, 0) << listed.err;
  EXPECT_EQ(listed.out.find("\tCOM1:"), std::string::npos);
  EXPECT_NE(listed.out.find("6\t\n"), std::string::npos) << "the listing is complete";
  EXPECT_LT(ms, 7000) << ms << " ms: each source is given a few seconds, all of them together";
}

// Fixes sent on a pty or over TCP, then at once a stop signal, while the reader (at a
// time-out of 5 s) still holds them unread or in the read in progress: every one of
// them is in the rows and the recording.
TEST(TavikDecodeLink, EveryFixSentBeforeTheStopIsKept) {
  const struct {
    bool tcp;
    int signal, fixes;
  } runs[] = {{false, SIGTERM, 5}, {false, SIGINT, 20}, {false, SIGTERM, 20},
              {true, SIGTERM, 5},  {true, SIGHUP, 20},  {true, SIGTERM, 20}};
  for (const auto& run : runs) {
    TempPortsFolder ports;
    const std::string gpx = ports.config_home() + "/track.gpx";
    std::string fixes;
    for (int n = 0; n < run.fixes; ++n)
      fixes += FixLine(n);
    Pty receiver;
    ASSERT_TRUE(receiver.MakeRaw());
    // Opened before the reader takes the device, to see the bytes arrive in the line.
    const int line = open(receiver.device().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(line, 0);
    std::string tcp_port;
    const int listener = Listen(&tcp_port);
    ASSERT_GE(listener, 0);
    if (run.tcp) {
      ASSERT_TRUE(WriteWholeFile(ports.folder() + "/COM3", "tcp://127.0.0.1:" + tcp_port));
    } else {
      ASSERT_TRUE(ports.Link(3, receiver.device()));
    }
    BackgroundProgram reader(
        {BinPath("tavik-decode"), "--port", "COM3:", "--timeout", "5000", "--gpx", gpx});
    int connection = -1;
    if (run.tcp) {
      pollfd wait{listener, POLLIN, 0};
      ASSERT_EQ(poll(&wait, 1, kWaitMs), 1) << reader.ErrorsSoFar();
      connection = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
      ASSERT_EQ(send(connection, fixes.data(), fixes.size(), MSG_NOSIGNAL),
                static_cast<ssize_t>(fixes.size()));
      // Until the reader's side has them all (acknowledged, nothing left to send).
      int unsent = 1;
      ASSERT_TRUE(PollUntil(
          [&] { return ioctl(connection, SIOCOUTQ, &unsent) == 0 && unsent == 0; }, kWaitMs));
    } else {
      ASSERT_TRUE(PollUntil([&] { return !reader.OutputSoFar().empty(); }, kWaitMs));
      ASSERT_TRUE(receiver.Write(fixes));
      // Until the line has them all, or the reader has begun to take them.
      int waiting = 0;
      for (int ms = 0; ms < 1000 && ioctl(line, FIONREAD, &waiting) == 0 &&
                       waiting < static_cast<int>(fixes.size());
           ++ms)
        usleep(1000);
    }
    const ProgramResult result = reader.Finish(run.signal, kWaitMs);
    EXPECT_EQ(result.exit_status, 0) << result.err;
    EXPECT_EQ(CsvRows(result.out), static_cast<size_t>(run.fixes))
        << (run.tcp ? "tcp " : "pty ") << run.fixes << ":\n"
        << result.out;
    EXPECT_EQ(ReadFinishedGpx(gpx).size(), static_cast<size_t>(run.fixes));
    for (const int fd : {line, listener, connection})
      if (fd >= 0) close(fd);
  }
}

}  // namespace
