// The reference ellipsoids that positions can be projected on.
#pragma once

#include <cstdint>

inline constexpr int32_t kEllipsoidCount = 11;
inline constexpr int32_t kEllipsoidWgs84 = 0;

// Semi-major and semi-minor axes in metres, as two parallel arrays:
// 0 WGS 84, 1 GRS 80, 2 WGS 72, 3 Australian National 1965, 4 Krassowsky 1940,
// 5 International 1924, 6 Clarke 1880, 7 Clarke 1866, 8 Airy 1830, 9 Bessel 1841,
// 10 Everest 1830.
struct EllipsoidTable {
  double semi_major[kEllipsoidCount];
  double semi_minor[kEllipsoidCount];
};

extern const EllipsoidTable kEllipsoidTable;
