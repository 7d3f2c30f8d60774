// Close on the UI thread racing appends on the reader thread.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "gpx/gpx_recorder.h"
#include "tests/gpx/gpx_file_check.h"
#include "tests/support/temp_dir.h"

namespace {

// A waypoint after the trailer, or into a closed stream (which ASan reports as a use
// after free), would show up in the files as a broken layout.
TEST(GpxRecorderConcurrency, CloseRacingAppendsNeverWritesAfterTheTrailer) {
  constexpr int kRecordings = 200;
  TempDir dir;
  GpxRecorder recorder;
  GpxRecorderInit(&recorder);
  std::atomic<bool> running{true};
  std::atomic<long> appended{0};

  std::thread reader([&] {
    double latitude = 0.0;
    while (running.load()) {
      latitude += 0.001;
      if (GpxRecorderAppendWaypoint(&recorder, latitude, -latitude, 100.0) == 1) ++appended;
    }
  });

  long waypoints = 0;
  for (int i = 0; i < kRecordings; ++i) {
    const std::string path = dir.File("race" + std::to_string(i % 4) + ".gpx");
    ASSERT_EQ(GpxRecorderOpen(&recorder, path.c_str()), 1);
    // Give the reader a varying head start, from none to a few waypoints.
    const long target = appended.load() + i % 3;
    while (appended.load() < target)
      std::this_thread::yield();
    GpxRecorderClose(&recorder);
    waypoints += static_cast<long>(ReadFinishedGpx(path).size());
    if (HasFailure()) break;
  }
  running = false;
  reader.join();
  EXPECT_EQ(waypoints, appended.load()) << "every successful append is in exactly one file";
  EXPECT_GT(appended.load(), 0);
}

}  // namespace
