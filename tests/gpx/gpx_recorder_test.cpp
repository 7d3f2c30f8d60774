// The GPX recorder: file layout, numbering, bounds, paths, locale and failures.
#include <gtest/gtest.h>

#include <locale.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "gpx/gpx_recorder.h"
#include "tests/gpx/gpx_file_check.h"
#include "tests/support/shared_data.h"
#include "tests/support/temp_dir.h"

namespace {

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

std::string Coordinate(double value) {
  char text[32];
  return GpxFormatCoordinate(text, 31, value);
}

class GpxRecorderTest : public ::testing::Test {
 protected:
  void SetUp() override { GpxRecorderInit(&recorder_); }
  void TearDown() override { GpxRecorderClose(&recorder_); }
  std::string Path(const std::string& name) const { return dir_.File(name); }

  TempDir dir_;
  GpxRecorder recorder_;
};

TEST_F(GpxRecorderTest, EmptyRecordingHasHeaderSentinelBoundsAndClosingTag) {
  EXPECT_EQ(GpxRecorderIsOpen(&recorder_), 0);
  ASSERT_EQ(GpxRecorderOpen(&recorder_, Path("empty.gpx").c_str()), 1);
  EXPECT_EQ(GpxRecorderIsOpen(&recorder_), 1);
  GpxRecorderClose(&recorder_);
  EXPECT_EQ(GpxRecorderIsOpen(&recorder_), 0);
  const auto lines = FileLines(Path("empty.gpx"));
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3],
            "  <bounds minlat=\"10000000000.000000\" minlon=\"10000000000.000000\" "
            "maxlat=\"-10000000000.000000\" maxlon=\"-10000000000.000000\"/>");
  EXPECT_TRUE(ReadFinishedGpx(Path("empty.gpx")).empty());
}

TEST_F(GpxRecorderTest, WaypointLinesAndBounds) {
  const std::string path = Path("one.gpx");
  ASSERT_EQ(GpxRecorderOpen(&recorder_, path.c_str()), 1);
  UtcTimestamp before = GpxTakeUtcTimestamp(nullptr);
  EXPECT_EQ(GpxRecorderAppendWaypoint(&recorder_, 48.1173, 11.5167, 545.4), 1);
  GpxRecorderClose(&recorder_);

  const auto lines = FileLines(path);
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines[3], "  <wpt lat=\"48.117300\" lon=\"11.516700\">");
  char time[64];
  snprintf(time, sizeof time, "    <time>%04d-%02d-%02dT%02d:", before.year, before.month,
           before.day, before.hour);
  EXPECT_EQ(lines[4].substr(0, strlen(time)), time) << "the clock of writing, in UTC";
  EXPECT_EQ(lines[5], "    <ele>545.400000</ele>");
  EXPECT_EQ(lines[6], "    <name>0</name>");
  EXPECT_EQ(lines[7], "    <desc>0</desc>");
  EXPECT_EQ(lines[8], "    <sym>Dot</sym>");
  EXPECT_EQ(lines[9], "    <type>Dot</type>");
  EXPECT_EQ(lines[10], "  </wpt>");
  EXPECT_EQ(lines[11],
            "  <bounds minlat=\"48.117300\" minlon=\"11.516700\" maxlat=\"48.117300\" "
            "maxlon=\"11.516700\"/>");
  EXPECT_EQ(lines[12], "</gpx>");
}

