// The number fields, the projection and the GGA decoder, each from a table of the
// inputs receivers send and what they must give.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "nmea/decode_gga.h"
#include "nmea/parse_decimal.h"
#include "nmea/project_utm.h"

namespace {

// Number fields as receivers send them, and the exact double each becomes: the
// integer part saturates at the 32-bit range, the fraction is its digits times 0.1
// once per digit, and a leading minus subtracts the fraction.
const struct {
  const char* text;
  double value;
} kNumbers[] = {
    // clang-format off
    {"123519", 123519}, {"0", 0}, {" 42", 42}, {"+3.25", 3.25}, {"12.", 12}, {".", 0},
    {".4", 4 * 0.1}, {"0.038", 38 * 0.1 * 0.1 * 0.1}, {"4807.038", 4807 + 38 * 0.1 * 0.1 * 0.1},
    {"-12.5", -12.5}, {" -0.5", -0.5}, {"2147483647", 2147483647},
    {"99999999999999", 2147483647}, {"-2147483648", -2147483648.0},
    {"-99999999999999", -2147483648.0},
    // clang-format on
};

const char* const kNotNumbers[] = {
    "",    "1.2.3", "-.5",  "12a", "N",     "-",     "+",     " ",     " .5",
    "1. ", "1 ",    "0x10", "1e5", "12.-5", "12.+5", "12. 5", "-1.-5",
};

TEST(ParseDecimal, NumbersAndNotNumbers) {
  for (const auto& row : kNumbers) {
    double value = -999.0;
    EXPECT_TRUE(ParseDecimal(row.text, &value)) << '"' << row.text << '"';
    EXPECT_EQ(value, row.value) << '"' << row.text << '"';
  }
  double value = 0.0;
  for (const char* text : kNotNumbers)
    EXPECT_FALSE(ParseDecimal(text, &value)) << '"' << text << '"';
  EXPECT_FALSE(ParseDecimal(nullptr, &value) || ParseDecimal("1", nullptr));
}

constexpr double kNaN = NAN;
constexpr double kMillimetre = 5e-7;  // km: results are given to six decimals

// Points and their grid coordinates in km. No zone is reported, a southern latitude
// gives a negative northing, a zone boundary belongs to the zone east of it, and the
// longitude is neither wrapped nor checked.
const struct {
  double latitude;
  double longitude;
  int32_t ellipsoid;
  double northing;
  double easting;
} kPoints[] = {
    // clang-format off
    // Munich on WGS 84, International 1924 and Everest 1830.
    {48.1173, 11.516666666666667, 0, 5332.401245, 687.299593},
    {48.1173, 11.516666666666667, 5, 5332.505601, 687.308439},
    {48.1173, 11.516666666666667, 10, 5331.892360, 687.271372},
    // The equator, central meridians, the south.
    {0, 0, 0, 0.0, 166.021557}, {0, 3, 0, 0.0, 500.0}, {-45, 3, 0, -4982.950400, 500.0},
    {-33.85, -70.3, 0, -3746.284546, 379.733264},
    // Either side of a zone boundary; west of Greenwich.
    {45, 12.0, 0, 4987.329504, 263.553930}, {45, 11.999999, 0, 4987.329502, 736.445991},
    {10, -0.5, 0, 1106.451278, 774.071014},
    // The date line and the poles.
    {60, 180.0, 0, 6655.205484, 332.705153}, {90, 3, 0, 9997.964943, 500.0},
    {-90, 3, 0, -9997.964943, 500.0},
    // The largest longitude a field can carry still has a zone.
    {10, 2147483647.0 / 60, 0, 1105.542090, 403.187006},
    // No ellipsoid, or no zone: NaN.
    {48.1173, 11.516666666666667, -1, kNaN, kNaN}, {48.1173, 11.516666666666667, 11, kNaN, kNaN},
    {48.1173, 11.516666666666667, -2147483647 - 1, kNaN, kNaN},
    {10, 1e300, 0, kNaN, kNaN}, {10, kNaN, 0, kNaN, kNaN},
    // clang-format on
};

void ExpectKilometres(double actual, double expected) {
  if (std::isnan(expected)) {
    EXPECT_TRUE(std::isnan(actual)) << actual;
  } else {
    EXPECT_NEAR(actual, expected, kMillimetre);
  }
}

TEST(ProjectUtm, Points) {
  for (const auto& point : kPoints) {
    SCOPED_TRACE(testing::Message()
                 << point.latitude << ' ' << point.longitude << " on " << point.ellipsoid);
    double northing = -1.0, easting = -1.0;
    ProjectUtm(&northing, &easting, point.latitude, point.longitude, point.ellipsoid);
    ExpectKilometres(northing, point.northing);
    ExpectKilometres(easting, point.easting);
  }
}

// Krüger's series to n⁶ for the exact transverse Mercator on WGS 84, good to a few
// nanometres within the zone (Karney 2011, "Transverse Mercator with an accuracy of a few
// nanometers", J. Geodesy 85: conformal latitude, then eqs. 35-36). Metres, no false
// easting or northing (ProjectUtm gives southern northings negative).
void KruegerUtm(double* northing, double* easting, double latitude, double offset) {
  constexpr double kA = 6378137.0, kF = 1 / 298.257223563, kRad = M_PI / 180;
  const double n = kF / (2 - kF), e = std::sqrt(kF * (2 - kF));
  const double alpha[6] = {
      n * (1. / 2 +
           n * (-2. / 3 + n * (5. / 16 + n * (41. / 180 + n * (-127. / 288 + n * 7891. / 37800))))),
      n * n *
          (13. / 48 +
           n * (-3. / 5 + n * (557. / 1440 + n * (281. / 630 + n * -1983433. / 1935360)))),
      n * n * n * (61. / 240 + n * (-103. / 140 + n * (15061. / 26880 + n * 167603. / 181440))),
      n * n * n * n * (49561. / 161280 + n * (-179. / 168 + n * 6601661. / 7257600)),
      n * n * n * n * n * (34729. / 80640 + n * -3418889. / 1995840),
      n * n * n * n * n * n * 212378941. / 319334400};
  const double s = std::sin(latitude * kRad), lambda = offset * kRad;
  const double tau = std::sinh(std::atanh(s) - e * std::atanh(e * s));  // conformal
  const double xi0 = std::atan2(tau, std::cos(lambda));
  const double eta0 = std::asinh(std::sin(lambda) / std::hypot(tau, std::cos(lambda)));
  double xi = xi0, eta = eta0;
  for (int j = 1; j <= 6; ++j) {
    xi += alpha[j - 1] * std::sin(2 * j * xi0) * std::cosh(2 * j * eta0);
    eta += alpha[j - 1] * std::cos(2 * j * xi0) * std::sinh(2 * j * eta0);
  }
  const double rectifying =
      kA / (1 + n) * (1 + n * n / 4 + std::pow(n, 4) / 64 + std::pow(n, 6) / 256);
  *northing = 0.9996 * rectifying * xi;
  *easting = 0.9996 * rectifying * eta;
}

// The series form stays within its stated 0.114 m of the exact projection across the
// zone, from 80° S to 84° N and out to 3° from the central meridian.
TEST(ProjectUtm, WithinItsStatedAccuracyAcrossTheZone) {
  double worst_north = 0, worst_east = 0;
  for (double latitude = -80; latitude <= 84; latitude += 2) {
    for (double offset = 0; offset <= 3; offset += 0.25) {
      double northing, easting, exact_north, exact_east;
      ProjectUtm(&northing, &easting, latitude, 9 - offset, 0);  // zone 32: 6° to 12° E
      KruegerUtm(&exact_north, &exact_east, latitude, -offset);
      worst_north = std::max(worst_north, std::fabs(northing * 1000 - exact_north));
      worst_east = std::max(worst_east, std::fabs(easting * 1000 - 500000 - exact_east));
    }
  }
  EXPECT_LT(std::max(worst_north, worst_east), 0.12) << worst_north << ", " << worst_east << " m";
}

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
    {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,-0.5,M", 0, {123519, 48.1173, 11.5166667, -0.5, 5332.401, 687.300}},
    {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.,M", 0, {123519, 48.1173, 11.5166667, 545, 5332.401, 687.300}},
    {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,.4,M", 0, {123519, 48.1173, 11.5166667, 0.4, 5332.401, 687.300}},
    // A field of fourteen characters is still read.
    {"$GPGGA,123519,4807.038000000,N,01131.000,E,1,08,0.9,545.4,", 0, kTextbook},
    // Cut right after the comma that closes the altitude: still a fix.
    {"$GPGGA,123519,4807.038,N,01131.000,E,,,,545.4,", 0, kTextbook},
};
// clang-format on

// clang-format off
const char* const kRejected[] = {
    "", "$G", "$GPGGA", "$GPGGA,", "$GPGGA,123519",
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
    // No altitude, or the text ends before the comma that closes it, after a comma too;
    // a NUL ends the text.
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,,M",
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4",
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,",
    "$GPGGA,123519,4807.038,N,01131.000,E,",
    "$GPGGA,120001,4807.050,N,", "$GPGGA,123519,",
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4\0,M,46.9,M,,*47",
    // Fifteen characters, in a field that is read or one that is not.
    "$GPGGA,123519,4807.0380000000,N,01131.000,E,1,08,0.9,545.4,",
    "$GPGGA,123519,4807.038,N,01131.000,E,1,123456789012345,0.9,545.4,",
    "$\xff\xfeGGA,\x80,\x81",
};
// clang-format on

bool Decode(const char* sentence, int32_t ellipsoid, GgaFix* fix) {
  return DecodeGga(sentence, ellipsoid, &fix->time, &fix->latitude, &fix->longitude, &fix->altitude,
                   &fix->northing, &fix->easting) == 1;
}

TEST(DecodeGga, AcceptedAndRejected) {
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
  for (const char* sentence : kRejected) {
    GgaFix fix;
    EXPECT_FALSE(Decode(sentence, 0, &fix)) << sentence;
  }
  double t = 7;  // a missing place rejects the sentence and writes nothing
  EXPECT_EQ(DecodeGga(kAccepted[0].sentence, 0, &t, &t, &t, &t, &t, nullptr), 0);
  EXPECT_EQ(t, 7);
}

}  // namespace
