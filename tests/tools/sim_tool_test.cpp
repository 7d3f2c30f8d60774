// tavik-sim, the simulated receiver: its sentences, its port link and its replays.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "nmea/decode_gga.h"
#include "platform/serial_port.h"
#include "tests/support/background_program.h"
#include "tests/support/pty.h"
#include "tests/support/run_program.h"
#include "tests/support/shared_data.h"
#include "tools/sim/capture_bursts.h"
#include "tools/sim/nmea_walk.h"

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

bool ChecksumValid(const std::string& sentence) {
  const size_t star = sentence.find('*');
  if (sentence.empty() || sentence[0] != '$' || star == std::string::npos) return false;
  return NmeaChecksum(sentence.substr(1, star - 1)) == sentence.substr(star);
}

TEST(SimWalk, SentencesCarryValidChecksumsAndAMovingFix) {
  EXPECT_EQ(NmeaChecksum("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"), "*47");
  Walk walk;
  WalkStart(&walk);
  GgaFix first{}, last{};
  for (int second = 0; second < 120; ++second) {
    const std::string burst = WalkBurst(&walk, 1700000000 + second);
    std::vector<std::string> lines = SplitLines(burst);
    ASSERT_EQ(lines.size(), 4u);
    for (std::string& line : lines) {
      ASSERT_EQ(line.back(), '\r');
      line.pop_back();
      EXPECT_TRUE(ChecksumValid(line)) << line;
    }
    EXPECT_EQ(lines[1].rfind("$GPRMC,", 0), 0u);
    EXPECT_EQ(lines[2].rfind("$GPGSV,2,1,08,", 0), 0u);
    GgaFix& fix = second == 0 ? first : last;
    ASSERT_EQ(DecodeGga(lines[0].c_str(), 0, &fix.time, &fix.latitude, &fix.longitude,
                        &fix.altitude, &fix.northing, &fix.easting),
              1)
        << lines[0];
    EXPECT_GT(fix.latitude, 0);
    EXPECT_GT(fix.longitude, 0);
  }
  EXPECT_EQ(first.time, 221320.0) << "UTC of the burst";
  const double metres =
      std::hypot(last.northing - first.northing, last.easting - first.easting) * 1000.0;
  EXPECT_GT(metres, 20.0) << "it walks";
  EXPECT_LT(metres, 119 * 3.0) << "a few metres per second at most";
  EXPECT_NE(first.altitude, last.altitude);
}

TEST(SimReplay, BurstsEndAtEachGgaAndCommentsAreLeftOut) {
  using namespace std::string_literals;
  const std::string capture =
      "# receiver: test\n#\n$GPGSV,1*00\r\n$GPGGA,1*00\r\n\r$GPRMC,2\x00\xff*00\r\r\n"
      "$GNGGA,2*00\n$GPGSV,3*00\ntail without end"s;
  const std::vector<std::string> bursts = CaptureBursts(capture);
  ASSERT_EQ(bursts.size(), 3u);
  EXPECT_EQ(bursts[0], "$GPGSV,1*00\r\n$GPGGA,1*00\r\n");
  EXPECT_EQ(bursts[1], "\r$GPRMC,2\x00\xff*00\r\r\n$GNGGA,2*00\n"s);
  EXPECT_EQ(bursts[2], "$GPGSV,3*00\ntail without end");
}

class SimTool : public ::testing::Test {
 protected:
  std::vector<std::string> Env() const { return {ports.Environment()}; }
  std::string Entry(int n) const { return ports.folder() + "/COM" + std::to_string(n); }