TEST_F(GpxRecorderTest, NumbersFromZeroAndBoundsCoverEveryWaypoint) {
  const std::string path = Path("track.gpx");
  ASSERT_EQ(GpxRecorderOpen(&recorder_, path.c_str()), 1);
  const double points[][3] = {{-33.5, -70.3, -12.5}, {10.25, 20.5, 0.0}, {-40.0, 5.0, 3000.0}};
  for (const auto& p : points)
    ASSERT_EQ(GpxRecorderAppendWaypoint(&recorder_, p[0], p[1], p[2]), 1);
  EXPECT_EQ(recorder_.waypoint_count, 3);
  GpxRecorderClose(&recorder_);

  const auto waypoints = ReadFinishedGpx(path);
  ASSERT_EQ(waypoints.size(), 3u);
  EXPECT_EQ(waypoints[0].lat, "-33.500000") << "the recorder knows no hemisphere letters";
  EXPECT_EQ(waypoints[0].ele, "-12.500000");
  EXPECT_EQ(waypoints[2].name, "2");
  EXPECT_EQ(FileLines(path)[27],
            "  <bounds minlat=\"-40.000000\" minlon=\"-70.300000\" maxlat=\"10.250000\" "
            "maxlon=\"20.500000\"/>");
  const auto read_back = GpsbabelWaypoints(path);
  ASSERT_EQ(read_back.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_NEAR(read_back[i].lat, points[i][0], 5e-6);
    EXPECT_NEAR(read_back[i].lon, points[i][1], 5e-6);
    EXPECT_EQ(read_back[i].name, std::to_string(i));
  }
}

TEST_F(GpxRecorderTest, ReopeningStartsAgainAtZeroWithSentinelsAndReplacesTheFile) {
  const std::string first = Path("first.gpx"), second = Path("second.gpx");
  ASSERT_EQ(GpxRecorderOpen(&recorder_, first.c_str()), 1);
  GpxRecorderAppendWaypoint(&recorder_, 1.0, 2.0, 3.0);
  GpxRecorderAppendWaypoint(&recorder_, 4.0, 5.0, 6.0);
  GpxRecorderClose(&recorder_);
  EXPECT_EQ(recorder_.waypoint_count, 0);
  EXPECT_EQ(recorder_.min_latitude, 1e10);
  EXPECT_EQ(recorder_.max_longitude, -1e10);

  ASSERT_EQ(GpxRecorderOpen(&recorder_, second.c_str()), 1);
  GpxRecorderAppendWaypoint(&recorder_, 7.0, 8.0, 9.0);
  GpxRecorderClose(&recorder_);
  const auto waypoints = ReadFinishedGpx(second);
  ASSERT_EQ(waypoints.size(), 1u);
  EXPECT_EQ(waypoints[0].name, "0");
  EXPECT_EQ(FileLines(second)[11],
            "  <bounds minlat=\"7.000000\" minlon=\"8.000000\" maxlat=\"7.000000\" "
            "maxlon=\"8.000000\"/>");

  // The first file, opened again, is replaced whole.
  ASSERT_EQ(GpxRecorderOpen(&recorder_, first.c_str()), 1);
  GpxRecorderClose(&recorder_);
  EXPECT_TRUE(ReadFinishedGpx(first).empty());
}

TEST_F(GpxRecorderTest, NothingIsWrittenWhileClosed) {
  EXPECT_EQ(GpxRecorderAppendWaypoint(&recorder_, 1.0, 2.0, 3.0), 0);
  GpxRecorderClose(&recorder_);
  GpxRecorderClose(&recorder_);
  EXPECT_EQ(GpxRecorderIsOpen(&recorder_), 0);
  EXPECT_EQ(recorder_.waypoint_count, 0);

  const std::string path = Path("closed.gpx");
  ASSERT_EQ(GpxRecorderOpen(&recorder_, path.c_str()), 1);
  GpxRecorderClose(&recorder_);
  EXPECT_EQ(GpxRecorderAppendWaypoint(&recorder_, 1.0, 2.0, 3.0), 0);
  EXPECT_EQ(FileLines(path).size(), 5u);
}

TEST_F(GpxRecorderTest, OpeningOverAnOpenRecordingFinishesItFirst) {
  ASSERT_EQ(GpxRecorderOpen(&recorder_, Path("a.gpx").c_str()), 1);
  GpxRecorderAppendWaypoint(&recorder_, 1.0, 2.0, 3.0);
  ASSERT_EQ(GpxRecorderOpen(&recorder_, Path("b.gpx").c_str()), 1);
  EXPECT_EQ(ReadFinishedGpx(Path("a.gpx")).size(), 1u);
}

