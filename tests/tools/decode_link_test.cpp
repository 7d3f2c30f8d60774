// tavik-decode --port on links that fall silent, lose their fix, are unplugged and
// plugged in again, or come over the network from a TCP server or gpsd.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "tests/gpx/gpx_file_check.h"
#include "tests/support/background_program.h"
#include "tests/support/loopback_server.h"
#include "tests/support/pty.h"
#include "tests/support/run_program.h"
#include "tests/support/shared_data.h"
#include "tools/sim/nmea_walk.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kGpsd[] = "/usr/sbin/gpsd";
constexpr char kNoData[] = "tavik-decode: no data from the receiver for ";
constexpr char kAgain[] = "tavik-decode: positions again\n";
constexpr int kWaitMs = 20000;

// A GGA sentence with fix `n`, its checksum right (gpsd passes on no other).
std::string FixLine(int n) {
  char body[96];
  snprintf(body, sizeof body, "GPGGA,1000%02d,4807.%03d,N,01131.000,E,1,08,0.9,545.4,M,,M,,",
           n % 60, n % 1000);
  return "$" + std::string(body) + NmeaChecksum(body) + "\r\n";
}

size_t CountOf(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

// Rows printed so far, the header not counted.
size_t Rows(const BackgroundProgram& program) {
  return std::max<size_t>(CountOf(program.OutputSoFar(), "\n"), 1) - 1;
}

// Does `act` every 300 ms until `done`, for at most 20 s.
bool ActUntil(const std::function<void()>& act, const std::function<bool()>& done) {
  for (const auto give_up = Clock::now() + std::chrono::seconds(20); Clock::now() < give_up;) {
    act();
    for (int i = 0; i < 30 && !done(); ++i)
      usleep(10000);
    if (done()) return true;
  }
  return false;
}

bool WaitUntil(const std::function<bool()>& done) {
  return ActUntil([] {}, done);
}

// User plus system time of a process so far, in clock ticks.
int64_t CpuTicksOf(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string field;
  int64_t ticks = 0;
  for (int i = 1; i <= 15 && stat >> field; ++i)
    ticks += i >= 14 ? std::stoll(field) : 0;
  return ticks;
}

TEST(TavikDecodeLink, SaysOnceWhenPositionsStopAndWhenTheyComeAgain) {
  const struct {
    std::string while_stale, said;
  } cases[] = {
      {"", kNoData},
      {"$GPGGA,123519,,,,,0,00,,,M,,M,,*66\r\n", "tavik-decode: data without a position for "}};
  for (const auto& c : cases) {
    Pty pty;
    ASSERT_TRUE(pty.MakeRaw());
    BackgroundProgram reader({BinPath("tavik-decode"), "--port", pty.device()});
    int n = 0;
    ASSERT_TRUE(ActUntil([&] { pty.Write(FixLine(n++)); }, [&] { return Rows(reader) >= 1; }));
    const auto said = [&] { return reader.ErrorsSoFar().find(c.said) != std::string::npos; };
    ASSERT_TRUE(ActUntil([&] { pty.Write(c.while_stale); }, said)) << reader.ErrorsSoFar();
    const auto told = Clock::now() + std::chrono::milliseconds(2500);  // once, not every second
    ActUntil([&] { pty.Write(c.while_stale); }, [&] { return Clock::now() >= told; });
    const auto again = [&] { return reader.ErrorsSoFar().find(kAgain) != std::string::npos; };
    ASSERT_TRUE(ActUntil([&] { pty.Write(FixLine(n++)); }, again));
    const ProgramResult result = reader.Finish(SIGINT, 10000);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.err, c.said + "5 s\n" + kAgain);
  }
}

TEST(TavikDecodeLink, ASimulatorStartedAgainIsReadAgainIntoTheSameRecording) {
  TempPortsFolder ports;
  TempDir files;
  const std::string gpx = files.File("track.gpx"), entry = ports.folder() + "/COM2";
  const std::vector<std::string> sim_argv{BinPath("tavik-sim"), "--port", "COM2:", "--interval",
                                          "200"};
  auto sim = std::make_unique<BackgroundProgram>(sim_argv);
  ASSERT_TRUE(WaitUntil([&] { return access(entry.c_str(), F_OK) == 0; }));
  BackgroundProgram reader({BinPath("tavik-decode"), "--port", "COM2:", "--gpx", gpx});
  for (size_t replug = 1; replug <= 2; ++replug) {
    const auto waypoints = [&] { return FileLines(gpx).size(); };
    const size_t rows = Rows(reader), lines = waypoints();
    ASSERT_TRUE(WaitUntil([&] { return Rows(reader) >= rows + 3 && waypoints() > lines; }));
    sim->Finish(SIGTERM, 5000);  // unplugged
    const int64_t cpu_before = CpuTicksOf(reader.pid());
    const auto gone = Clock::now();
    ASSERT_TRUE(WaitUntil([&] { return CountOf(reader.ErrorsSoFar(), kNoData) == replug; }));
    // One that retried at once would burn the whole time; one that waits, a few ms.
    EXPECT_LT(
        (CpuTicksOf(reader.pid()) - cpu_before) * 1000 / sysconf(_SC_CLK_TCK),
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - gone).count() / 4);
    sim = std::make_unique<BackgroundProgram>(sim_argv);  // plugged in again, on a new pty
  }
  ASSERT_TRUE(WaitUntil([&] { return CountOf(reader.ErrorsSoFar(), kAgain) == 2; }));
  sim->Finish(SIGTERM, 5000);  // stopped while the port is gone: the retrying ends at once
  usleep(1500000);
  const ProgramResult result = reader.Finish(SIGINT, 2000);
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_GE(ReadFinishedGpx(gpx).size(), 2u);
}

