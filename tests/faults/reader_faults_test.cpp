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

// Fixes each a metre higher than the one before, so each is a waypoint.
std::string ClimbingFixes(int from, int to) {
  std::string log;
  for (int i = from; i < to; ++i)
    log += "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9," + std::to_string(i) + ",M,,M,,*00\n";
  return log;
}

// CSV rows printed, the header not counted.
size_t Rows(const std::string& out) {
  return std::max<size_t>(std::ranges::count(out, '\n'), 1) - 1;
}

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

// A recording copied at random instants and killed with SIGKILL at random moments: every
// copy and every killed file is a finished GPX file that GPSBabel reads, with at least
// every waypoint whose row was printed before (a row is printed after its waypoint).
TEST(RecordingFaults, CopiedOrKilledAtAnyMomentARecordingIsAFinishedFile) {
  const unsigned seed = std::random_device{}();
  SCOPED_TRACE("random seed " + std::to_string(seed));
  std::mt19937 random(seed);
  const auto pause = [&] { usleep(std::uniform_int_distribution<useconds_t>(0, 250000)(random)); };
  TempPortsFolder ports;
  TempDir dir;
  const std::string gpx = dir.File("track.gpx"), copy = dir.File("copy.gpx");
  ASSERT_TRUE(WriteWholeFile(dir.File("climb.log"), ClimbingFixes(100, 200)));
  BackgroundProgram sim({BinPath("tavik-sim"), "--port", "COM6:", "--interval", "10", "--replay",
                         dir.File("climb.log"), "--loop"});
  const std::vector<std::string> reader{
      BinPath("tavik-decode"), "--port", "COM6:", "--timeout", "50", "--gpx", gpx};
  for (int kill = 0; kill < 3; ++kill) {
    // The port is free once a reader gets a fix; a killed one's lock is cleared by then.
    std::vector<std::string> one_fix = reader;
    one_fix.insert(one_fix.end(), {"--count", "1"});
    ASSERT_TRUE(PollUntil([&] { return RunProgram(one_fix).exit_status == 0; }, 10000));
    BackgroundProgram read(reader);
    for (int copies = 0; copies < 3; ++copies) {
      pause();
      const size_t printed = Rows(read.OutputSoFar());
      ASSERT_EQ(RunProgram({"/bin/cp", gpx, copy}).exit_status, 0);
      EXPECT_GE(ReadFinishedGpx(copy).size(), printed) << "copy " << copies << " of " << kill;
      EXPECT_GE(GpsbabelWaypoints(copy).size(), printed) << "copy " << copies << " of " << kill;
    }
    pause();
    const ProgramResult killed = read.Finish(SIGKILL, 5000);
    ASSERT_EQ(killed.signal, SIGKILL) << killed.err;
    const size_t written = ReadFinishedGpx(gpx).size();
    EXPECT_GE(written, Rows(killed.out)) << "kill " << kill;
    EXPECT_LE(written, Rows(killed.out) + 1) << "kill " << kill << ": one waypoint unprinted";
    EXPECT_EQ(GpsbabelWaypoints(gpx).size(), written) << "kill " << kill;
  }
}

// Readers of the simulated receiver's port ended from outside: a closed terminal ends
// one like SIGTERM, its recording finished; one killed with SIGKILL leaves the port
// free for the next.
TEST(PortFaults, AHangUpFinishesTheRecordingAndAKilledReaderFreesThePort) {
  TempPortsFolder ports;
  TempDir dir;
  BackgroundProgram sim({BinPath("tavik-sim"), "--port", "COM5:", "--interval", "50"});
  std::vector<std::string> reader{
      BinPath("tavik-decode"), "--port", "COM5:", "--timeout", "50", "--gpx",
      dir.File("track.gpx")};
  ASSERT_TRUE(PollUntil([&] { return std::filesystem::exists(ports.folder() + "/COM5"); }, 10000));
  for (const int signal : {SIGHUP, SIGKILL}) {
    BackgroundProgram read(reader);
    ASSERT_TRUE(
        PollUntil([&] { return read.OutputSoFar().find('\n', 60) != std::string::npos; }, 10000))
        << signal << ": " << read.ErrorsSoFar();
    const ProgramResult result = read.Finish(signal, 5000);
    if (signal == SIGHUP) {
      EXPECT_EQ(result.exit_status, 0) << result.err;
      EXPECT_EQ(GpsbabelWaypoints(reader.back()).size(), ReadFinishedGpx(reader.back()).size());
    }
  }
  // The simulator notices within a burst or two; until then the port may still say busy.
  reader.insert(reader.end(), {"--count", "1"});
  ProgramResult again;
  PollUntil([&] { return (again = RunProgram(reader)).exit_status == 0; }, 10000);
  EXPECT_NE(again.out.find('\n', 60), std::string::npos) << "a fix after the header: " << again.err;
}

}  // namespace
