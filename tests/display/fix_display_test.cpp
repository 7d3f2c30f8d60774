// The fix display: change test, read-out texts, posting and waypoints.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "display/fix_display.h"
#include "tests/support/temp_dir.h"

namespace {

struct Post {
  WindowHandle window;
  uint32_t message;
  uintptr_t wparam;
  intptr_t lparam;
};

// Collects what the display posts, as the window's queue would.
int CollectPost(WindowHandle window, uint32_t message, uintptr_t wparam, intptr_t lparam,
                void* posts) {
  static_cast<std::vector<Post>*>(posts)->push_back({window, message, wparam, lparam});
  return 1;
}

// Stands in for the window's read-out controls.
struct Controls {
  std::map<int, std::u16string> text;
  std::vector<int> order;  // the ids in the order they were set
};

void SetText(WindowHandle /*window*/, int id, const char16_t* text, void* controls) {
  auto* c = static_cast<Controls*>(controls);
  c->text[id] = text;
  c->order.push_back(id);
}

int kWindow;  // its address is the window handle

class FixDisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallMessagePoster(CollectPost, &posts_);
    FixDisplayInit(&display_, &kWindow, nullptr);
  }
  void TearDown() override {
    GpxRecorderClose(&display_.recorder);
    InstallMessagePoster(nullptr, nullptr);
  }

  // Feeds one fix and returns the change bits posted for it (0: nothing posted).
  uint32_t Fix(double time, double latitude, double longitude, double altitude, double northing,
               double easting) {
    const size_t before = posts_.size();
    FixDisplayOnFix(time, latitude, longitude, altitude, northing, easting, &display_);
    if (posts_.size() == before) return 0;
    EXPECT_EQ(posts_.size(), before + 1) << "at most one post per fix";
    const Post& post = posts_.back();
    EXPECT_EQ(post.window, &kWindow);
    EXPECT_EQ(post.message, MSG_FIX_UPDATED);
    EXPECT_EQ(post.lparam, 0);
    return static_cast<uint32_t>(post.wparam);
  }

  // What the controls show after the refresh of `bits`.
  Controls Refresh(uint32_t bits) {
    Controls controls;
    FixDisplayRefresh(&display_, &kWindow, bits, SetText, &controls);
    return controls;
  }

  std::vector<Post> posts_;
  FixDisplay display_;
};

TEST_F(FixDisplayTest, FirstFixShowsEveryReadoutInControlOrder) {
  EXPECT_EQ(Fix(123519.0, 48.1173, 11.516666667, 545.4, 5332.401245, 687.299593), 0x3Fu);
  const Controls controls = Refresh(0x3F);
  EXPECT_EQ(controls.order, (std::vector<int>{301, 302, 303, 304, 305, 306}));
  EXPECT_EQ(controls.text.at(IDC_TIME), u"123519.000");
  EXPECT_EQ(controls.text.at(IDC_ALTITUDE), u" 545.4m");
  EXPECT_EQ(controls.text.at(IDC_LATITUDE), u" 48.1173N");
  EXPECT_EQ(controls.text.at(IDC_LONGITUDE), u" 11.5167E");
  EXPECT_EQ(controls.text.at(IDC_NORTHING), u"5332.401km");
  EXPECT_EQ(controls.text.at(IDC_EASTING), u" 687.300km");
}

TEST_F(FixDisplayTest, ValuesWithinTheirThresholdOfZeroStayEmptyAtFirst) {
  EXPECT_EQ(Fix(92750.0, 0.00005, -0.00009, 0.05, 0.0009, 0.0), CHANGE_TIME);
  const Controls controls = Refresh(0x3F);
  EXPECT_EQ(controls.text.at(IDC_TIME), u"092750.000") << "zero-padded to ten characters";
  for (int id : {IDC_ALTITUDE, IDC_LATITUDE, IDC_LONGITUDE, IDC_NORTHING, IDC_EASTING})
    EXPECT_EQ(controls.text.at(id), u"") << id;
}

