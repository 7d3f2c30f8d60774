// Decoding of NMEA GGA sentences into a fix.
#pragma once

#include <cstdint>

// The six values of a fix, always in this order.
struct GgaFix {
  double time;       // UTC as the number hhmmss, with any fraction of a second
  double latitude;   // degrees, north positive
  double longitude;  // degrees, east positive
  double altitude;   // metres, as sent
  double northing;   // UTM, km
  double easting;    // UTM, km
};

// A field holds at most this many characters; a longer one rejects the sentence.
inline constexpr int kGgaFieldMax = 14;

// Decodes "$ttGGA,time,lat,N|S,lon,E|W,quality,satellites,hdop,altitude,..." and
// projects the position on `ellipsoid` (passed to ProjectUtm unchanged). The
// checksum and everything after the altitude are never read. Returns 1 when
// the sentence is accepted, 0 when rejected; a rejected sentence's outputs carry
// no meaning.
int DecodeGga(const char* sentence, int32_t ellipsoid, double* time, double* latitude,
              double* longitude, double* altitude, double* northing, double* easting);
