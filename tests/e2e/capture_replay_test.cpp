// The whole road of a fix on real receiver data: every shared capture decoded from its
// file gives the read-outs kept in readouts/; replayed by tavik-sim into a pseudo-terminal and read
// by tavik-decode through the serial link, it gives the read-outs and the GPX file that decoding
// the file gives.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/gpx/gpx_file_check.h"
#include "tests/support/background_program.h"
#include "tests/support/pty.h"
#include "tests/support/run_program.h"
#include "tests/support/shared_data.h"

namespace {

// A last fix that tells the reader when the capture has passed.
constexpr char kSentinel[] = "$GPGGA,235959,0101.000,N,00101.000,E,1,08,0.9,11.0,M,,M,,*00";
// The capture whose recording the GPX readers read back: it lies west of Greenwich.
constexpr char kReadBackCapture[] = "hemi.log";

std::string Untimed(const std::string& gpx) {
  std::string text;
  ReadWholeFile(gpx, &text);
  return std::regex_replace(text, std::regex("<time>[^<]*</time>"), "");
}

std::vector<double> OgrCoordinates(const std::string& gpx) {
  const ProgramResult result = RunProgram({"/usr/bin/ogrinfo", "-ro", "-q", gpx, "waypoints"});
  std::vector<double> lon_lat;
  const std::regex point(R"(POINT \(([-0-9.e]+) ([-0-9.e]+)\))");
  for (std::sregex_iterator it(result.out.begin(), result.out.end(), point), end; it != end; ++it)
    lon_lat.insert(lon_lat.end(), {std::stod((*it)[1]), std::stod((*it)[2])});
  return lon_lat;
}

class CaptureReplay : public ::testing::TestWithParam<std::string> {};

TEST_P(CaptureReplay, LiveReadoutsAndRecordingEqualThoseOfTheFile) {
  SKIP_WITHOUT_SHARED_DATA();
  const std::string name = GetParam(), decode = BinPath("tavik-decode");
  std::string capture, expected;
  ASSERT_TRUE(ReadWholeFile(SharedDataPath("nmea/" + name), &capture));
  ASSERT_TRUE(ReadWholeFile(
      std::string(TAVIK_EXPECTED_READOUTS) + "/" + name.substr(0, name.rfind('.')) + ".txt",
      &expected));
  EXPECT_EQ(RunProgram({decode, "--readouts", SharedDataPath("nmea/" + name)}).out, expected);
  TempDir dir;
  const std::string log = dir.File("capture.log"), file_gpx = dir.File("file.gpx");
  ASSERT_TRUE(WriteWholeFile(log, capture + "\r\n" + kSentinel + "\r\n"));
  const ProgramResult rows = RunProgram({decode, log});
  const auto fixes = std::count(rows.out.begin(), rows.out.end(), '\n') - 1;
  const ProgramResult from_file = RunProgram({decode, "--readouts", "--gpx", file_gpx, log});
  ASSERT_EQ(from_file.exit_status, 0) << from_file.err;

  TempPortsFolder ports;
  BackgroundProgram sim(
      {BinPath("tavik-sim"), "--port", "COM4:", "--replay", log, "--interval", "0", "--wait"});
  for (int i = 0; i < 500 && access((ports.folder() + "/COM4").c_str(), F_OK) != 0; ++i)
    usleep(10000);
  const std::string live_gpx = dir.File("live.gpx");
  BackgroundProgram reader({decode, "--port", "COM4:", "--timeout", "50", "--count",
                            std::to_string(fixes), "--readouts", "--gpx", live_gpx});
  const ProgramResult live = reader.Finish(0, 60000);
  sim.Finish(SIGTERM, 5000);
  ASSERT_EQ(live.exit_status, 0) << live.err;
  EXPECT_EQ(live.out, from_file.out) << "the read-outs of the live replay";

  // A waypoint for each update that moved the position or the altitude (bits 1 to 3),
  // and the same file as from the file but for the times.
  size_t moves = 0;
  std::istringstream lines(live.out);
  for (std::string line; std::getline(lines, line);)
    moves += (strtoul(line.c_str(), nullptr, 16) & 0x0e) != 0;
  const auto waypoints = ReadFinishedGpx(live_gpx);
  EXPECT_EQ(waypoints.size(), moves);
  EXPECT_EQ(Untimed(live_gpx), Untimed(file_gpx));
  if (name != kReadBackCapture) return;
  // The tools people open GPX files with read the same points.
  const auto babel = GpsbabelWaypoints(live_gpx);
  const auto ogr = OgrCoordinates(live_gpx);
  ASSERT_EQ(babel.size(), waypoints.size());
  ASSERT_EQ(ogr.size(), 2 * waypoints.size());
  for (size_t i = 0; i < waypoints.size(); ++i) {
    EXPECT_NEAR(babel[i].lat, std::stod(waypoints[i].lat), 6e-6);  // five decimals
    EXPECT_NEAR(babel[i].lon, std::stod(waypoints[i].lon), 6e-6);
    EXPECT_NEAR(ogr[2 * i], std::stod(waypoints[i].lon), 5e-7);
    EXPECT_NEAR(ogr[2 * i + 1], std::stod(waypoints[i].lat), 5e-7);
  }
}

std::vector<std::string> CapturesOrPlaceholder() {
  auto names = SharedCaptures();
  if (names.empty()) names.push_back("none");  // reports as skipped
  return names;
}

INSTANTIATE_TEST_SUITE_P(SharedCaptures, CaptureReplay,
                         ::testing::ValuesIn(CapturesOrPlaceholder()), [](const auto& info) {
                           return std::regex_replace(info.param.substr(0, info.param.rfind('.')),
                                                     std::regex("[^A-Za-z0-9]"), "_");
                         });

}  // namespace