TEST_F(FixDisplayTest, ThresholdsCompareTheComputedDifferenceWithGreaterOrEqual) {
  Fix(123519.0, 10.0, 20.0, 100.0, 1000.0, 500.0);
  EXPECT_EQ(Fix(123520.0, 10.0, 20.0, 100.0, 1000.0, 500.0), CHANGE_TIME) << "exactly 1.0";
  EXPECT_EQ(Fix(123520.9, 10.0, 20.0, 100.1, 1000.0, 500.0), 0u)
      << "100.1 - 100.0 is slightly below 0.1 in doubles";
  EXPECT_EQ(Fix(123521.0, 10.0, 20.0, 100.2, 1000.0, 500.0), CHANGE_TIME | CHANGE_ALTITUDE);
  EXPECT_EQ(Refresh(CHANGE_ALTITUDE).text.at(IDC_ALTITUDE), u" 100.2m");

  // The last shown value, not the previous fix: a creeping value shows up once its
  // total change reaches the threshold.
  EXPECT_EQ(Fix(123521.0, 10.00004, 20.0, 100.2, 1000.0, 500.0), 0u);
  EXPECT_EQ(Fix(123521.0, 10.00008, 20.0, 100.2, 1000.0, 500.0), 0u);
  EXPECT_EQ(Fix(123521.0, 10.00012, 20.0, 100.2, 1000.0, 500.0), CHANGE_LATITUDE);
  EXPECT_EQ(Fix(123521.0, 10.00012, 20.0, 100.2, 1000.002, 499.998),
            CHANGE_NORTHING | CHANGE_EASTING);
  EXPECT_EQ(Fix(123521.0, 10.00012, 20.0, 100.2, 1000.0025, 499.9975), 0u);
}

TEST_F(FixDisplayTest, HemisphereLettersCarryTheSign) {
  Fix(1.0, -33.5, -70.3, 1.0, 1.0, 1.0);
  Controls controls = Refresh(CHANGE_LATITUDE | CHANGE_LONGITUDE);
  EXPECT_EQ(controls.text.at(IDC_LATITUDE), u" 33.5000S");
  EXPECT_EQ(controls.text.at(IDC_LONGITUDE), u" 70.3000W");

  // "0000.000,S" decodes to -0.0: north, and never "-0.0000N".
  Fix(2.0, -0.0, -0.0, 1.0, 1.0, 1.0);
  controls = Refresh(CHANGE_LATITUDE | CHANGE_LONGITUDE);
  EXPECT_EQ(controls.text.at(IDC_LATITUDE), u"  0.0000N");
  EXPECT_EQ(controls.text.at(IDC_LONGITUDE), u"  0.0000E");

  Fix(3.0, 0.5, 0.5, 1.0, 1.0, 1.0);
  Fix(4.0, 0.0, 0.0, 1.0, 1.0, 1.0);
  controls = Refresh(CHANGE_LATITUDE | CHANGE_LONGITUDE);
  EXPECT_EQ(controls.text.at(IDC_LATITUDE), u"  0.0000N");
  EXPECT_EQ(controls.text.at(IDC_LONGITUDE), u"  0.0000E");
}

TEST_F(FixDisplayTest, LongTextsAreCutTo15Characters) {
  Fix(1.0, 1.0, 1.0, 1234567890123.5, 1.0, 1.0);
  const std::u16string altitude = Refresh(CHANGE_ALTITUDE).text.at(IDC_ALTITUDE);
  EXPECT_EQ(altitude, u"1234567890123.5");
  EXPECT_EQ(display_.altitude_text[15], 0);
}

TEST_F(FixDisplayTest, RefreshTouchesOnlyTheControlsOfItsBits) {
  Fix(123519.0, 48.1, 11.5, 545.4, 5332.4, 687.3);
  EXPECT_TRUE(Refresh(0).order.empty());
  EXPECT_EQ(Refresh(CHANGE_EASTING | CHANGE_TIME).order, (std::vector<int>{301, 306}));
  // The window shows the newest texts, whichever fix posted the message.
  Fix(123600.0, 48.1, 11.5, 545.4, 5332.4, 687.3);
  EXPECT_EQ(Refresh(CHANGE_TIME).text.at(IDC_TIME), u"123600.000");
  Controls none;
  FixDisplayRefresh(&display_, &kWindow, 0x3F, nullptr, &none);
  FixDisplayRefresh(nullptr, &kWindow, 0x3F, SetText, &none);
  EXPECT_TRUE(none.order.empty());
}