  // Waits until the simulator has published its link.
  bool Published(int n) {
    struct stat status;
    for (int i = 0; i < 1000; ++i) {
      if (lstat(Entry(n).c_str(), &status) == 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  TempPortsFolder ports;
};

TEST_F(SimTool, TavikDecodeReadsTheWalk) {
  BackgroundProgram sim({BinPath("tavik-sim"), "--port", "COM2:", "--interval", "100"}, Env());
  ASSERT_TRUE(Published(2));
  const ProgramResult decode = RunProgram(
      {BinPath("tavik-decode"), "--port", "COM2:", "--count", "3", "--timeout", "50"}, "", Env());
  EXPECT_EQ(decode.exit_status, 0) << decode.err;
  const std::vector<std::string> rows = SplitLines(decode.out);
  ASSERT_EQ(rows.size(), 4u) << decode.out;
  for (size_t i = 1; i < rows.size(); ++i) {
    double values[6];
    ASSERT_EQ(sscanf(rows[i].c_str(), "%lf,%lf,%lf,%lf,%lf,%lf", &values[0], &values[1], &values[2],
                     &values[3], &values[4], &values[5]),
              6);
    EXPECT_NEAR(values[1], 47.38, 0.05);
    EXPECT_NEAR(values[2], 8.54, 0.05);
  }
  EXPECT_NE(rows[1], rows[3]);

  const ProgramResult ended = sim.Finish(SIGTERM, 10000);
  EXPECT_EQ(ended.exit_status, 0) << ended.err;
  struct stat status;
  EXPECT_NE(lstat(Entry(2).c_str(), &status), 0) << "link removed on SIGTERM";
}

TEST_F(SimTool, KeepsOffEntriesThatAreNotItsOwn) {
  ASSERT_TRUE(ports.Link(5, "/dev/null"));
  const ProgramResult refused = RunProgram({BinPath("tavik-sim"), "--port", "COM5:"}, "", Env());
  EXPECT_EQ(refused.exit_status, 1);
  EXPECT_NE(refused.err.find("not mine"), std::string::npos) << refused.err;
  char target[64] = {};
  ASSERT_GT(readlink(Entry(5).c_str(), target, sizeof target - 1), 0);
  EXPECT_STREQ(target, "/dev/null");

  // A link into a pseudo-terminal that is gone was left by a killed simulator.
  ASSERT_TRUE(ports.Link(6, "/dev/pts/999999"));
  BackgroundProgram sim({BinPath("tavik-sim"), "--port", "COM6:"}, Env());
  for (int i = 0; i < 500 && readlink(Entry(6).c_str(), target, sizeof target - 1) > 0 &&
                  std::string(target).find("999999") != std::string::npos;
       ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  const ProgramResult ended = sim.Finish(SIGINT, 10000);
  EXPECT_EQ(ended.exit_status, 0) << ended.err;
  struct stat status;
  EXPECT_NE(lstat(Entry(6).c_str(), &status), 0);
  EXPECT_EQ(RunProgram({BinPath("tavik-sim"), "--port", "COM10:"}, "", Env()).exit_status, 1);
}

TEST_F(SimTool, ReplaySendsTheCaptureUnchangedButItsComments) {
  SKIP_WITHOUT_SHARED_DATA();
  for (const char* name : {"ac12_binary.log", "telit-pls83-w.log", "quectel-l76k-dual.log"}) {
    std::string capture;
    ASSERT_TRUE(ReadWholeFile(SharedDataPath(std::string("nmea/") + name), &capture));
    std::string expected;
    for (size_t start = 0; start < capture.size();) {
      size_t end = capture.find('\n', start);
      end = end == std::string::npos ? capture.size() : end + 1;
      if (capture[start] != '#') expected += capture.substr(start, end - start);
      start = end;
    }
    BackgroundProgram sim(
        {BinPath("tavik-sim"), "--port", "COM7:", "--replay",
         SharedDataPath(std::string("nmea/") + name), "--wait", "--interval", "0"},
        Env());
    ASSERT_TRUE(Published(7));
    const SerialPort port = SerialPortOpen("COM7:");
    ASSERT_NE(port, kInvalidSerialPort);
    ASSERT_EQ(SerialPortSetLine(port, 9600, 8, 0, 0), 1);
    std::string got;
    char buffer[4096];
    const SerialTimeouts timeouts = SerialTimeoutsFor(1000);
    while (got.size() < expected.size()) {
      const int32_t count = SerialPortRead(port, timeouts, buffer, sizeof buffer);
      if (count <= 0) break;
      got.append(buffer, static_cast<size_t>(count));
    }
    SerialPortClose(port);
    EXPECT_EQ(got.size(), expected.size()) << name;
    EXPECT_TRUE(got == expected) << name;
    EXPECT_EQ(sim.Finish(SIGTERM, 10000).exit_status, 0);
  }
}

}  // namespace
