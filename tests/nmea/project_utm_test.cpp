#include "nmea/project_utm.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

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
    // Munich on WGS 84, International 1924 and Everest 1830.
    {48.1173, 11.516666666666667, 0, 5332.401245, 687.299593},
    {48.1173, 11.516666666666667, 5, 5332.505601, 687.308439},
    {48.1173, 11.516666666666667, 10, 5331.892360, 687.271372},
    // The equator, central meridians, the south.
    {0, 0, 0, 0.0, 166.021557},
    {0, 3, 0, 0.0, 500.0},
    {-45, 3, 0, -4982.950400, 500.0},
    {-33.85, -70.3, 0, -3746.284546, 379.733264},
    // Either side of a zone boundary; west of Greenwich.
    {45, 12.0, 0, 4987.329504, 263.553930},
    {45, 11.999999, 0, 4987.329502, 736.445991},
    {10, -0.5, 0, 1106.451278, 774.071014},
    // The date line and the poles.
    {60, 180.0, 0, 6655.205484, 332.705153},
    {90, 3, 0, 9997.964943, 500.0},
    {-90, 3, 0, -9997.964943, 500.0},
    // The largest longitude a field can carry still has a zone.
    {10, 2147483647.0 / 60, 0, 1105.542090, 403.187006},
    // No ellipsoid, or no zone: NaN.
    {48.1173, 11.516666666666667, -1, kNaN, kNaN},
    {48.1173, 11.516666666666667, 11, kNaN, kNaN},
    {48.1173, 11.516666666666667, -2147483647 - 1, kNaN, kNaN},
    {10, 1e300, 0, kNaN, kNaN},
    {10, kNaN, 0, kNaN, kNaN},
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

}  // namespace