TEST_F(FixDisplayTest, WaypointsOnlyForPositionOrAltitudeChanges) {
  TempDir dir;
  const std::string path = dir.File("display.gpx");
  ASSERT_EQ(GpxRecorderOpen(&display_.recorder, path.c_str()), 1);
  Fix(100.0, 48.0, 11.0, 500.0, 5300.0, 600.0);       // all changed: waypoint 0
  Fix(101.0, 48.0, 11.0, 500.0, 5300.0, 600.0);       // time only: none
  Fix(102.0, 48.0, 11.0, 500.0, 5300.01, 600.0);      // northing only: none
  Fix(102.0, 48.00001, 11.0, 500.5, 5300.01, 600.0);  // altitude: waypoint 1
  EXPECT_EQ(display_.recorder.waypoint_count, 2);
  GpxRecorderClose(&display_.recorder);

  std::string file;
  FILE* in = fopen(path.c_str(), "r");
  ASSERT_NE(in, nullptr);
  char chunk[4096];
  size_t count;
  while ((count = fread(chunk, 1, sizeof chunk, in)) > 0)
    file.append(chunk, count);
  fclose(in);
  EXPECT_NE(file.find("<wpt lat=\"48.000000\" lon=\"11.000000\">"), std::string::npos);
  // The altitude waypoint carries the fix's own position, not the last shown one.
  EXPECT_NE(file.find("<wpt lat=\"48.000010\" lon=\"11.000000\">\n    <time>"), std::string::npos);
  EXPECT_NE(file.find("<ele>500.500000</ele>"), std::string::npos);
}

TEST_F(FixDisplayTest, AStationaryReceiverPostsTimeOnly) {
  Fix(100.0, 48.0, 11.0, 500.0, 5300.0, 600.0);
  for (int second = 1; second <= 5; ++second)
    EXPECT_EQ(Fix(100.0 + second, 48.0, 11.0, 500.0, 5300.0, 600.0), CHANGE_TIME);
  // Several fixes per second: only whole steps of 1.0 from the last shown time.
  EXPECT_EQ(Fix(105.5, 48.0, 11.0, 500.0, 5300.0, 600.0), 0u);
  EXPECT_EQ(Fix(106.0, 48.0, 11.0, 500.0, 5300.0, 600.0), CHANGE_TIME);
}

TEST_F(FixDisplayTest, APosterMayRefreshAtOnce) {
  // The tool refreshes inside its poster: the display must have left its lock.
  struct Sync {
    FixDisplay* display;
    Controls controls;
  } sync{&display_, {}};
  InstallMessagePoster(
      [](WindowHandle window, uint32_t, uintptr_t bits, intptr_t, void* context) {
        auto* s = static_cast<Sync*>(context);
        FixDisplayRefresh(s->display, window, static_cast<uint32_t>(bits), SetText, &s->controls);
        return 1;
      },
      &sync);
  FixDisplayOnFix(1.0, 2.0, 3.0, 4.0, 5.0, 6.0, &display_);
  EXPECT_EQ(sync.controls.order.size(), 6u);
  EXPECT_EQ(sync.controls.text.at(IDC_NORTHING), u"   5.000km");
}

TEST_F(FixDisplayTest, NoPosterNoContext) {
  InstallMessagePoster(nullptr, nullptr);
  FixDisplayOnFix(1.0, 2.0, 3.0, 4.0, 5.0, 6.0, &display_);
  EXPECT_EQ(Refresh(CHANGE_TIME).text.at(IDC_TIME), u"000001.000") << "formatted though unposted";
  FixDisplayOnFix(9.0, 9.0, 9.0, 9.0, 9.0, 9.0, nullptr);
  FixDisplayInit(nullptr, &kWindow, nullptr);
  EXPECT_TRUE(posts_.empty());
}

TEST(FixDisplayFormats, HostileTranslatedFormatsFallBackToTheProgramsOwn) {
  InstallMessagePoster(nullptr, nullptr);
  const ReadoutFormats hostile{u"%s",   u"%n",         u"%d %f", u"%f %f",
                               nullptr, u"%.1f Meter", u"%*f",   u"%8.3lf\u043a\u043c"};
  FixDisplay display;
  FixDisplayInit(&display, &kWindow, &hostile);
  FixDisplayOnFix(123519.0, 48.1173, -11.5167, 545.4, 5332.401, 687.3, &display);
  Controls controls;
  FixDisplayRefresh(&display, &kWindow, 0x3F, SetText, &controls);
  EXPECT_EQ(controls.text.at(IDC_TIME), u"123519.000");
  EXPECT_EQ(controls.text.at(IDC_LATITUDE), u" 48.1173N");
  EXPECT_EQ(controls.text.at(IDC_LONGITUDE), u" 11.5167W");
  EXPECT_EQ(controls.text.at(IDC_ALTITUDE), u"545.4 Meter") << "a sound translation is used";
  EXPECT_EQ(controls.text.at(IDC_EASTING), u" 687.300km");
  EXPECT_EQ(controls.text.at(IDC_NORTHING), u"5332.401\u043a\u043c");
}

}  // namespace
