#include "nmea/project_utm.h"

#include <cmath>
#include <limits>

#include "nmea/ellipsoid_table.h"

namespace {

constexpr double kScale = 0.9996;                        // k₀ on the central meridian
constexpr double kSinArcSecond = 4.848136811076368e-06;  // σ = sin(π/648000)
constexpr double kSinArcSecond2 = 2.350443053891373e-11;
constexpr double kSinArcSecond3 = 1.139526949190952e-16;
constexpr double kSinArcSecond4 = 5.5245825495862045e-22;
constexpr double kPi = 3.141592653589793;
constexpr double kFalseEasting = 500000.0;  // m
constexpr double kKilometresPerMetre = 0.001;

// Zones beyond this are outside any longitude a receiver can send; their number
// would not fit an integer.
constexpr double kZoneLimit = 1e9;

EllipsoidTerms MakeTerms(int32_t index) {
  EllipsoidTerms t;
  const double a = kEllipsoidTable.semi_major[index];
  const double b = kEllipsoidTable.semi_minor[index];
  t.a = a;
  const double e = std::sqrt((a * a - b * b) / (a * a));
  t.e2 = e * e;
  t.e4 = t.e2 * t.e2;
  const double n = (a - b) / (a + b);
  const double n2 = n * n;
  const double n3 = n2 * n;
  const double n4 = n3 * n;
  const double n5 = n4 * n;
  t.n = n;
  t.arc_a = a * ((1 - n) + 1.25 * (n2 - n3) + 1.265625 * (n4 - n5));
  t.arc_b = 1.5 * a * n * ((1 - n) + 0.875 * (n2 - n3) + 0.859375 * (n4 - n5));
  t.arc_c = 0.9375 * a * n2 * ((1 - n) + 0.75 * (n2 - n3));
  t.arc_d = 35 * a * n3 * ((1 - n) + 11 * (n2 - n3) / 16) / 48;
  t.arc_e = 315 * a * n4 * (1 - n) / 512;
  return t;
}

// The terms depend on the ellipsoid alone, so they are computed once, by the very
// code that would compute them per call.
const EllipsoidTerms kTerms[kEllipsoidCount] = {
    MakeTerms(0), MakeTerms(1), MakeTerms(2), MakeTerms(3), MakeTerms(4),  MakeTerms(5),
    MakeTerms(6), MakeTerms(7), MakeTerms(8), MakeTerms(9), MakeTerms(10),
};

void Store(double* northing, double* easting, double north, double east) {
  if (northing != nullptr) *northing = north;
  if (easting != nullptr) *easting = east;
}

}  // namespace

bool ComputeEllipsoidTerms(int32_t index, EllipsoidTerms* terms) {
  if (index < 0 || index >= kEllipsoidCount || terms == nullptr) return false;
  *terms = MakeTerms(index);
  return true;
}

void ProjectUtm(double* northing, double* easting, double latitude, double longitude,
                int32_t ellipsoid) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  const double zone_floor = std::floor(longitude / 6);
  if (ellipsoid < 0 || ellipsoid >= kEllipsoidCount || !(std::fabs(zone_floor) < kZoneLimit)) {
    Store(northing, easting, kNaN, kNaN);
    return;
  }
  const EllipsoidTerms& t = kTerms[ellipsoid];

  const double phi = latitude * kPi / 180;
  const double phi2 = phi + phi;
  const double phi4 = phi2 + phi2;
  const double phi6 = phi4 + phi2;
  const double phi8 = phi4 + phi4;
  const double arc = t.arc_a * phi - t.arc_b * std::sin(phi2) + t.arc_c * std::sin(phi4) -
                     t.arc_d * std::sin(phi6) + t.arc_e * std::sin(phi8);

  const double sin_phi = std::sin(phi);
  const double cos_phi = std::cos(phi);
  const double cos2 = cos_phi * cos_phi;
  const double cos3 = cos2 * cos_phi;
  const double cos4 = cos2 * cos2;
  const double tan_phi = std::tan(phi);
  const double tan2 = tan_phi * tan_phi;
  const double nu = t.a / std::sqrt(1 - t.e2 * sin_phi * sin_phi);

  const int zone = static_cast<int>(zone_floor) + 31;
  const int central_meridian = 6 * zone - 183;
  const double p = 0.36 * (longitude - central_meridian);
  const double p2 = p * p;
  const double p3 = p2 * p;
  const double p4 = p2 * p2;

  const double k1 = arc * kScale;
  const double k2 = nu * sin_phi * cos_phi * kSinArcSecond2 * kScale * 5e7;
  const double k3 = kScale * kSinArcSecond4 * nu * sin_phi * cos3 *
                    (5 - tan2 + 9 * t.e2 * cos2 + 4 * t.e4 * cos4) * 1e16 / 24;
  const double k4 = nu * cos_phi * kSinArcSecond * kScale * 1e4;
  const double k5 = 1e12 * kScale * kSinArcSecond3 * nu * cos3 * ((1 - tan2) + t.e2 * cos2) / 6;

  Store(northing, easting, kKilometresPerMetre * (k1 + k2 * p2 + k3 * p4),
        kKilometresPerMetre * (kFalseEasting + k4 * p + k5 * p3));
}
