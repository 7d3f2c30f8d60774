// The GPX recorder: whole files against the files they must give, open or killed too,
// refused paths and a close racing the reader thread.
#include <gtest/gtest.h>
#include <locale.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "gpx/gpx_recorder.h"
#include "platform/text_convert.h"
#include "tests/gpx/gpx_file_check.h"
#include "tests/support/scoped_env.h"
#include "tests/support/temp_dir.h"

namespace {

using Points = std::vector<std::array<double, 3>>;
const Points kTrack = {{48.1173, 11.5167, 545.4}, {-33.5, -70.3, -12.5}, {10.25, 20.5, 0.0}};

// Each Open finishes the recording before; the last is killed before its close. Each
// file is copied while it is still open: on disk a recording is finished at any moment,
// so the copies and the killed file are the finished files all the same.
TEST(GpxRecorder, RecordingsGiveTheirExpectedFiles) {
  const std::pair<std::string, Points> recordings[] = {{"track.gpx", kTrack},
                                                       {"again.gpx", {{7.0, 8.0, 9.0}}},
                                                       {"empty.gpx", {}},
                                                       {"killed.gpx", kTrack}};
  // The front-end runs under the user's locale; a German one prints "48,117300".
  const locale_t german = newlocale(LC_ALL_MASK, "de_DE.UTF-8", nullptr);
  if (german == nullptr) GTEST_SKIP() << "needs the de_DE.UTF-8 locale (scripts/deps.sh makes it)";
  TempDir dir;
  const pid_t child = fork();
  if (child == 0) {
    uselocale(german);
    GpxRecorder recorder;
    GpxRecorderInit(&recorder);
    for (const auto& [name, points] : recordings) {
      GpxRecorderOpen(&recorder, dir.File(name).c_str());
      for (const auto& p : points)
        GpxRecorderAppendWaypoint(&recorder, p[0], p[1], p[2]);
      std::filesystem::copy_file(dir.File(name), dir.File(name + ".open"));
    }
    raise(SIGKILL);  // nothing closes the last recording
  }
  freelocale(german);  // the child's copy was its own
  int status = 0;
  ASSERT_TRUE(waitpid(child, &status, 0) == child && WIFSIGNALED(status));
  for (const auto& [name, points] : recordings) {
    const std::string expected = MaskedTimes(
        GPX_EXPECTED_DIR "/" + (name == "killed.gpx" ? std::string("track.gpx") : name));
    EXPECT_EQ(MaskedTimes(dir.File(name)), expected) << name;
    EXPECT_EQ(MaskedTimes(dir.File(name + ".open")), expected) << name << " while open";
  }
}

// A pipe cannot go back over the trailer: it gets the waypoints one after the other and
// the trailer once, at the close, the same file in the end.
TEST(GpxRecorder, IntoAPipeTheFileComesWholeAtTheClose) {
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  GpxRecorder recorder;
  GpxRecorderInit(&recorder);
  ASSERT_EQ(GpxRecorderOpen(&recorder, ("/dev/fd/" + std::to_string(pipe_ends[1])).c_str()), 1);
  for (const auto& p : kTrack)
    EXPECT_EQ(GpxRecorderAppendWaypoint(&recorder, p[0], p[1], p[2]), 1);
  GpxRecorderClose(&recorder);
  close(pipe_ends[1]);
  EXPECT_EQ(GpxRecorderFailed(&recorder, nullptr, nullptr), 0);
  EXPECT_EQ(MaskedTimes("/dev/fd/" + std::to_string(pipe_ends[0])),
            MaskedTimes(GPX_EXPECTED_DIR "/track.gpx"));
  close(pipe_ends[0]);
}

TEST(GpxRecorder, OpenRefusesWhatItCannotWriteAndCreatesNothing) {
  TempDir dir;
  const std::string base = dir.path() + "/", fill(260 - base.size() - 4, 'p');
  const std::pair<std::string, int> cases[] = {
      {fill + ".gpx", 1},  // 260 bytes
      {fill + "x.gpx", 0}, {"Straße 🛰.gpx", 1}, {"missing/x.gpx", 0}, {"", 0},
  };
  GpxRecorder recorder;
  GpxRecorderInit(&recorder);
  for (const auto& [name, opened] : cases) {
    char16_t wide[1024];
    Utf8ToUtf16(wide, 1024, (base + name).c_str());
    EXPECT_EQ(GpxRecorderOpenWide(&recorder, wide), opened) << name;
    GpxRecorderClose(&recorder);
    EXPECT_EQ(std::filesystem::is_regular_file(base + name), opened == 1);
  }
  EXPECT_EQ(GpxRecorderOpen(&recorder, "/dev/full"), 0) << "a header that cannot be written";
  EXPECT_EQ(GpxRecorderOpenWide(&recorder, u"/tmp/\xDC00.gpx"), 0) << "an unpaired surrogate";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(base), {}), 2);
}

// A waypoint after the trailer, or into a closed stream, breaks a file's layout.
TEST(GpxRecorder, CloseRacingAppendsNeverWritesAfterTheTrailer) {
  // On tmpfs where there is one: each close syncs, which a disk takes its time for.
  const ScopedEnv tmpfs("TMPDIR",
                        std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : getenv("TMPDIR"));
  TempDir dir;
  GpxRecorder recorder;
  GpxRecorderInit(&recorder);
  std::atomic<bool> running{true};
  std::atomic<long> appended{0};
  std::thread reader([&] {
    while (running)
      appended += GpxRecorderAppendWaypoint(&recorder, 1.0, 2.0, 3.0);
  });
  for (int i = 0; i < 200 && !HasFailure(); ++i) {
    const std::string path = dir.File("race" + std::to_string(i % 4) + ".gpx");
    EXPECT_EQ(GpxRecorderOpen(&recorder, path.c_str()), 1);
    for (const long target = appended + i % 3; appended < target;)
      std::this_thread::yield();  // a head start of none to two waypoints
    GpxRecorderClose(&recorder);
    ReadFinishedGpx(path);
  }
  running = false;
  reader.join();
}

}  // namespace
