// tavik-decode --port on links that stop, come back, or come over the network.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/gpx/gpx_file_check.h"
#include "tests/support/background_program.h"
#include "tests/support/loopback_server.h"
#include "tests/support/pty.h"
#include "tests/support/run_program.h"
#include "tests/support/shared_data.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kGpsd[] = "/usr/sbin/gpsd";
constexpr char kHeader[] = "time,latitude,longitude,altitude,northing_km,easting_km\n";
// A receiver without a fix, and one with fixes whose sentences all carry good checksums
// (gpsd passes on only those).
constexpr char kNoPositionCapture[] = "nmea/st-teseo-liv4f.log";
constexpr char kNetworkCapture[] = "nmea/haicom-305N.log";
constexpr char kNoData[] = "tavik-decode: no data from the receiver for ";
constexpr char kNoPosition[] = "tavik-decode: data without a position for ";
constexpr char kAgain[] = "tavik-decode: positions again\n";
constexpr int kWaitMs = 20000;

// A GGA sentence with fix `n`, its checksum right (gpsd passes on no other).
std::string FixLine(int n) {
  char body[96];
  snprintf(body, sizeof body, "GPGGA,1000%02d,4807.%03d,N,01131.000,E,1,08,0.9,545.4,M,,M,,",
           n % 60, n % 1000);
  unsigned checksum = 0;
  for (const char* c = body; *c != '\0'; ++c)
    checksum ^= static_cast<unsigned char>(*c);
  char line[112];
  snprintf(line, sizeof line, "$%s*%02X\r\n", body, checksum);
  return line;
}

