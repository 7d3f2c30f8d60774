// Thread tests of the GPS port: fixes from a pseudo-terminal reach the fix callback.
#include "gps/gps_port.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "nmea/decode_gga.h"
#include "tests/support/pty.h"

namespace {

constexpr char kMunich[] = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";

struct Fixes {
  std::mutex mutex;
  std::condition_variable arrived;
  std::vector<GgaFix> fixes;

  static void Take(double time, double latitude, double longitude, double altitude, double northing,
                   double easting, void* context) {
    auto* self = static_cast<Fixes*>(context);
    std::lock_guard<std::mutex> lock(self->mutex);
    self->fixes.push_back(GgaFix{time, latitude, longitude, altitude, northing, easting});
    self->arrived.notify_all();
  }

  std::vector<GgaFix> WaitFor(size_t count) {
    std::unique_lock<std::mutex> lock(mutex);
    arrived.wait_for(lock, std::chrono::seconds(10), [&] { return fixes.size() >= count; });
    return fixes;
  }
};

GgaFix Decoded(const char* sentence, int32_t ellipsoid) {
  GgaFix f{};
  EXPECT_EQ(DecodeGga(sentence, ellipsoid, &f.time, &f.latitude, &f.longitude, &f.altitude,
                      &f.northing, &f.easting),
            1);
  return f;
}

void ExpectSameFix(const GgaFix& got, const GgaFix& want) {
  EXPECT_EQ(got.time, want.time);
  EXPECT_EQ(got.latitude, want.latitude);
  EXPECT_EQ(got.longitude, want.longitude);
  EXPECT_EQ(got.altitude, want.altitude);
  EXPECT_EQ(got.northing, want.northing);
  EXPECT_EQ(got.easting, want.easting);
}

TEST(GpsPortTest, FixesFromTheLineReachTheCallbackOnTheChosenEllipsoid) {
  Pty pty;
  ASSERT_TRUE(pty.ok() && pty.MakeRaw());
  GpsPort port;
  GpsPortReset(&port);
  Fixes fixes;
  const std::u16string device(pty.device().begin(), pty.device().end());
  ASSERT_EQ(
      GpsPortOpenWide(&port, device.c_str(), u"4800", u"8", u"N", u"1", 20, 5, Fixes::Take, &fixes),
      1);
  ASSERT_TRUE(pty.Write(std::string("$GPRMC,123519,A*00\r\n") + kMunich + "\r\n"));
  const auto got = fixes.WaitFor(1);
  ASSERT_EQ(got.size(), 1u) << "the RMC line is not a fix";
  ExpectSameFix(got[0], Decoded(kMunich, 5));
  EXPECT_EQ(GpsPortClose(&port), 1);
  EXPECT_EQ(port.fix_callback, &Fixes::Take) << "close keeps the callback";
  EXPECT_EQ(port.ellipsoid, 5);
}

TEST(GpsPortTest, OpensFromTextsAndFromRows) {
  Pty pty;
  ASSERT_TRUE(pty.ok() && pty.MakeRaw());
  GpsPort port;
  GpsPortReset(&port);
  Fixes fixes;
  ASSERT_EQ(GpsPortOpenNarrow(&port, pty.device().c_str(), "9600", "8", "N", "1", 20, 0,
                              Fixes::Take, &fixes),
            1);
  GpsPortClose(&port);
  ASSERT_EQ(GpsPortOpenEntries(&port, pty.device().c_str(), &BaudRateTable[0], &DataBitsTable[0],
                               &ParityTable[1], &StopBitsTable[0], 20, 0, Fixes::Take, &fixes),
            1);
  ASSERT_TRUE(pty.Write(std::string(kMunich) + "\n"));
  EXPECT_EQ(fixes.WaitFor(1).size(), 1u);
  GpsPortClose(&port);
}

TEST(GpsPortTest, AFailedOpenKeepsTheCallbackButRunsNothing) {
  GpsPort port;
  GpsPortReset(&port);
  Fixes fixes;
  EXPECT_EQ(GpsPortOpenNarrow(&port, "/nonexistent/tty", "9600", "8", "N", "1", 2000, 3,
                              Fixes::Take, &fixes),
            0);
  EXPECT_EQ(port.link.thread, nullptr);
  EXPECT_EQ(port.link.port, kInvalidSerialPort);
  EXPECT_EQ(port.fix_callback, &Fixes::Take);
  EXPECT_EQ(port.ellipsoid, 3);
  EXPECT_EQ(GpsPortOpenNarrow(nullptr, "COM1:", "9600", "8", "N", "1", 2000, 0, nullptr, nullptr),
            0);
  EXPECT_EQ(GpsPortClose(nullptr), 0);
  EXPECT_EQ(GpsPortClose(&port), 1);
}

TEST(HandleGpsLine, DecodesAndHandsOnOnlyAcceptedLines) {
  GpsPort port;
  GpsPortReset(&port);
  Fixes fixes;
  port.fix_callback = Fixes::Take;
  port.fix_callback_context = &fixes;
  HandleGpsLine("$GPRMC,123519,A,4807.038,N", 26, &port);
  HandleGpsLine(kMunich, 0, &port);  // the length is not used
  ASSERT_EQ(fixes.fixes.size(), 1u);
  ExpectSameFix(fixes.fixes[0], Decoded(kMunich, 0));

  port.fix_callback = nullptr;
  HandleGpsLine(kMunich, 66, &port);  // decoded and dropped
  HandleGpsLine(kMunich, 66, nullptr);
  EXPECT_EQ(fixes.fixes.size(), 1u);
}

}  // namespace
