// Recordings under real faults: a full disk, a closed terminal. Each ends with the file
// read back, by GPSBabel too, holding every waypoint it was told.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "tests/gpx/gpx_file_check.h"
#include "tests/support/background_program.h"
#include "tests/support/pty.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

// `count` fixes, each a metre higher, so each becomes a waypoint.
std::string ClimbingFixes(int count) {
  std::string log;
  for (int i = 0; i < count; ++i) {
    char line[96];
    snprintf(line, sizeof line,
             "$GPGGA,12%02d%02d,4807.038,N,01131.000,E,1,08,0.9,%d.0,M,,M,,*00\n", i / 60 % 60,
             i % 60, 100 + i);
    log += line;
  }
  return log;
}

void ExpectFinishedWith(const std::string& path, size_t waypoints) {
  EXPECT_EQ(ReadFinishedGpx(path).size(), waypoints) << path;
  EXPECT_EQ(GpsbabelWaypoints(path).size(), waypoints) << path;
}

// tavik-decode records onto a 64 KiB tmpfs of a private mount namespace until it is full.
TEST(RecordingFaults, AFullDiskKeepsEveryCompleteWaypointAndSaysSo) {
  TempDir dir;
  ASSERT_TRUE(WriteWholeFile(dir.File("moving.log"), ClimbingFixes(600)));
  const std::string disk = dir.File("disk"), kept = dir.File("kept.gpx");
  const ProgramResult run =
      RunProgram({"/usr/bin/unshare", "--user", "--map-root-user", "--mount", "/bin/sh", "-c",
                  "mkdir " + disk + " && mount -t tmpfs -o size=64k tmpfs " + disk +
                      " || exit 99; \"$0\" --gpx " + disk + "/track.gpx " + dir.File("moving.log") +
                      " >/dev/null; s=$?; cp " + disk + "/track.gpx " + kept + "; exit $s",
                  BinPath("tavik-decode")});
  if (run.exit_status == 99 || run.err.rfind("unshare:", 0) == 0) GTEST_SKIP() << run.err;
  EXPECT_EQ(run.exit_status, 3);
  EXPECT_NE(run.err.find("track.gpx': No space left on device"), std::string::npos) << run.err;
  unsigned count = 0;
  ASSERT_EQ(sscanf(run.err.c_str() + run.err.find("keeps"), "keeps %u", &count), 1) << run.err;
  EXPECT_GT(count, 100u);
  EXPECT_LT(count, 600u);
  ExpectFinishedWith(kept, count);
}

// A closed terminal ends a live recording like SIGTERM: the file is finished, and every
// row printed before reached standard output.
TEST(RecordingFaults, AHangUpFinishesALiveRecording) {
  Pty pty;
  ASSERT_TRUE(pty.ok() && pty.MakeRaw());
  TempDir dir;
  BackgroundProgram reader({BinPath("tavik-decode"), "--port", pty.device(), "--timeout", "20",
                            "--gpx", dir.File("live.gpx")});
  ASSERT_TRUE(pty.Write(ClimbingFixes(3)));
  const auto lines = [](const std::string& out) {
    return std::count(out.begin(), out.end(), '\n');
  };
  for (int i = 0; i < 2000 && lines(reader.OutputSoFar()) < 4; ++i)  // the header and three rows
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const ProgramResult result = reader.Finish(SIGHUP, 10000);
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(lines(result.out), 4) << result.out;
  ExpectFinishedWith(dir.File("live.gpx"), 3);
}

}  // namespace
