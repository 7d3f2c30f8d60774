#include "nmea/decode_gga.h"

#include "nmea/parse_decimal.h"
#include "nmea/project_utm.h"

namespace {

enum GgaField : int {
  kTime = 0,
  kLatitude = 1,
  kNorthSouth = 2,
  kLongitude = 3,
  kEastWest = 4,
  kAltitude = 8,  // fields 5 to 7 (quality, satellites, dilution) are not examined
};

bool IsLetter(const char* field, int length, char letter) {
  return length == 1 && field[0] == letter;
}

}  // namespace

int DecodeGga(const char* sentence, int32_t ellipsoid, double* time, double* latitude,
              double* longitude, double* altitude, double* northing, double* easting) {
  if (sentence == nullptr || time == nullptr || latitude == nullptr || longitude == nullptr ||
      altitude == nullptr || northing == nullptr || easting == nullptr) {
    return 0;
  }
  *time = *latitude = *longitude = *altitude = *northing = *easting = 0.0;

  const char* s = sentence;
  if (s[0] != '$' || s[1] == '\0' || s[2] == '\0' || s[3] != 'G' || s[4] != 'G' || s[5] != 'A' ||
      s[6] != ',') {
    return 0;
  }
  const char* p = s + 7;
  if (*p == '\0') return 0;

  for (int k = 0;; ++k) {
    const char* field = p;
    while (*p != ',') {
      // A field ends at a comma only; the end of the text inside a field rejects.
      if (*p == '\0' || p - field > kGgaFieldMax) return 0;
      ++p;
    }
    const int length = static_cast<int>(p - field);
    if (length > kGgaFieldMax) return 0;
    switch (k) {
      case kTime:
        if (!ParseDecimalSpan(field, length, time)) return 0;
        break;
      case kLatitude:
        if (!ParseDecimalSpan(field, length, latitude)) return 0;
        *latitude = NmeaToDegrees(*latitude);
        break;
      case kNorthSouth:
        if (IsLetter(field, length, 'S')) {
          *latitude = -*latitude;
        } else if (!IsLetter(field, length, 'N')) {
          return 0;
        }
        break;
      case kLongitude:
        if (!ParseDecimalSpan(field, length, longitude)) return 0;
        *longitude = NmeaToDegrees(*longitude);
        break;
      case kEastWest:
        if (IsLetter(field, length, 'W')) {
          *longitude = -*longitude;
        } else if (!IsLetter(field, length, 'E')) {
          return 0;
        }
        break;
      case kAltitude:
        if (!ParseDecimalSpan(field, length, altitude)) return 0;
        break;
      default:
        break;
    }
    ++p;  // past the comma that closed field k
    // Only the comma after the altitude completes a fix: a text that ends earlier, even
    // right after a comma, was cut short and carries no position to trust.
    if (k == kAltitude) break;
  }
  ProjectUtm(northing, easting, *latitude, *longitude, ellipsoid);
  return 1;
}
