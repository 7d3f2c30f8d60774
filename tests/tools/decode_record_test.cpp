// tavik-decode --readouts and --gpx: the window's read-outs and recordings, headless.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "gps/line_cutter.h"
#include "nmea/decode_gga.h"
#include "tests/gpx/gpx_file_check.h"
#include "tests/support/run_program.h"
#include "tests/support/shared_data.h"
#include "tests/support/temp_dir.h"

namespace {

ProgramResult Decode(const std::vector<std::string>& args, const std::string& input = "") {
  std::vector<std::string> argv{BinPath("tavik-decode")};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProgram(argv, input);
}

constexpr char kTwoFixes[] =
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
    "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"
    "$GPGGA,123519.5,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
    "$GPGGA,123520,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
    "$GPGGA,092750.000,0000.000,S,00000.000,W,1,05,1.5,-12.5,M,,M,,*00\r\n";

TEST(TavikDecodeReadouts, OneLinePerWindowUpdate) {
  const ProgramResult result = Decode({"--readouts"}, kTwoFixes);
  ASSERT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(result.out,
            "3f\t123519.000\t 545.4m\t 48.1173N\t 11.5167E\t5332.401km\t 687.300km\n"
            "01\t123520.000\t 545.4m\t 48.1173N\t 11.5167E\t5332.401km\t 687.300km\n"
            "3f\t092750.000\t -12.5m\t  0.0000N\t  0.0000E\t   0.000km\t 166.022km\n");
  EXPECT_EQ(Decode({"--readouts"}, "$GPGGA,000000.4,,,,,1,0,,0.05,M\n").out, "")
      << "nothing beyond its threshold from zero: nothing posted";
  EXPECT_EQ(Decode({"--readouts"}, "$GPGGA,000001,0000.000,N,00000.000,E,1,0,,0.0,M\n").out,
            "21\t000001.000\t\t\t\t\t 166.022km\n")
      << "controls never set stay empty";
}

TEST(TavikDecodeReadouts, AllHasNoMeaningWithReadouts) {
  const ProgramResult result = Decode({"--readouts", "--all"}, kTwoFixes);
  EXPECT_EQ(result.exit_status, 2);
  EXPECT_NE(result.err.find("--all"), std::string::npos);
  EXPECT_EQ(result.out, "");
}

TEST(TavikDecodeGpx, RecordsFromStandardInputBesideTheCsvRows) {
  TempDir dir;
  const std::string path = dir.File("stdin.gpx");
  const ProgramResult result = Decode({"--gpx", path}, kTwoFixes);
  ASSERT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(result.out.find("time,latitude,longitude"), 0u) << "the CSV rows as without --gpx";
  const auto waypoints = ReadFinishedGpx(path);
  ASSERT_EQ(waypoints.size(), 2u) << "the time-only fixes record nothing";
  EXPECT_EQ(waypoints[0].lat, "48.117300");
  EXPECT_EQ(waypoints[1].lat, "-0.000000");
  EXPECT_EQ(waypoints[1].ele, "-12.500000");
}

TEST(TavikDecodeGpx, AFileThatCannotBeCreatedIsAnError) {
  TempDir dir;
  const ProgramResult result = Decode({"--gpx", dir.File("no/such/folder.gpx")}, kTwoFixes);
  EXPECT_EQ(result.exit_status, 1);
  EXPECT_NE(result.err.find("no/such/folder.gpx"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("No such file"), std::string::npos) << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(Decode({"--gpx"}).exit_status, 2);
}

// A receiver piped in never ends by itself: SIGTERM (or SIGINT) finishes the file.
TEST(TavikDecodeGpx, StopSignalsFinishTheRecording) {
  for (int stop_signal : {SIGTERM, SIGINT}) {
    TempDir dir;
    const std::string path = dir.File("live.gpx");
    int input[2];
    ASSERT_EQ(pipe(input), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_addclose(&actions, input[1]);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const std::string program = BinPath("tavik-decode");
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("--gpx"),
                    const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);

    const std::string line = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\n";
    ASSERT_EQ(write(input[1], line.data(), line.size()), static_cast<ssize_t>(line.size()));
    // Each waypoint reaches the file at once; wait for it (generously) before stopping.
    for (int i = 0; i < 1000 && FileLines(path).size() < 11; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(FileLines(path).size(), 11u);
    kill(pid, stop_signal);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    close(input[1]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_EQ(ReadFinishedGpx(path).size(), 1u);
  }
}

// What the window shows, worked out independently from the decoded fixes.
struct Expected {
  std::string readouts;
  std::vector<GgaFix> waypoints;
};

std::string Cut15(const char* text) {
  return std::string(text).substr(0, 15);
}

void ModelFix(const GgaFix& fix, double last[6], std::string controls[6], Expected* expected) {
  // In control order: time, altitude, latitude, longitude, northing, easting.
  const double values[6] = {fix.time,      fix.altitude, fix.latitude,
                            fix.longitude, fix.northing, fix.easting};
  const double thresholds[6] = {1.0, 0.1, 0.0001, 0.0001, 0.001, 0.001};
  unsigned bits = 0;
  char text[512];
  for (int i = 0; i < 6; ++i) {
    if (!(std::fabs(values[i] - last[i]) >= thresholds[i])) continue;
    bits |= 1u << i;
    last[i] = values[i];
    const double v = values[i];
    switch (i) {
      case 0:
        snprintf(text, sizeof text, "%010.3f", v);
        break;
      case 1:
        snprintf(text, sizeof text, "%6.1fm", v);
        break;
      case 2:
        snprintf(text, sizeof text, v >= 0 ? "%8.4fN" : "%8.4fS", std::fabs(v));
        break;
      case 3:
        snprintf(text, sizeof text, v >= 0 ? "%8.4fE" : "%8.4fW", std::fabs(v));
        break;
      default:
        snprintf(text, sizeof text, "%8.3fkm", v);
        break;
    }
    controls[i] = Cut15(text);
  }
  if (bits == 0) return;
  char hex[9];
  snprintf(hex, sizeof hex, "%02x", bits);
  expected->readouts += hex;
  for (int i = 0; i < 6; ++i)
    expected->readouts += "\t" + controls[i];
  expected->readouts += "\n";
  if (bits & 0x0E) expected->waypoints.push_back(fix);
}

Expected ModelCapture(const std::string& bytes) {
  struct State {
    double last[6] = {};
    std::string controls[6];
    Expected expected;
  } state;
  LineCutter cutter;
  LineCutterReset(&cutter);
  LineCutterFeed(
      &cutter, bytes.data(), bytes.size(),
      [](const char* line, uint32_t, void* context) {
        auto* s = static_cast<State*>(context);
        GgaFix f;
        if (DecodeGga(line, 0, &f.time, &f.latitude, &f.longitude, &f.altitude, &f.northing,
                      &f.easting)) {
          ModelFix(f, s->last, s->controls, &s->expected);
        }
      },
      &state, nullptr);
  return state.expected;
}

TEST(TavikDecodeCaptures, ReadoutsAreWhatTheWindowShows) {
  SKIP_WITHOUT_SHARED_DATA();
  for (const std::string& name : SharedCaptures()) {
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(SharedDataPath("nmea/" + name), &bytes));
    const ProgramResult result = Decode({"--readouts", SharedDataPath("nmea/" + name)});
    EXPECT_EQ(result.exit_status, 0) << name << ": " << result.err;
    EXPECT_EQ(result.out, ModelCapture(bytes).readouts) << name;
  }
}

TEST(TavikDecodeCaptures, GpxFilesAreCompleteAndGpsbabelReadsTheSameCoordinates) {
  SKIP_WITHOUT_SHARED_DATA();
  TempDir dir;
  for (const std::string& name : SharedCaptures()) {
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(SharedDataPath("nmea/" + name), &bytes));
    const std::vector<GgaFix> expected = ModelCapture(bytes).waypoints;
    const std::string path = dir.File(name + ".gpx");
    const ProgramResult result = Decode({"--gpx", path, SharedDataPath("nmea/" + name)});
    ASSERT_EQ(result.exit_status, 0) << name << ": " << result.err;

    const auto written = ReadFinishedGpx(path);
    ASSERT_EQ(written.size(), expected.size()) << name;
    for (size_t i = 0; i < written.size(); ++i) {
      char lat[32], lon[32];
      snprintf(lat, sizeof lat, "%f", expected[i].latitude);
      snprintf(lon, sizeof lon, "%f", expected[i].longitude);
      ASSERT_EQ(written[i].lat, lat) << name << " waypoint " << i;
      ASSERT_EQ(written[i].lon, lon) << name << " waypoint " << i;
    }
    const auto read_back = GpsbabelWaypoints(path);
    ASSERT_EQ(read_back.size(), expected.size()) << name;
    // GPSBabel prints five of the file's six decimals.
    for (size_t i = 0; i < read_back.size(); ++i) {
      ASSERT_NEAR(read_back[i].lat, std::stod(written[i].lat), 5.01e-6) << name << " wpt " << i;
      ASSERT_NEAR(read_back[i].lon, std::stod(written[i].lon), 5.01e-6) << name << " wpt " << i;
      ASSERT_EQ(read_back[i].name, std::to_string(i)) << name;
    }
  }
}

}  // namespace
