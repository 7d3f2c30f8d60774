// Recordings under real faults: a full disk, a file size limit, a closed terminal.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "gpx/gpx_recorder.h"
#include "tests/gpx/gpx_file_check.h"
#include "tests/support/background_program.h"
#include "tests/support/pty.h"
#include "tests/support/run_program.h"
#include "tests/support/shared_data.h"
#include "tests/support/temp_dir.h"

namespace {

// A log of `count` fixes, each a metre higher, so each becomes a waypoint.
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

size_t CountOf(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
    ++count;
  return count;
}

// A 64 KiB tmpfs of a private mount namespace: tavik-decode records onto it until the
// disk is full; the file is copied out before the namespace goes.
TEST(RecordingFaults, FullDiskKeepsEveryCompleteWaypointAndSaysSo) {
  TempDir dir;
  const std::string log = dir.File("moving.log");
  ASSERT_TRUE(WriteWholeFile(log, ClimbingFixes(600)));
  const std::string disk = dir.File("disk"), kept = dir.File("kept.gpx");
  const std::string script = "mkdir " + disk + " && mount -t tmpfs -o size=64k tmpfs " + disk +
                             " || exit 99; \"$0\" --gpx " + disk + "/track.gpx " + log +
                             " >/dev/null; status=$?; cp " + disk + "/track.gpx " + kept +
                             "; exit $status";
  const ProgramResult run = RunProgram({"/usr/bin/unshare", "--user", "--map-root-user", "--mount",
                                        "/bin/sh", "-c", script, BinPath("tavik-decode")});
  const bool no_namespace = run.err.rfind("unshare:", 0) == 0;
  if (run.exit_status == 99 || no_namespace) GTEST_SKIP() << "no tmpfs here: " << run.err;

  EXPECT_EQ(run.exit_status, 3);
  unsigned kept_count = 0;
  ASSERT_EQ(sscanf(run.err.c_str() + run.err.find("keeps"), "keeps %u", &kept_count), 1) << run.err;
  EXPECT_NE(run.err.find("track.gpx': No space left on device"), std::string::npos) << run.err;
  EXPECT_GT(kept_count, 100u);
  EXPECT_LT(kept_count, 600u);
  // Well-formed, waypoints 0 to kept - 1, then the bounds and the closing tag.
  EXPECT_EQ(ReadFinishedGpx(kept).size(), kept_count);
  EXPECT_EQ(GpsbabelWaypoints(kept).size(), kept_count);
}

int failures_told = 0;
void CountFailure(int error, int32_t, void*) {
  EXPECT_EQ(error, EFBIG);
  ++failures_told;
}

// The file size limit cuts a waypoint; once there is room again the close still ends
// the file well-formed, holding exactly the waypoints written before the failure.
TEST(RecordingFaults, SizeLimitCutsBackAndCloseFinishesWhenThereIsRoomAgain) {
  TempDir dir;
  const std::string path = dir.File("limited.gpx");
  GpxRecorder recorder;
  GpxRecorderInit(&recorder);
  GpxRecorderSetFailureCallback(&recorder, CountFailure, nullptr);
  ASSERT_EQ(GpxRecorderOpen(&recorder, path.c_str()), 1);

  signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 4000;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  int written = 0;
  while (written < 100 && GpxRecorderAppendWaypoint(&recorder, 48.0 + written, 11.5, 500.0))
    ++written;
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, SIG_DFL);

  ASSERT_LT(written, 100);
  EXPECT_EQ(GpxRecorderAppendWaypoint(&recorder, 1.0, 2.0, 3.0), 0) << "no waypoint after a gap";
  int error = 0;
  int32_t kept = -1;
  EXPECT_EQ(GpxRecorderFailed(&recorder, &error, &kept), 1);
  EXPECT_EQ(error, EFBIG);
  EXPECT_EQ(kept, written);
  GpxRecorderClose(&recorder);
  EXPECT_EQ(failures_told, 1);
  EXPECT_EQ(GpxRecorderFailed(&recorder, nullptr, &kept), 1) << "the outcome outlives the close";
  EXPECT_EQ(kept, written);

  const auto waypoints = ReadFinishedGpx(path);
  ASSERT_EQ(waypoints.size(), static_cast<size_t>(written));
  EXPECT_EQ(waypoints.back().lat, std::to_string(48 + written - 1) + ".000000");
  EXPECT_EQ(GpsbabelWaypoints(path).size(), static_cast<size_t>(written));
}

// A closed terminal ends a live recording like SIGTERM: the file is finished, and every
// row printed before reached standard output.
TEST(RecordingFaults, HangupFinishesALiveRecording) {
  Pty pty;
  ASSERT_TRUE(pty.ok() && pty.MakeRaw());
  TempDir dir;
  const std::string track = dir.File("live.gpx");
  BackgroundProgram reader(
      {BinPath("tavik-decode"), "--port", pty.device(), "--timeout", "20", "--gpx", track});
  ASSERT_TRUE(pty.Write(ClimbingFixes(3)));
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (CountOf(reader.OutputSoFar(), "\n") < 4 && std::chrono::steady_clock::now() < give_up)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const ProgramResult result = reader.Finish(SIGHUP, 10000);
  EXPECT_EQ(result.exit_status, 0) << result.err;
  EXPECT_EQ(CountOf(result.out, "\n"), 4u) << result.out;
  EXPECT_EQ(ReadFinishedGpx(track).size(), 3u);
}

}  // namespace
