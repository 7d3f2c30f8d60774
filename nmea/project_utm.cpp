// The UTM grid by the classic series of the US Army's grid manual (TM 5-241-8, 1958):
// a meridian arc S in the third flattening n, and easting and northing as powers of p,
// the longitude from the zone's central meridian in units of 10⁴ seconds of arc:
//
//   northing = K1 + K2·p² + K3·p⁴          easting = 500 km + K4·p + K5·p³
//
// Accuracy, measured on every ellipsoid of the table against an exact transverse
// Mercator (GeographicLib's TransverseMercatorExact, and Krüger's series to n⁶): at most
// 0.114 m at the zone edges, 3° from the central meridian (worst on the equator, in the
// easting), 0.05 m at 2.5°, 0.02 m at 2°, under 1 mm within 1° and on the central
// meridian itself. Where the manual has the second eccentricity e′² in K3 and K5, this
// code has always used the first, e²; that moves a result by at most 7 mm and is kept,
// so figures shown and recorded stay the same.
//
// Every product is evaluated in the order written (see -ffp-contract=off in
// CMakeLists.txt): reordering the factors would change the last bits of the results.
#include "nmea/project_utm.h"

#include <cmath>
#include <limits>

#include "nmea/ellipsoid_table.h"

namespace {

constexpr double kScale = 0.9996;           // k₀, the scale on the central meridian
constexpr double kFalseEasting = 500000.0;  // m, the central meridian's easting
constexpr double kPi = 3.141592653589793;
constexpr double kDegreesPerHalfTurn = 180.0;
constexpr double kKilometresPerMetre = 0.001;

// σ = sin 1″ = sin(π/648000) and its powers. The manual's terms carry them because its
// formulas take angles in seconds of arc.
constexpr double kSinArcSecond = 4.848136811076368e-06;
constexpr double kSinArcSecond2 = kSinArcSecond * kSinArcSecond;
constexpr double kSinArcSecond3 = kSinArcSecond2 * kSinArcSecond;
constexpr double kSinArcSecond4 = kSinArcSecond2 * kSinArcSecond2;

// p counts units of 10⁴″ (so one degree is 3600″ / 10⁴ = 0.36 units); the powers of
// 10⁴ turn p, p², p³, p⁴ back into seconds of arc.
constexpr double kPPerDegree = 0.36;
constexpr double kArcSecondsPerP = 1e4;
constexpr double kArcSecondsPerP2 = kArcSecondsPerP * kArcSecondsPerP;
constexpr double kArcSecondsPerP3 = kArcSecondsPerP2 * kArcSecondsPerP;
constexpr double kArcSecondsPerP4 = kArcSecondsPerP2 * kArcSecondsPerP2;

// Zones are 6° wide; zone 1 begins at 180° W, so zone 31 begins at Greenwich. A zone
// boundary belongs to the zone east of it.
constexpr double kZoneDegrees = 6.0;

// Zones beyond this are outside any longitude a receiver can send; they give NaN.
constexpr double kZoneLimit = 1e9;

// The meridian arc from the equator, S = A′φ − B′ sin 2φ + C′ sin 4φ − D′ sin 6φ + E′ sin 8φ,
// with coefficients in n to n⁵:
//   A′ = a [1 − n + 5/4 (n² − n³) + 81/64 (n⁴ − n⁵)]
//   B′ = 3/2 a n [1 − n + 7/8 (n² − n³) + 55/64 (n⁴ − n⁵)]
//   C′ = 15/16 a n² [1 − n + 3/4 (n² − n³)]
//   D′ = 35/48 a n³ [1 − n + 11/16 (n² − n³)]
//   E′ = 315/512 a n⁴ (1 − n)
// The fractions of A′ to C′ are written as the decimals they are exactly.
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

void ProjectUtm(double* northing, double* easting, double latitude, double longitude,
                int32_t ellipsoid) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  const double zone_floor = std::floor(longitude / kZoneDegrees);  // zone number − 31
  if (ellipsoid < 0 || ellipsoid >= kEllipsoidCount || !(std::fabs(zone_floor) < kZoneLimit)) {
    Store(northing, easting, kNaN, kNaN);
    return;
  }
  const EllipsoidTerms& t = kTerms[ellipsoid];

  const double phi = latitude * kPi / kDegreesPerHalfTurn;
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
  // ν, the radius of curvature in the prime vertical.
  const double nu = t.a / std::sqrt(1 - t.e2 * sin_phi * sin_phi);

  // The central meridian lies half a zone east of the zone's western boundary. Both are
  // whole degrees, so the difference below is the same as in integers.
  const double central_meridian = (zone_floor + 0.5) * kZoneDegrees;
  const double p = kPPerDegree * (longitude - central_meridian);
  const double p2 = p * p;
  const double p3 = p2 * p;
  const double p4 = p2 * p2;

  // K1 = S k₀
  const double k1 = arc * kScale;
  // K2 = ν sin φ cos φ sin²1″ k₀ · 10⁸ / 2
  const double k2 = nu * sin_phi * cos_phi * kSinArcSecond2 * kScale * (kArcSecondsPerP2 / 2);
  // K3 = k₀ sin⁴1″ ν sin φ cos³φ (5 − tan²φ + 9 e² cos²φ + 4 e⁴ cos⁴φ) · 10¹⁶ / 24
  const double k3 = kScale * kSinArcSecond4 * nu * sin_phi * cos3 *
                    (5 - tan2 + 9 * t.e2 * cos2 + 4 * t.e4 * cos4) * kArcSecondsPerP4 / 24;
  // K4 = ν cos φ sin 1″ k₀ · 10⁴
  const double k4 = nu * cos_phi * kSinArcSecond * kScale * kArcSecondsPerP;
  // K5 = 10¹² k₀ sin³1″ ν cos³φ (1 − tan²φ + e² cos²φ) / 6
  const double k5 =
      kArcSecondsPerP3 * kScale * kSinArcSecond3 * nu * cos3 * ((1 - tan2) + t.e2 * cos2) / 6;

  Store(northing, easting, kKilometresPerMetre * (k1 + k2 * p2 + k3 * p4),
        kKilometresPerMetre * (kFalseEasting + k4 * p + k5 * p3));
}
