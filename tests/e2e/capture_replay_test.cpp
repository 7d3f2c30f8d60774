// The whole road of a fix on real receiver data: every shared capture is replayed by
// tavik-sim into a pseudo-terminal, read by tavik-decode through the serial link, and
// must give the read-outs and the GPX file that decoding the same file gives.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
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
#include "tests/support/temp_dir.h"

namespace {

// A last fix that tells the reader when the capture has passed.
constexpr char kSentinel[] = "$GPGGA,235959,0101.000,N,00101.000,E,1,08,0.9,11.0,M,,M,,*00";
constexpr char kPort[] = "COM4:";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> cells;
  std::istringstream in(line);
  for (std::string cell; std::getline(in, cell, separator);)
    cells.push_back(cell);
  return cells;
}

bool WaitForEntry(const std::string& path) {
  for (int i = 0; i < 500; ++i) {
    if (access(path.c_str(), F_OK) == 0) return true;
    usleep(10000);
  }
  return false;
}

// The read-out of a coordinate as a signed number: "  48.1173N" -> 48.1173.
double ShownDegrees(const std::string& text) {
  const double value = strtod(text.c_str(), nullptr);
  const char hemisphere = text.empty() ? 'N' : text.back();
  return hemisphere == 'S' || hemisphere == 'W' ? -value : value;
}

struct OgrPoint {
  double lon, lat;
};

std::vector<OgrPoint> OgrWaypoints(const std::string& gpx) {
  const ProgramResult result = RunProgram({"/usr/bin/ogrinfo", "-ro", "-q", gpx, "waypoints"});
  EXPECT_EQ(result.exit_status, 0) << result.err;
  std::vector<OgrPoint> points;
  const std::regex point(R"(POINT \(([-0-9.e]+) ([-0-9.e]+)\))");
  for (std::sregex_iterator it(result.out.begin(), result.out.end(), point), end; it != end; ++it) {
    points.push_back({std::stod((*it)[1]), std::stod((*it)[2])});
  }
  return points;
}

class CaptureReplay : public ::testing::TestWithParam<std::string> {};

TEST_P(CaptureReplay, LiveReadoutsAndRecordingEqualThoseOfTheFile) {
  SKIP_WITHOUT_SHARED_DATA();
  const std::string name = GetParam();
  std::string capture;
  ASSERT_TRUE(ReadWholeFile(SharedDataPath("nmea/" + name), &capture));
  TempDir dir;
  const std::string log = dir.File("capture.log");
  ASSERT_TRUE(WriteWholeFile(log, capture + "\r\n" + kSentinel + "\r\n"));

  const ProgramResult fixes = RunProgram({BinPath("tavik-decode"), log});
  ASSERT_EQ(fixes.exit_status, 0) << fixes.err;
  const size_t fix_count = Lines(fixes.out).size() - 1;
  const std::string file_gpx = dir.File("file.gpx");
  const ProgramResult from_file =
      RunProgram({BinPath("tavik-decode"), "--readouts", "--gpx", file_gpx, log});
  ASSERT_EQ(from_file.exit_status, 0) << from_file.err;

  TempPortsFolder ports;
  BackgroundProgram sim(
      {BinPath("tavik-sim"), "--port", kPort, "--replay", log, "--interval", "0", "--wait"});
  ASSERT_TRUE(sim.started());
  ASSERT_TRUE(WaitForEntry(ports.folder() + "/COM4")) << "tavik-sim did not publish " << kPort;
  const std::string live_gpx = dir.File("live.gpx");
  BackgroundProgram reader({BinPath("tavik-decode"), "--port", kPort, "--timeout", "50", "--count",
                            std::to_string(fix_count), "--readouts", "--gpx", live_gpx});
  const ProgramResult live = reader.Finish(0, 60000);
  sim.Finish(SIGTERM, 5000);
  ASSERT_EQ(live.exit_status, 0) << live.err;
  EXPECT_EQ(live.out, from_file.out) << "the read-outs of the live replay";

  // Every waypoint is a read-out update that moved the position or the altitude, in order.
  const auto waypoints = ReadFinishedGpx(live_gpx);
  std::vector<std::vector<std::string>> moves;
  for (const std::string& line : Lines(live.out)) {
    const auto cells = Split(line, '\t');
    ASSERT_EQ(cells.size(), 7u) << line;
    if (strtoul(cells[0].c_str(), nullptr, 16) & 0x0e) moves.push_back(cells);
  }
  ASSERT_EQ(waypoints.size(), moves.size());
  for (size_t i = 0; i < waypoints.size(); ++i) {
    EXPECT_EQ(waypoints[i].name, std::to_string(i));
    // The read-outs show values to within their thresholds of the fix recorded.
    EXPECT_NEAR(std::stod(waypoints[i].lat), ShownDegrees(moves[i][3]), 1.5e-4) << i;
    EXPECT_NEAR(std::stod(waypoints[i].lon), ShownDegrees(moves[i][4]), 1.5e-4) << i;
    EXPECT_NEAR(std::stod(waypoints[i].ele), std::stod(moves[i][2]), 0.15) << i;
  }
  const auto file_waypoints = ReadFinishedGpx(file_gpx);
  ASSERT_EQ(file_waypoints.size(), waypoints.size());
  for (size_t i = 0; i < waypoints.size(); ++i) {
    EXPECT_EQ(file_waypoints[i].lat, waypoints[i].lat);
    EXPECT_EQ(file_waypoints[i].lon, waypoints[i].lon);
    EXPECT_EQ(file_waypoints[i].ele, waypoints[i].ele);
  }

  // The tools people open GPX files with read the same points.
  const auto babel = GpsbabelWaypoints(live_gpx);
  const auto ogr = OgrWaypoints(live_gpx);
  ASSERT_EQ(babel.size(), waypoints.size());
  ASSERT_EQ(ogr.size(), waypoints.size());
  for (size_t i = 0; i < waypoints.size(); ++i) {
    EXPECT_NEAR(babel[i].lat, std::stod(waypoints[i].lat), 6e-6);  // five decimals
    EXPECT_NEAR(babel[i].lon, std::stod(waypoints[i].lon), 6e-6);
    EXPECT_NEAR(ogr[i].lat, std::stod(waypoints[i].lat), 5e-7);
    EXPECT_NEAR(ogr[i].lon, std::stod(waypoints[i].lon), 5e-7);
  }
}

std::vector<std::string> CapturesOrPlaceholder() {
  auto names = SharedCaptures();
  if (names.empty()) names.push_back("none");  // reports as skipped
  return names;
}

std::string TestName(const ::testing::TestParamInfo<std::string>& info) {
  return std::regex_replace(info.param.substr(0, info.param.rfind('.')), std::regex("[^A-Za-z0-9]"),
                            "_");
}

INSTANTIATE_TEST_SUITE_P(SharedCaptures, CaptureReplay,
                         ::testing::ValuesIn(CapturesOrPlaceholder()), TestName);

}  // namespace
