#include "nmea/project_utm.h"

#include <gtest/gtest.h>

#include <cmath>

#include "nmea/ellipsoid_table.h"

namespace {

// Results are given to six decimals of a kilometre: half a millimetre.
constexpr double kMillimetre = 5e-7;
constexpr double kMunichLatitude = 48.1173;
constexpr double kMunichLongitude = 11.516666666666667;

struct Projected {
  double northing;
  double easting;
};

Projected Project(double latitude, double longitude, int32_t ellipsoid = 0) {
  Projected p{-1.0, -1.0};
  ProjectUtm(&p.northing, &p.easting, latitude, longitude, ellipsoid);
  return p;
}

TEST(ProjectUtm, WorkedExampleEllipsoidTerms) {
  EllipsoidTerms t;
  ASSERT_TRUE(ComputeEllipsoidTerms(0, &t));
  // The first eccentricity, not the second (a² − b²)/b².
  EXPECT_EQ(t.e2, 0.006694380004260828);
  EXPECT_EQ(t.n, 0.0016792203899373642);
  EXPECT_EQ(t.arc_a, 6367449.145800845);
  EXPECT_EQ(t.arc_b, 16038.508696860588);
  EXPECT_EQ(t.arc_c, 16.832613334334404);
  EXPECT_EQ(t.arc_d, 0.021984404202070495);
  EXPECT_EQ(t.arc_e, 3.1148371319282946e-05);
  EXPECT_FALSE(ComputeEllipsoidTerms(11, &t));
  EXPECT_FALSE(ComputeEllipsoidTerms(-1, &t));
}

TEST(ProjectUtm, WorkedExample) {
  const Projected p = Project(kMunichLatitude, kMunichLongitude);
  EXPECT_NEAR(p.northing, 5332.401245, kMillimetre);
  EXPECT_NEAR(p.easting, 687.299593, kMillimetre);
}

TEST(ProjectUtm, OtherEllipsoids) {
  const Projected hayford = Project(kMunichLatitude, kMunichLongitude, 5);
  EXPECT_NEAR(hayford.northing, 5332.505601, kMillimetre);
  EXPECT_NEAR(hayford.easting, 687.308439, kMillimetre);
  const Projected everest = Project(kMunichLatitude, kMunichLongitude, 10);
  EXPECT_NEAR(everest.northing, 5331.892360, kMillimetre);
  EXPECT_NEAR(everest.easting, 687.271372, kMillimetre);
}

TEST(ProjectUtm, CentralMeridiansAndTheEquator) {
  const Projected origin = Project(0, 0);
  EXPECT_NEAR(origin.northing, 0.0, kMillimetre);
  EXPECT_NEAR(origin.easting, 166.021557, kMillimetre);
  EXPECT_EQ(Project(0, 3).easting, 500.0);
  const Projected south = Project(-45, 3);
  EXPECT_NEAR(south.northing, -4982.950400, kMillimetre);
  EXPECT_EQ(south.easting, 500.0);
  const Projected chile = Project(-33.85, -70.3);
  EXPECT_NEAR(chile.northing, -3746.284546, kMillimetre);
  EXPECT_NEAR(chile.easting, 379.733264, kMillimetre);
}

TEST(ProjectUtm, ZoneBoundariesBelongToTheZoneEastOfThem) {
  const Projected boundary = Project(45, 12.0);
  EXPECT_NEAR(boundary.northing, 4987.329504, kMillimetre);
  EXPECT_NEAR(boundary.easting, 263.553930, kMillimetre);
  EXPECT_NEAR(Project(45, 11.999999).easting, 736.445991, kMillimetre);
  const Projected west_of_greenwich = Project(10, -0.5);
  EXPECT_NEAR(west_of_greenwich.northing, 1106.451278, kMillimetre);
  EXPECT_NEAR(west_of_greenwich.easting, 774.071014, kMillimetre);
}

TEST(ProjectUtm, NoWrapAndNoPoleSpecialCase) {
  const Projected dateline = Project(60, 180.0);
  EXPECT_NEAR(dateline.northing, 6655.205484, kMillimetre);
  EXPECT_NEAR(dateline.easting, 332.705153, kMillimetre);
  const Projected north_pole = Project(90, 3);
  EXPECT_NEAR(north_pole.northing, 9997.964943, kMillimetre);
  EXPECT_NEAR(north_pole.easting, 500.0, kMillimetre);
  EXPECT_NEAR(Project(-90, 3).northing, -9997.964943, kMillimetre);
}

TEST(ProjectUtm, NullPlacesAreSkipped) {
  double easting = -1.0;
  ProjectUtm(nullptr, &easting, kMunichLatitude, kMunichLongitude, 0);
  EXPECT_NEAR(easting, 687.299593, kMillimetre);
  double northing = -1.0;
  ProjectUtm(&northing, nullptr, kMunichLatitude, kMunichLongitude, 0);
  EXPECT_NEAR(northing, 5332.401245, kMillimetre);
  ProjectUtm(nullptr, nullptr, kMunichLatitude, kMunichLongitude, 0);
}

TEST(ProjectUtm, EllipsoidOutsideTheTableGivesNaN) {
  for (int32_t index : {-1, 11, 1 << 30, -2147483647 - 1}) {
    const Projected p = Project(kMunichLatitude, kMunichLongitude, index);
    EXPECT_TRUE(std::isnan(p.northing)) << index;
    EXPECT_TRUE(std::isnan(p.easting)) << index;
  }
}

TEST(ProjectUtm, LongitudesBeyondAnyZoneGiveNaN) {
  EXPECT_TRUE(std::isnan(Project(10, 1e300).easting));
  EXPECT_TRUE(std::isnan(Project(10, -INFINITY).northing));
  EXPECT_TRUE(std::isnan(Project(10, NAN).easting));
  // The largest longitude a field can carry still has a zone.
  EXPECT_TRUE(std::isfinite(Project(10, 2147483647.0 / 60).easting));
}

}  // namespace
