#include "nmea/decode_gga.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Expected rows are written to seven decimals of a degree and three of a kilometre.
constexpr double kDegrees = 5e-8;
constexpr double kKilometres = 5e-4;

struct Accepted {
  const char* sentence;
  int32_t ellipsoid;
  GgaFix fix;  // time, latitude, longitude, altitude, northing km, easting km
};

// The textbook sentence's fix: 12:35:19 UTC, 48°07.038′ N 11°31.000′ E, 545.4 m.
constexpr GgaFix kTextbook = {123519, 48.1173, 11.5166667, 545.4, 5332.401, 687.300};

constexpr GgaFix TextbookAt(double altitude) {
  GgaFix fix = kTextbook;
  fix.altitude = altitude;
  return fix;
}

// What is read from a sentence: the six fields up to the altitude, nothing after it.
// clang-format off
const Accepted kAccepted[] = {
    // The textbook sentence, from any talker, whatever its checksum and fix quality.
    {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47", 0, kTextbook},
    {"$GNGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*00", 0, kTextbook},
    {"$GPGGA,123519,4807.038,N,01131.000,E,0,00,99.9,545.4,M,,M,,*00", 0, kTextbook},
    {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,this field is far too long", 0,
     kTextbook},
    // On another ellipsoid (5, International 1924).
    {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,", 5,
     {123519, 48.1173, 11.5166667, 545.4, 5332.506, 687.308}},
    // South and west, of a zero too; a negative altitude subtracts its fraction.
    {"$GPGGA,235959.00,3351.000,S,07018.000,W,1,05,1.5,-12.5,M,,M,,*00", 0,
     {235959, -33.85, -70.3, -12.5, -3746.285, 379.733}},
    {"$GPGGA,123519,0000.000,S,00000.000,W,1,08,0.9,1.0,", 0,
     {123519, -0.0, -0.0, 1, 0, 166.022}},
    // Altitudes as receivers write them.
    {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,-0.5,M", 0, TextbookAt(-0.5)},
    {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.,M", 0, TextbookAt(545)},
    {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,.4,M", 0, TextbookAt(0.4)},
    // A field of fourteen characters is still read.
    {"$GPGGA,123519,4807.038000000,N,01131.000,E,1,08,0.9,545.4,", 0, kTextbook},
    // A sentence that ends right after a closing comma is taken as far as it goes.
    {"$GPGGA,123519,4807.038,N,", 0, {123519, 48.1173, 0, 0, 5333.691, 276.732}},
    {"$GPGGA,123519,", 0, {123519, 0, 0, 0, 0, 166.022}},
};
// clang-format on

const char* const kRejected[] = {
    "",
    "$G",
    "$GPGGA",
    "$GPGGA,",
    "$GPGGA,123519",
    "GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,",
    "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A",
    "$GPGGB,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47",
    "$GPgga,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47",
    "$GPGGA,123519,,,,,0,00,,,M,,M,,*66",  // no fix yet
    // A hemisphere is exactly one capital letter.
    "$GPGGA,123519,4807.038,n,01131.000,E,1,08,0.9,545.4,",
    "$GPGGA,123519,4807.038,North,01131.000,E,1,08,0.9,545.4,",
    "$GPGGA,123519,4807.038,,01131.000,E,1,08,0.9,545.4,",
    "$GPGGA,123519,4807.038, N,01131.000,E,1,08,0.9,545.4,",
    "$GPGGA,123519,4807.038,N,01131.000,e,1,08,0.9,545.4,",
    // No altitude, or the text ends inside it.
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,,M",
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4",
    // Fifteen characters, in a field that is read or one that is not.
    "$GPGGA,123519,4807.0380000000,N,01131.000,E,1,08,0.9,545.4,",
    "$GPGGA,123519,4807.038,N,01131.000,E,1,123456789012345,0.9,545.4,",
    "$\xff\xfeGGA,\x80,\x81",
};

bool Decode(const char* sentence, int32_t ellipsoid, GgaFix* fix) {
  return DecodeGga(sentence, ellipsoid, &fix->time, &fix->latitude, &fix->longitude, &fix->altitude,
                   &fix->northing, &fix->easting) == 1;
}

TEST(DecodeGga, Accepted) {
  for (const Accepted& row : kAccepted) {
    SCOPED_TRACE(row.sentence);
    GgaFix fix;
    ASSERT_TRUE(Decode(row.sentence, row.ellipsoid, &fix));
    EXPECT_EQ(fix.time, row.fix.time);
    EXPECT_NEAR(fix.latitude, row.fix.latitude, kDegrees);
    EXPECT_NEAR(fix.longitude, row.fix.longitude, kDegrees);
    // The hemisphere letter gives the sign, of a zero too.
    EXPECT_EQ(std::signbit(fix.latitude), std::signbit(row.fix.latitude));
    EXPECT_EQ(std::signbit(fix.longitude), std::signbit(row.fix.longitude));
    EXPECT_EQ(fix.altitude, row.fix.altitude);
    EXPECT_NEAR(fix.northing, row.fix.northing, kKilometres);
    EXPECT_NEAR(fix.easting, row.fix.easting, kKilometres);
  }
}

TEST(DecodeGga, Rejected) {
  for (const char* sentence : kRejected) {
    GgaFix fix;
    EXPECT_FALSE(Decode(sentence, 0, &fix)) << sentence;
  }
  double t = 7;  // a missing place rejects the sentence and writes nothing
  EXPECT_EQ(DecodeGga(kAccepted[0].sentence, 0, &t, &t, &t, &t, &t, nullptr), 0);
  EXPECT_EQ(t, 7);
}

}  // namespace
