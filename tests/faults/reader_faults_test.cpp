// Recordings and readers under real faults: a disk that fills up, a closed terminal, a
// reader killed with SIGKILL. Each case checks what is on disk afterwards, GPX files
// read back by GPSBabel too.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>

#include "tests/gpx/gpx_file_check.h"
#include "tests/support/background_program.h"
#include "tests/support/pty.h"
#include "tests/support/run_program.h"
#include "tests/support/temp_dir.h"

namespace {

// tavik-decode records onto a 64 KiB tmpfs of a private mount namespace until it is full.
TEST(RecordingFaults, AFullDiskKeepsEveryCompleteWaypointAndSaysSo) {
  TempDir dir;
  ASSERT_TRUE(WriteWholeFile(dir.File("moving.log"), ClimbingFixes(100, 700)));
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
  EXPECT_EQ(ReadFinishedGpx(kept).size(), count);
  EXPECT_EQ(GpsbabelWaypoints(kept).size(), count);
}

// A recording copied at random instants, and its reader ended from outside at random
// moments: killed with SIGKILL, or its terminal closed (SIGHUP, which ends it as SIGTERM
// does). Every copy and every ended file is a finished GPX file that GPSBabel reads, with
// at least every waypoint whose row was printed before (a row is printed after its
// waypoint); each reader ended leaves the port free for the next, which gets a fix.
TEST(RecordingFaults, CopiedHungUpOrKilledAtAnyMomentARecordingIsAFinishedFile) {
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("random seed " + std::to_string(seed));
  std::mt19937 random(seed);
  const auto pause = [&] { usleep(std::uniform_int_distribution<useconds_t>(0, 250000)(random)); };
  TempPortsFolder ports;
  const std::string gpx = ports.config_home() + "/track.gpx", copy = gpx + ".copy",
                    log = ports.config_home() + "/climb.log";
  ASSERT_TRUE(WriteWholeFile(log, ClimbingFixes(100, 200)));
  BackgroundProgram sim(
      {BinPath("tavik-sim"), "--port", "COM6:", "--interval", "10", "--replay", log, "--loop"});
  const std::vector<std::string> reader{
      BinPath("tavik-decode"), "--port", "COM6:", "--timeout", "50", "--gpx", gpx};
  std::vector<std::string> one_fix = reader;
  one_fix.insert(one_fix.end(), {"--count", "1"});
  ProgramResult next;
  // The simulator notices an ended reader within a burst or two; until then the port
  // may still say busy.
  const auto next_gets_a_fix = [&] {
    return PollUntil([&] { return (next = RunProgram(one_fix)).exit_status == 0; }, 10000) &&
           CsvRows(next.out) == 1;
  };
  for (const int signal : {SIGKILL, SIGHUP, SIGKILL}) {
    ASSERT_TRUE(next_gets_a_fix()) << next.err;
    BackgroundProgram read(reader);
    for (int copies = 0; copies < 3; ++copies) {
      pause();
      const size_t printed = CsvRows(read.OutputSoFar());
      ASSERT_EQ(RunProgram({"/bin/cp", gpx, copy}).exit_status, 0);
      EXPECT_GE(ReadFinishedGpx(copy).size(), printed) << "copy " << copies << ", " << signal;
      EXPECT_GE(GpsbabelWaypoints(copy).size(), printed) << "copy " << copies << ", " << signal;
    }
    pause();
    if (signal == SIGHUP) {  // once it reads, as a terminal is closed on a running reader
      ASSERT_TRUE(PollUntil([&] { return CsvRows(read.OutputSoFar()) >= 1; }, 10000));
    }
    const ProgramResult ended = read.Finish(signal, 5000);
    if (signal == SIGHUP) {
      EXPECT_EQ(ended.exit_status, 0) << ended.err;
    } else {
      ASSERT_EQ(ended.signal, SIGKILL) << ended.err;
    }
    const size_t written = ReadFinishedGpx(gpx).size();
    EXPECT_GE(written, CsvRows(ended.out)) << signal;
    EXPECT_LE(written, CsvRows(ended.out) + 1) << signal << ": one waypoint unprinted";
    EXPECT_EQ(GpsbabelWaypoints(gpx).size(), written) << signal;
  }
  EXPECT_TRUE(next_gets_a_fix()) << next.err;
}

}  // namespace