TEST_F(GpxRecorderTest, EveryCompleteWaypointIsOnDiskAtOnce) {
  const std::string path = Path("crash.gpx");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    GpxRecorder recorder;
    GpxRecorderInit(&recorder);
    if (GpxRecorderOpen(&recorder, path.c_str()) != 1) _exit(1);
    for (int i = 0; i < 3; ++i)
      GpxRecorderAppendWaypoint(&recorder, 10.0 + i, 20.0, 30.0);
    raise(SIGKILL);  // a crash: nothing closes or flushes the stream
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  const auto lines = FileLines(path);
  ASSERT_EQ(lines.size(), 3u + 3 * 8) << "header and three whole waypoints, only the trailer lost";
  EXPECT_EQ(lines.back(), "  </wpt>");
  EXPECT_EQ(lines[3 + 16], "  <wpt lat=\"12.000000\" lon=\"20.000000\">");
}

TEST_F(GpxRecorderTest, FilesThatCannotBeCreatedOrWritten) {
  EXPECT_EQ(GpxRecorderOpen(&recorder_, Path("missing/x.gpx").c_str()), 0);
  EXPECT_EQ(GpxRecorderOpen(&recorder_, dir_.path().c_str()), 0);
  EXPECT_EQ(GpxRecorderOpen(&recorder_, nullptr), 0);
  // The header cannot reach a full device: refused at once, not at the first waypoint.
  EXPECT_EQ(GpxRecorderOpen(&recorder_, "/dev/full"), 0);
  EXPECT_EQ(GpxRecorderIsOpen(&recorder_), 0);
}

TEST_F(GpxRecorderTest, Utf16PathsAreConvertedToUtf8) {
  std::u16string wide(dir_.path().begin(), dir_.path().end());
  wide += u"/Stra\u00dfe \U0001F6F0.gpx";
  ASSERT_EQ(GpxRecorderOpenWide(&recorder_, wide.c_str()), 1);
  GpxRecorderClose(&recorder_);
  EXPECT_TRUE(
      Exists(Path("Stra\xc3\x9f"
                  "e \xf0\x9f\x9b\xb0.gpx")));
}

TEST_F(GpxRecorderTest, Utf16PathsLongerThan260BytesAreRefusedWhole) {
  // Padded so that the 8-bit path is exactly 260 bytes; one more byte is refused.
  const std::string base = dir_.path() + "/";
  const std::string exact = base + std::string(260 - base.size() - 4, 'p') + ".gpx";
  ASSERT_EQ(exact.size(), 260u);
  const std::string longer = base + std::string(260 - base.size() - 4, 'p') + "x.gpx";
  const std::string longer_cut = longer.substr(0, 260);

  EXPECT_EQ(GpxRecorderOpenWide(&recorder_, std::u16string(longer.begin(), longer.end()).c_str()),
            0);
  EXPECT_FALSE(Exists(longer));
  EXPECT_FALSE(Exists(longer_cut)) << "no file under a name the user never chose";

  ASSERT_TRUE(WriteWholeFile(exact, "keep me"));
  ASSERT_EQ(GpxRecorderOpenWide(&recorder_, std::u16string(exact.begin(), exact.end()).c_str()), 1);
  GpxRecorderClose(&recorder_);
  EXPECT_TRUE(ReadFinishedGpx(exact).empty());

  // Two-byte characters count as two: 130 of them make 260 bytes, fine or refused by one.
  std::u16string wide(base.begin(), base.end());
  const size_t room = 260 - base.size() - 4;
  wide += std::u16string(room / 2, u'\u00e9') + (room % 2 ? u"a" : u"") + u".gpx";
  EXPECT_EQ(GpxRecorderOpenWide(&recorder_, wide.c_str()), 1);
  GpxRecorderClose(&recorder_);
  wide = std::u16string(base.begin(), base.end()) + u"b" + wide.substr(base.size());
  EXPECT_EQ(GpxRecorderOpenWide(&recorder_, wide.c_str()), 0);
}

