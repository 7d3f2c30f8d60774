// The fix display: fixes read top to bottom, with what each posts, what the window
// shows after the refresh and how many waypoints the recording then holds; then the
// reader thread beside the UI thread; then when read-outs go stale.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "display/fix_display.h"
#include "display/link_watch.h"
#include "tests/support/temp_dir.h"

namespace {

using Posts = std::vector<std::pair<uint32_t, uintptr_t>>;

int Collect(WindowHandle, uint32_t message, uintptr_t wparam, intptr_t, void* posts) {
  static_cast<Posts*>(posts)->push_back({message, wparam});
  return 1;
}

void Show(WindowHandle, int id, const char16_t* text, void* shown) {
  static_cast<std::u16string*>(shown)[id - IDC_TIME] = text;
}

// The read-outs 301 to 306 as the window shows them, joined by '|'.
std::u16string Joined(const std::u16string (&shown)[6]) {
  return shown[0] + u"|" + shown[1] + u"|" + shown[2] + u"|" + shown[3] + u"|" + shown[4] + u"|" +
         shown[5];
}

TEST(FixDisplay, ThresholdsTextsAndWaypoints) {
  const struct {
    double time, latitude, longitude, altitude, northing, easting;
    uint32_t posted;
    int waypoints;
    const char16_t* shown;  // time, altitude, latitude, longitude, northing, easting
  } fixes[] = {
      {92750.0, 0.00005, -0.00009, 0.05, 0.0009, 0.0, CHANGE_TIME, 0, u"092750.000|||||"},
      {123519.0, 48.1173, 11.516666667, 100.0, 5332.401245, 687.299593, 0x3F, 1,
       u"123519.000| 100.0m| 48.1173N| 11.5167E|5332.401km| 687.300km"},
      // 100.1 - 100.0 is just below 0.1 in doubles; 1.0 exactly is a change.
      {123519.9, 48.1173, 11.516666667, 100.1, 5332.401245, 687.299593, 0, 1, nullptr},
      {123520.0, 48.1173, 11.516666667, 100.2, 5332.401245, 687.299593, 0x03, 2,
       u"123520.000| 100.2m| 48.1173N| 11.5167E|5332.401km| 687.300km"},
      // Compared with the last value shown: a creeping change shows once it adds up.
      {123520.0, 48.11735, 11.516666667, 100.2, 5332.4015, 687.2991, 0, 2, nullptr},
      {123520.0, 48.11741, 11.516666667, 100.7, 5332.403, 687.2980, 0x36, 3,
       u"123520.000| 100.7m| 48.1174N| 11.5167E|5332.403km| 687.298km"},
      {123521.0, -33.5, -70.3, 100.7, 5332.403, 687.2980, 0x0D, 4,
       u"123521.000| 100.7m| 33.5000S| 70.3000W|5332.403km| 687.298km"},
      // "0000.000,S" decodes to -0.0: shown north, never "-0.0000N".
      {123521.0, -0.0, -0.0, 1234567890123.5, 5332.403, 687.2980, 0x0E, 5,
       u"123521.000|1234567890123.5|  0.0000N|  0.0000E|5332.403km| 687.298km"},
  };
  TempDir dir;
  Posts posts;
  FixDisplay display;
  InstallMessagePoster(Collect, &posts);
  FixDisplayInit(&display, nullptr, nullptr);
  ASSERT_EQ(GpxRecorderOpen(&display.recorder, dir.File("track.gpx").c_str()), 1);
  std::u16string shown[6], last = u"|||||";
  for (const auto& f : fixes) {
    posts.clear();
    FixDisplayOnFix(f.time, f.latitude, f.longitude, f.altitude, f.northing, f.easting, &display);
    EXPECT_EQ(posts, (f.posted != 0 ? Posts{{MSG_FIX_UPDATED, f.posted}} : Posts{})) << f.time;
    for (const auto& post : posts)
      FixDisplayRefresh(&display, nullptr, static_cast<uint32_t>(post.second), Show, shown);
    EXPECT_EQ(Joined(shown), last = f.shown != nullptr ? f.shown : last) << f.time;
    EXPECT_EQ(display.recorder.waypoint_count, f.waypoints) << f.time;
  }
  GpxRecorderClose(&display.recorder);
  InstallMessagePoster(nullptr, nullptr);
}

// Counts the updates the reader posts to the window.
int Count(WindowHandle, uint32_t message, uintptr_t wparam, intptr_t, void* posted) {
  if (message == MSG_FIX_UPDATED && wparam != 0) ++*static_cast<std::atomic<int>*>(posted);
  return 1;
}

// The reader thread formats and records while the UI thread refreshes all read-outs and
// starts and stops recordings.
TEST(FixDisplayThreads, RefreshAndRecordingRunBesideTheReader) {
  constexpr int kFixes = 20000;
  TempDir dir;
  std::atomic<int> posted{0};
  std::atomic<bool> done{false};
  FixDisplay display;
  InstallMessagePoster(Count, &posted);
  FixDisplayInit(&display, nullptr, nullptr);
  std::thread reader([&] {
    for (int i = 1; i <= kFixes; ++i) {
      const double step = i * 0.001;
      FixDisplayOnFix(100000.0 + i, 10.0 + step, 20.0 - step, 100.0 + i % 7, 1000.0 + step,
                      500.0 + step, &display);
    }
    done = true;
  });
  std::u16string controls[6];
  for (int reopened = 0; !done;) {
    FixDisplayRefresh(&display, nullptr, 0x3F, Show, controls);
    if (posted / 500 > reopened) {  // a new recording every 500 updates
      ++reopened;
      GpxRecorderClose(&display.recorder);
      GpxRecorderOpen(&display.recorder, dir.File("track.gpx").c_str());
    }
  }
  reader.join();
  FixDisplayRefresh(&display, nullptr, 0x3F, Show, controls);
  GpxRecorderClose(&display.recorder);
  InstallMessagePoster(nullptr, nullptr);
  EXPECT_EQ(posted, kFixes) << "every fix changed the time";
  EXPECT_EQ(Joined(controls), u"120000.000| 101.0m| 30.0000N|  0.0000E|1020.000km| 520.000km");
}

// Read-outs go stale 5 s after the last fix (here at 10 s); the bytes that came with
// the fix, the rest of its burst, are no data without a position.
TEST(LinkWatch, StaleFiveSecondsAfterTheLastFixAndWhy) {
  const struct {
    int64_t now, bytes;
    LinkLiveness liveness;
    int64_t stale_ms;
  } rows[] = {{14999, 10000, LINK_LIVE, 0},
              {15000, 10000, LINK_NO_DATA, 5000},
              {15000, 11499, LINK_NO_DATA, 5000},
              {15000, 12000, LINK_NO_POSITION, 5000},
              {17000, 12000, LINK_NO_DATA, 5000}};
  for (const auto& r : rows) {
    int64_t stale_ms = -1;
    EXPECT_EQ(
        LinkLivenessAt(
            {.now_ms = r.now, .opened_ms = 1000, .last_bytes_ms = r.bytes, .last_fix_ms = 10000},
            &stale_ms),
        r.liveness)
        << r.bytes;
    EXPECT_EQ(stale_ms, r.stale_ms) << r.now << " " << r.bytes;
  }
}

}  // namespace