size_t CountOf(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

// Rows printed so far, the header not counted.
size_t Rows(const BackgroundProgram& program) {
  const size_t lines = CountOf(program.OutputSoFar(), "\n");
  return lines > 0 ? lines - 1 : 0;
}

// Does `act` every 300 ms until `done`, for at most kWaitMs.
bool ActUntil(const std::function<void()>& act, const std::function<bool()>& done) {
  const auto give_up = Clock::now() + std::chrono::milliseconds(kWaitMs);
  while (Clock::now() < give_up) {
    act();
    for (int i = 0; i < 30; ++i) {
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }
  return done();
}

bool WaitUntil(const std::function<bool()>& done) {
  return ActUntil([] {}, done);
}

// Does `act` every 300 ms for `ms`.
void ActFor(const std::function<void()>& act, int ms) {
  const auto end = Clock::now() + std::chrono::milliseconds(ms);
  ActUntil(act, [&] { return Clock::now() >= end; });
}

// The lines of a capture that hold `what`, each ended by CR LF.
std::string LinesWith(const std::string& path, const std::string& what) {
  std::string capture, lines, line;
  ReadWholeFile(SharedDataPath(path), &capture);
  std::istringstream in(capture);
  while (std::getline(in, line)) {
    if (line.find(what) != std::string::npos) lines += line.substr(0, line.find('\r')) + "\r\n";
  }
  return lines;
}

// Waypoints written so far (each is flushed as it is written).
size_t Waypoints(const std::string& gpx) {
  std::string text;
  ReadWholeFile(gpx, &text);
  return CountOf(text, "<wpt ");
}

// User plus system time of a process so far.
int64_t CpuMsOf(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string field;
  int64_t ticks = 0;
  for (int i = 1; i <= 15 && stat >> field; ++i) {
    if (i == 14 || i == 15) ticks += std::stoll(field);
  }
  return ticks * 1000 / sysconf(_SC_CLK_TCK);
}

TEST(TavikDecodeLink, SaysOnceWhenPositionsStopAndWhenTheyComeAgain) {
  SKIP_WITHOUT_SHARED_DATA();
  const std::string no_position = LinesWith(kNoPositionCapture, "GGA,");
  ASSERT_FALSE(no_position.empty());
  const struct {
    const char* name;
    std::string while_stale;  // sent every 300 ms
    const char* said;
  } cases[] = {{"silent", "", kNoData}, {"no position", no_position, kNoPosition}};
  for (const auto& c : cases) {
    Pty pty;
    ASSERT_TRUE(pty.ok() && pty.MakeRaw());
    BackgroundProgram reader({BinPath("tavik-decode"), "--port", pty.device()});
    ASSERT_TRUE(ActUntil([&] { pty.Write(FixLine(0)); }, [&] { return Rows(reader) >= 1; }))
        << c.name;
    ASSERT_TRUE(ActUntil([&] { pty.Write(c.while_stale); },
                         [&] { return reader.ErrorsSoFar().find(c.said) != std::string::npos; }))
        << c.name << ": " << reader.ErrorsSoFar();
    ActFor([&] { pty.Write(c.while_stale); }, 2500);  // told once, not every second
    int n = 1;
    ASSERT_TRUE(ActUntil([&] { pty.Write(FixLine(n++)); },
                         [&] { return reader.ErrorsSoFar().find(kAgain) != std::string::npos; }))
        << c.name;
    const ProgramResult result = reader.Finish(SIGINT, 10000);
    EXPECT_EQ(result.exit_status, 0) << c.name;
    EXPECT_EQ(result.err, std::string(c.said) + "5 s\n" + kAgain) << c.name;
  }
}

TEST(TavikDecodeLink, ASimulatorStartedAgainIsReadAgainIntoTheSameRecording) {
  TempPortsFolder ports;
  TempDir files;
  const std::string gpx = files.File("track.gpx");
  const std::string entry = ports.folder() + "/COM2";
  const std::vector<std::string> sim_argv{BinPath("tavik-sim"), "--port", "COM2:", "--interval",
                                          "200"};
  auto sim = std::make_unique<BackgroundProgram>(sim_argv);
  ASSERT_TRUE(WaitUntil([&] { return std::filesystem::is_symlink(entry); }));
  BackgroundProgram reader({BinPath("tavik-decode"), "--port", "COM2:", "--gpx", gpx});
  ASSERT_TRUE(WaitUntil([&] { return Rows(reader) >= 3; })) << reader.ErrorsSoFar();

  for (size_t replug = 1; replug <= 2; ++replug) {
    sim->Finish(SIGTERM, 5000);  // unplugged
    sim.reset();
    const size_t rows = Rows(reader);
    const int64_t cpu_before = CpuMsOf(reader.pid());
    const auto gone = Clock::now();
    ASSERT_TRUE(WaitUntil([&] { return CountOf(reader.ErrorsSoFar(), kNoData) == replug; }))
        << reader.ErrorsSoFar();
    const int64_t gone_ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - gone).count();
    // One that retried at once would burn the whole time; one that waits, a few ms.
    EXPECT_LT(CpuMsOf(reader.pid()) - cpu_before, gone_ms / 4) << "spins while the port is gone";
    EXPECT_EQ(Rows(reader), rows);
    const size_t waypoints = Waypoints(gpx);
    sim = std::make_unique<BackgroundProgram>(sim_argv);  // plugged in again, on a new pty
    ASSERT_TRUE(WaitUntil([&] { return Rows(reader) >= rows + 3; })) << reader.ErrorsSoFar();
    EXPECT_TRUE(WaitUntil([&] { return Waypoints(gpx) > waypoints; })) << "the recording goes on";
  }
  // Stopped while the port is gone: the retrying ends at once.
  sim->Finish(SIGTERM, 5000);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  const auto stop = Clock::now();
  const ProgramResult result = reader.Finish(SIGINT, 10000);
  EXPECT_LT(Clock::now() - stop, std::chrono::seconds(2));
  EXPECT_EQ(result.exit_status, 0) << result.err;
  const size_t waypoints = Waypoints(gpx);
  EXPECT_EQ(ReadFinishedGpx(gpx).size(), waypoints);
  EXPECT_EQ(CountOf(result.err, kAgain), 2u) << result.err;
}

// The rows tavik-decode makes of a capture file, and of the same bytes followed by a
// last fix, as a reader that waits for that fix prints them.
struct Expected {
  std::string capture;
  std::string rows;
};

Expected ExpectedOf(const std::string& capture_path) {
  Expected expected;
  const std::string path = SharedDataPath(capture_path);
  ReadWholeFile(path, &expected.capture);
  const ProgramResult from_file = RunProgram({BinPath("tavik-decode"), path});
  const ProgramResult last = RunProgram({BinPath("tavik-decode")}, FixLine(59));
  expected.rows = from_file.out + last.out.substr(sizeof kHeader - 1);
  return expected;
}

TEST(TavikDecodeLink, ATcpSourceGivesTheRowsOfTheFileAcrossADroppedConnection) {
  SKIP_WITHOUT_SHARED_DATA();
  const Expected expected = ExpectedOf(kNetworkCapture);
  TempPortsFolder ports;
  LoopbackServer server;
  ASSERT_NE(server.port(), 0);
  ASSERT_TRUE(WriteWholeFile(ports.folder() + "/COM5",
                             "tcp://127.0.0.1:" + std::to_string(server.port()) + "\n"));
  // Listed while it answers.
  const ProgramResult listed = RunProgram({BinPath("tavik-decode"), "--list-ports"});
  EXPECT_NE(listed.out.find("5\tCOM5:\t"), std::string::npos) << listed.out;
  ASSERT_TRUE(server.Accept(kWaitMs));  // the probe

  const size_t rows = CountOf(expected.rows, "\n") - 1;
  BackgroundProgram reader(
      {BinPath("tavik-decode"), "--port", "COM5:", "--count", std::to_string(rows)});
  ASSERT_TRUE(server.Accept(kWaitMs));
  // The connection drops between two lines; the rest comes over the next one.
  const size_t half = expected.capture.find('\n', expected.capture.size() / 2) + 1;
  ASSERT_TRUE(server.Send(expected.capture.substr(0, half)));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  ASSERT_TRUE(server.Accept(kWaitMs));  // drops the connection; the reader comes again
  ASSERT_TRUE(server.Send(expected.capture.substr(half) + "\r\n" + FixLine(59)));
  const ProgramResult result = reader.Finish(0, kWaitMs);
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(result.out, expected.rows);
}

TEST(TavikDecodeLink, GpsdGivesTheRowsOfTheFileAndComesBackAfterARestart) {
  SKIP_WITHOUT_SHARED_DATA();
  if (access(kGpsd, X_OK) != 0) GTEST_SKIP() << "no gpsd";
  const Expected expected = ExpectedOf(kNetworkCapture);
  TempPortsFolder ports;
  Pty receiver;
  ASSERT_TRUE(receiver.ok() && receiver.MakeRaw());
  // A free port: the one a server of our own had.
  const int port_number = LoopbackServer().port();
  const std::string port = std::to_string(port_number);
  // Read-only (-b): gpsd sends nothing to the receiver; no control socket, no service.
  const std::vector<std::string> gpsd_argv{kGpsd, "-N", "-n", "-b", "-S", port, receiver.device()};
  auto gpsd = std::make_unique<BackgroundProgram>(gpsd_argv);
  ASSERT_TRUE(WaitUntil([&] { return LoopbackAnswers(port_number); })) << gpsd->ErrorsSoFar();
  ASSERT_TRUE(WriteWholeFile(ports.folder() + "/COM9", "gpsd://127.0.0.1:" + port + "\n"));
  BackgroundProgram reader({BinPath("tavik-decode"), "--port", "COM9:", "--timeout", "100"});

  // Once fixes come through, and what was on the way has arrived, the capture follows.
  int n = 0;
  ASSERT_TRUE(ActUntil([&] { receiver.Write(FixLine(n++)); }, [&] { return Rows(reader) >= 1; }))
      << gpsd->ErrorsSoFar() << reader.ErrorsSoFar();
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  const size_t before = reader.OutputSoFar().size();
  ASSERT_TRUE(receiver.Write(expected.capture + "\r\n" + FixLine(59)));
  const std::string last_row =
      expected.rows.substr(expected.rows.rfind('\n', expected.rows.size() - 2) + 1);
  ASSERT_TRUE(
      WaitUntil([&] { return reader.OutputSoFar().find(last_row, before) != std::string::npos; }));
  EXPECT_EQ(reader.OutputSoFar().substr(before), expected.rows.substr(sizeof kHeader - 1));

  // gpsd restarted mid-stream: the rows go on.
  gpsd->Finish(SIGTERM, 5000);
  gpsd = std::make_unique<BackgroundProgram>(gpsd_argv);
  const size_t rows = Rows(reader);
  ASSERT_TRUE(ActUntil([&] { receiver.Write(FixLine(n++)); }, [&] { return Rows(reader) > rows; }))
      << gpsd->ErrorsSoFar() << reader.ErrorsSoFar();
  EXPECT_EQ(reader.Finish(SIGINT, 10000).exit_status, 0);
}

}  // namespace