TEST_F(GpxRecorderTest, UnconvertiblePathChangesNothing) {
  ASSERT_EQ(GpxRecorderOpen(&recorder_, Path("kept.gpx").c_str()), 1);
  const char16_t bad[] = {u'/', u't', u'm', u'p', u'/', 0xDC00, 0};
  EXPECT_EQ(GpxRecorderOpenWide(&recorder_, bad), 0);
  EXPECT_EQ(GpxRecorderOpenWide(&recorder_, nullptr), 0);
  EXPECT_EQ(GpxRecorderIsOpen(&recorder_), 1) << "the recording in progress goes on";
  EXPECT_EQ(GpxRecorderAppendWaypoint(&recorder_, 1.0, 2.0, 3.0), 1);
  GpxRecorderClose(&recorder_);
  EXPECT_EQ(ReadFinishedGpx(Path("kept.gpx")).size(), 1u);
}

TEST(GpxRecorderNull, EveryOperationAcceptsANullRecorder) {
  GpxRecorderInit(nullptr);
  EXPECT_EQ(GpxRecorderIsOpen(nullptr), 0);
  EXPECT_EQ(GpxRecorderOpen(nullptr, "/tmp/never.gpx"), 0);
  EXPECT_EQ(GpxRecorderOpenWide(nullptr, u"/tmp/never.gpx"), 0);
  EXPECT_EQ(GpxRecorderAppendWaypoint(nullptr, 1.0, 2.0, 3.0), 0);
  GpxRecorderClose(nullptr);
  struct stat info {};
  EXPECT_NE(stat("/tmp/never.gpx", &info), 0);
}

TEST(GpxFormatCoordinate, SixDecimalsBoundedTo31Characters) {
  EXPECT_EQ(Coordinate(48.1173), "48.117300");
  EXPECT_EQ(Coordinate(-0.0000004), "-0.000000");
  EXPECT_EQ(Coordinate(1e10), "10000000000.000000");
  EXPECT_EQ(Coordinate(1e300).size(), 31u);
  char small[8];
  EXPECT_STREQ(GpxFormatCoordinate(small, 7, 123.456), "123.456");
}

// The front-end runs under the user's locale; a German one formats "48,117300".
TEST(GpxFormatCoordinate, DecimalPointUnderADecimalCommaLocale) {
  locale_t german = newlocale(LC_ALL_MASK, "de_DE.UTF-8", nullptr);
  if (german == nullptr) GTEST_SKIP() << "de_DE.UTF-8 is not generated (scripts/deps.sh does it)";
  const locale_t previous = uselocale(german);
  char check[32];
  snprintf(check, sizeof check, "%lf", 48.1173);
  EXPECT_STREQ(check, "48,117300") << "the locale must really write a decimal comma";
  EXPECT_EQ(Coordinate(48.1173), "48.117300");
  EXPECT_EQ(Coordinate(-1234567.5), "-1234567.500000");

  TempDir dir;
  GpxRecorder recorder;
  GpxRecorderInit(&recorder);
  ASSERT_EQ(GpxRecorderOpen(&recorder, dir.File("de.gpx").c_str()), 1);
  GpxRecorderAppendWaypoint(&recorder, 48.1173, -11.5167, 545.4);
  GpxRecorderClose(&recorder);
  uselocale(previous);
  freelocale(german);
  const auto waypoints = ReadFinishedGpx(dir.File("de.gpx"));
  ASSERT_EQ(waypoints.size(), 1u);
  EXPECT_EQ(waypoints[0].lon, "-11.516700");
  EXPECT_EQ(waypoints[0].ele, "545.400000");
}

TEST(GpxTakeUtcTimestamp, IsTheSystemClockInUtc) {
  UtcTimestamp stamp{};
  const time_t now = time(nullptr);
  const UtcTimestamp returned = GpxTakeUtcTimestamp(&stamp);
  tm utc{};
  gmtime_r(&now, &utc);
  EXPECT_EQ(stamp.year, utc.tm_year + 1900);
  EXPECT_EQ(stamp.month, utc.tm_mon + 1);
  EXPECT_EQ(stamp.day, utc.tm_mday);
  EXPECT_EQ(returned.hour, stamp.hour);
  EXPECT_GE(stamp.second, 0);
  EXPECT_LE(stamp.second, 60);
}

}  // namespace
