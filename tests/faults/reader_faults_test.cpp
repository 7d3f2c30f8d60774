// Recordings and readers under real faults: a disk that fills up, a closed terminal, a
// reader killed with SIGKILL. Each case checks what is on disk afterwards, GPX files
// read back by GPSBabel too.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <filesystem>
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
  std::string log;
  for (int i = 100; i < 700; ++i)  // each fix a metre higher, so each is a waypoint
    log += "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9," + std::to_string(i) + ",M,,M,,*00\n";
  ASSERT_TRUE(WriteWholeFile(dir.File("moving.log"), log));
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
