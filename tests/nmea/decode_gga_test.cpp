#include "nmea/decode_gga.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>

namespace {

constexpr char kExample[] = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47";

std::optional<GgaFix> Decode(const std::string& line, int32_t ellipsoid = 0) {
  GgaFix fix;
  if (!DecodeGga(line.c_str(), ellipsoid, &fix.time, &fix.latitude, &fix.longitude, &fix.altitude,
                 &fix.northing, &fix.easting)) {
    return std::nullopt;
  }
  return fix;
}

void ExpectExampleFix(const std::optional<GgaFix>& fix) {
  ASSERT_TRUE(fix.has_value());
  EXPECT_EQ(fix->time, 123519.0);
  EXPECT_NEAR(fix->latitude, 48.1173000, 5e-8);
  EXPECT_NEAR(fix->longitude, 11.5166667, 5e-8);
  EXPECT_EQ(fix->altitude, 545.4);
  EXPECT_NEAR(fix->northing, 5332.401, 5e-4);
  EXPECT_NEAR(fix->easting, 687.300, 5e-4);
}

TEST(DecodeGga, AcceptsTheTextbookSentence) {
  ExpectExampleFix(Decode(kExample));
}

TEST(DecodeGga, TalkerIsAnyTwoCharactersButTheNameMustBeGga) {
  ExpectExampleFix(Decode(std::string("$GN") + (kExample + 3)));
  ExpectExampleFix(Decode(std::string("$IN") + (kExample + 3)));
  EXPECT_FALSE(Decode("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A"));
  EXPECT_FALSE(Decode(std::string("$GPgga") + (kExample + 6)));
  EXPECT_FALSE(Decode("$G"));
  EXPECT_FALSE(Decode("$GPGGA"));
  EXPECT_FALSE(Decode("GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,"));
  EXPECT_FALSE(Decode(""));
}

TEST(DecodeGga, NeverLooksAtTheChecksumOrPastTheAltitude) {
  ExpectExampleFix(Decode("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*00"));
  ExpectExampleFix(Decode("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,"));
  ExpectExampleFix(
      Decode("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,this field is far too long"));
}

TEST(DecodeGga, IgnoresFixQuality) {
  ExpectExampleFix(Decode("$GPGGA,123519,4807.038,N,01131.000,E,0,00,99.9,545.4,M,,M,,*00"));
  EXPECT_FALSE(Decode("$GPGGA,123519,,,,,0,00,,,M,,M,,*66"));
}

TEST(DecodeGga, SouthernAndWesternHemispheres) {
  const auto fix = Decode("$GPGGA,235959.00,3351.000,S,07018.000,W,1,05,1.5,-12.5,M,,M,,*00");
  ASSERT_TRUE(fix);
  EXPECT_EQ(fix->time, 235959.0);
  EXPECT_NEAR(fix->latitude, -33.85, 1e-12);
  EXPECT_NEAR(fix->longitude, -70.3, 1e-12);
  EXPECT_EQ(fix->altitude, -12.5);
  EXPECT_NEAR(fix->northing, -3746.285, 5e-4);
  EXPECT_NEAR(fix->easting, 379.733, 5e-4);
}

TEST(DecodeGga, HemisphereMustBeExactlyOneCapitalLetter) {
  for (const char* ns : {"n", "North", "", "NS", " N"}) {
    EXPECT_FALSE(
        Decode(std::string("$GPGGA,123519,4807.038,") + ns + ",01131.000,E,1,08,0.9,545.4,"))
        << ns;
  }
  EXPECT_FALSE(Decode("$GPGGA,123519,4807.038,N,01131.000,e,1,08,0.9,545.4,"));
}

TEST(DecodeGga, AltitudeForms) {
  const std::string head = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,";
  EXPECT_EQ(Decode(head + "-0.5,M")->altitude, -0.5);
  EXPECT_EQ(Decode(head + "0,M")->altitude, 0.0);
  EXPECT_EQ(Decode(head + "545.,M")->altitude, 545.0);
  EXPECT_EQ(Decode(head + ".4,M")->altitude, 0.4);
  EXPECT_FALSE(Decode(head + ",M"));
  EXPECT_FALSE(Decode(head + "545.4"));  // the text ends inside the altitude field
}

TEST(DecodeGga, FieldsHoldAtMostFourteenCharacters) {
  const auto fix = Decode("$GPGGA,123519,4807.038000000,N,01131.000,E,1,08,0.9,545.4,");
  ASSERT_TRUE(fix);
  EXPECT_NEAR(fix->latitude, 48.1173, 1e-12);
  EXPECT_FALSE(Decode("$GPGGA,123519,4807.0380000000,N,01131.000,E,1,08,0.9,545.4,"));
  // Also the fields that are never examined.
  EXPECT_FALSE(Decode("$GPGGA,123519,4807.038,N,01131.000,E,1,123456789012345,0.9,545.4,"));
}

TEST(DecodeGga, ASentenceEndingAfterAClosedFieldIsAccepted) {
  const auto fix = Decode("$GPGGA,123519,4807.038,N,");
  ASSERT_TRUE(fix);
  EXPECT_NEAR(fix->latitude, 48.1173, 1e-12);
  EXPECT_EQ(fix->longitude, 0.0);
  EXPECT_EQ(fix->altitude, 0.0);
  EXPECT_NEAR(fix->northing, 5333.691, 5e-4);
  EXPECT_NEAR(fix->easting, 276.732, 5e-4);
  EXPECT_FALSE(Decode("$GPGGA,"));
  EXPECT_FALSE(Decode("$GPGGA,123519"));
  EXPECT_TRUE(Decode("$GPGGA,123519,"));
}

TEST(DecodeGga, AZeroSouthLatitudeIsNegativeZero) {
  const auto fix = Decode("$GPGGA,123519,0000.000,S,00000.000,W,1,08,0.9,1.0,");
  ASSERT_TRUE(fix);
  EXPECT_TRUE(std::signbit(fix->latitude));
  EXPECT_TRUE(std::signbit(fix->longitude));
}

TEST(DecodeGga, ProjectsOnTheGivenEllipsoid) {
  const auto fix = Decode(kExample, 5);
  ASSERT_TRUE(fix);
  EXPECT_NEAR(fix->northing, 5332.505601, 5e-3);
}

TEST(DecodeGga, NullArgumentsRejectAndWriteNothing) {
  double t = 7, la = 7, lo = 7, al = 7, no = 7, ea = 7;
  EXPECT_EQ(DecodeGga(nullptr, 0, &t, &la, &lo, &al, &no, &ea), 0);
  EXPECT_EQ(DecodeGga(kExample, 0, &t, &la, &lo, &al, &no, nullptr), 0);
  EXPECT_EQ(DecodeGga(kExample, 0, nullptr, &la, &lo, &al, &no, &ea), 0);
  EXPECT_EQ(t + la + lo + al + no + ea, 42.0);
}

TEST(DecodeGga, BytesOfAnyValueAreJustRejected) {
  std::string line = "$GPGGA,";
  for (int c = 1; c < 256; ++c)
    line += static_cast<char>(c);
  EXPECT_FALSE(Decode(line));
  EXPECT_FALSE(Decode("$\xff\xfeGGA,\x80,\x81"));
}

}  // namespace
