// Cost of the fix callback, with and without a GPX recording open.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "display/fix_display.h"

namespace {

// Two fixes far enough apart that every read-out changes from one to the other.
constexpr double kFixes[2][6] = {{123519.0, 48.1173, 11.5167, 545.4, 5332.401, 687.300},
                                 {123521.0, 48.1180, 11.5175, 546.0, 5332.480, 687.360}};

void RunFixes(benchmark::State& state, FixDisplay* display, bool alternate) {
  int i = 0;
  for (auto _ : state) {
    const double* f = kFixes[i];
    FixDisplayOnFix(f[0], f[1], f[2], f[3], f[4], f[5], display);
    if (alternate) i ^= 1;
  }
  state.SetItemsProcessed(state.iterations());
}

// A fix that changes nothing: the change test alone, no lock, nothing formatted.
void BM_FixCallbackUnchanged(benchmark::State& state) {
  static FixDisplay display;
  FixDisplayInit(&display, nullptr, nullptr);
  RunFixes(state, &display, false);
}
BENCHMARK(BM_FixCallbackUnchanged);

// Every read-out changes: format six texts, post, and offer a waypoint to the
// recorder. Argument 0: no recording open; 1: recording into a file.
void BM_FixCallbackAllChanged(benchmark::State& state) {
  static FixDisplay display;
  FixDisplayInit(&display, nullptr, nullptr);
  char path[] = "/tmp/tavik-bench-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) {
    state.SkipWithError("no temporary file");
    return;
  }
  close(fd);
  if (state.range(0) == 1) GpxRecorderOpen(&display.recorder, path);
  RunFixes(state, &display, true);
  state.counters["waypoints"] = display.recorder.waypoint_count;
  GpxRecorderClose(&display.recorder);
  unlink(path);
}
BENCHMARK(BM_FixCallbackAllChanged)->Arg(0)->Arg(1);

// Appending into an open recording, each waypoint written over the bounds with new
// bounds after it, in one write.
void BM_AppendWaypointRecording(benchmark::State& state) {
  static GpxRecorder recorder;
  GpxRecorderInit(&recorder);
  char path[] = "/tmp/tavik-bench-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0 || !GpxRecorderOpen(&recorder, path)) {
    state.SkipWithError("no temporary file");
    return;
  }
  close(fd);
  double altitude = 0.0;
  for (auto _ : state)
    benchmark::DoNotOptimize(GpxRecorderAppendWaypoint(&recorder, 48.1173, 11.5167, ++altitude));
  GpxRecorderClose(&recorder);
  unlink(path);
}
BENCHMARK(BM_AppendWaypointRecording);

// Appending while nothing is recorded: one atomic load, no lock.
void BM_AppendWaypointNotRecording(benchmark::State& state) {
  static GpxRecorder recorder;
  GpxRecorderInit(&recorder);
  for (auto _ : state)
    benchmark::DoNotOptimize(GpxRecorderAppendWaypoint(&recorder, 48.1173, 11.5167, 545.4));
}
BENCHMARK(BM_AppendWaypointNotRecording);

}  // namespace