// A capture whose sentences all carry good checksums (gpsd passes on only those), with
// a last fix after it.
std::string NetworkCapture() {
  std::string bytes;
  ReadWholeFile(SharedDataPath("nmea/haicom-305N.log"), &bytes);
  return bytes + "\r\n" + FixLine(59);
}

TEST(TavikDecodeLink, ATcpSourceGivesTheRowsOfTheFileAcrossADroppedConnection) {
  SKIP_WITHOUT_SHARED_DATA();
  const std::string capture = NetworkCapture(),
                    rows = RunProgram({BinPath("tavik-decode")}, capture).out;
  const size_t half = capture.find('\n', capture.size() / 2) + 1;  // a line end in the middle
  TempPortsFolder ports;
  LoopbackServer server;
  ASSERT_TRUE(WriteWholeFile(ports.folder() + "/COM5",
                             "tcp://127.0.0.1:" + std::to_string(server.port()) + "\n"));
  // Listed while it answers.
  EXPECT_NE(RunProgram({BinPath("tavik-decode"), "--list-ports"}).out.find("5\tCOM5:\t"),
            std::string::npos);
  ASSERT_TRUE(server.Accept(kWaitMs));  // the probe
  BackgroundProgram reader({BinPath("tavik-decode"), "--port", "COM5:", "--count",
                            std::to_string(CountOf(rows, "\n") - 1)});
  ASSERT_TRUE(server.Accept(kWaitMs));
  ASSERT_TRUE(server.Send(capture.substr(0, half)));
  usleep(500000);
  ASSERT_TRUE(server.Accept(kWaitMs));  // drops the connection; the reader comes again
  ASSERT_TRUE(server.Send(capture.substr(half)));
  const ProgramResult result = reader.Finish(0, kWaitMs);
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(result.out, rows);
}

TEST(TavikDecodeLink, GpsdGivesTheRowsOfTheFileAndComesBackAfterARestart) {
  SKIP_WITHOUT_SHARED_DATA();
  if (access(kGpsd, X_OK) != 0) GTEST_SKIP() << "no gpsd";
  const std::string capture = NetworkCapture(),
                    decoded = RunProgram({BinPath("tavik-decode")}, capture).out;
  TempPortsFolder ports;
  Pty receiver;
  ASSERT_TRUE(receiver.MakeRaw());
  const std::string port = std::to_string(LoopbackServer().port());  // a free one
  // Read-only (-b): gpsd sends nothing to the receiver; no control socket, no service.
  const std::vector<std::string> gpsd_argv{kGpsd, "-N", "-n", "-b", "-S", port, receiver.device()};
  auto gpsd = std::make_unique<BackgroundProgram>(gpsd_argv);
  ASSERT_TRUE(WaitUntil([&] { return LoopbackAnswers(std::stoi(port)); }));
  ASSERT_TRUE(WriteWholeFile(ports.folder() + "/COM9", "gpsd://127.0.0.1:" + port + "\n"));
  BackgroundProgram reader({BinPath("tavik-decode"), "--port", "COM9:", "--timeout", "100"});
  // Once fixes come through, and what was on the way has arrived, the capture follows.
  int n = 0;
  ASSERT_TRUE(ActUntil([&] { receiver.Write(FixLine(n++)); }, [&] { return Rows(reader) >= 1; }));
  usleep(1500000);
  const size_t before = reader.OutputSoFar().size();
  ASSERT_TRUE(receiver.Write(capture));
  const std::string rows = decoded.substr(decoded.find('\n') + 1);
  ASSERT_TRUE(WaitUntil([&] { return reader.OutputSoFar().size() >= before + rows.size(); }));
  EXPECT_EQ(reader.OutputSoFar().substr(before), rows);

  gpsd->Finish(SIGTERM, 5000);  // restarted mid-stream: the rows go on
  gpsd = std::make_unique<BackgroundProgram>(gpsd_argv);
  const size_t rows_before = Rows(reader);
  ASSERT_TRUE(
      ActUntil([&] { receiver.Write(FixLine(n++)); }, [&] { return Rows(reader) > rows_before; }));
  EXPECT_EQ(reader.Finish(SIGINT, 10000).exit_status, 0);
}

}  // namespace
