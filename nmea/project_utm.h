// Transverse Mercator projection of the UTM grid, in its series form.
#pragma once

#include <cstdint>

// What the projection derives from one ellipsoid alone.
struct EllipsoidTerms {
  double a;      // semi-major axis, m
  double e2;     // first eccentricity squared, (a² − b²)/a²
  double e4;     // e2 squared
  double n;      // (a − b)/(a + b)
  double arc_a;  // meridian-arc coefficients A′ to E′, m
  double arc_b;
  double arc_c;
  double arc_d;
  double arc_e;
};

// Northing and easting in km of a position in degrees on ellipsoid `ellipsoid`.
// No zone is reported, southern latitudes give negative northings, and the longitude
// is neither wrapped nor range-checked. A null place is skipped. An ellipsoid index
// outside 0 to 10, or a longitude too large to name a zone, gives NaN in both places.
void ProjectUtm(double* northing, double* easting, double latitude, double longitude,
                int32_t ellipsoid);
