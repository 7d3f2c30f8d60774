#include "tools/sim/nmea_walk.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kMetresPerDegree = 111320.0;  // of latitude, and of longitude at the equator
constexpr double kStartLatitude = 47.3769;     // a park in Zurich
constexpr double kStartLongitude = 8.5417;
constexpr double kBaseAltitude = 408.0;
constexpr double kMetresPerSecondToKnots = 1.0 / 0.514444;

// "ddmm.mmmm" or "dddmm.mmmm" and the hemisphere letter.
std::string Angle(double degrees, int degree_digits, char positive, char negative) {
  const char hemisphere = degrees < 0 ? negative : positive;
  const double value = std::fabs(degrees);
  int whole = static_cast<int>(value);
  double minutes = (value - whole) * 60.0;
  if (minutes >= 59.99995) {  // would print as 60.0000
    minutes = 0;
    ++whole;
  }
  char text[32];
  snprintf(text, sizeof text, "%0*d%07.4f,%c", degree_digits, whole, minutes, hemisphere);
  return text;
}

std::string Sentence(const std::string& body) {
  return "$" + body + NmeaChecksum(body) + "\r\n";
}

}  // namespace

std::string NmeaChecksum(const std::string& body) {
  unsigned sum = 0;
  for (const char c : body)
    sum ^= static_cast<unsigned char>(c);
  char text[4];
  snprintf(text, sizeof text, "*%02X", sum & 0xFF);
  return text;
}

void WalkStart(Walk* walk) {
  *walk = Walk{kStartLatitude, kStartLongitude, 40.0, 0};
}

std::string WalkBurst(Walk* walk, time_t now) {
  const double t = walk->step;
  const double speed = 1.4 + 0.6 * std::sin(t / 17.0);  // metres per second
  const double altitude = kBaseAltitude + 12.0 * std::sin(t / 45.0) + 0.3 * std::sin(t * 1.7);
  const int satellites = 7 + static_cast<int>(t / 30) % 3;

  tm utc;
  gmtime_r(&now, &utc);
  char clock[32], date[32];
  snprintf(clock, sizeof clock, "%02d%02d%02d.00", utc.tm_hour, utc.tm_min, utc.tm_sec);
  snprintf(date, sizeof date, "%02d%02d%02d", utc.tm_mday, utc.tm_mon + 1, utc.tm_year % 100);
  const std::string latitude = Angle(walk->latitude, 2, 'N', 'S');
  const std::string longitude = Angle(walk->longitude, 3, 'E', 'W');

  char body[160];
  std::string burst;
  snprintf(body, sizeof body, "GPGGA,%s,%s,%s,1,%02d,0.9,%.1f,M,47.4,M,,", clock, latitude.c_str(),
           longitude.c_str(), satellites, altitude);
  burst += Sentence(body);
  snprintf(body, sizeof body, "GPRMC,%s,A,%s,%s,%.2f,%.1f,%s,,,A", clock, latitude.c_str(),
           longitude.c_str(), speed * kMetresPerSecondToKnots, walk->heading, date);
  burst += Sentence(body);
  // Eight satellites drifting slowly across the sky, four per GSV sentence.
  for (int part = 0; part < 2; ++part) {
    std::string gsv = "GPGSV,2," + std::to_string(part + 1) + ",08";
    for (int i = part * 4; i < part * 4 + 4; ++i) {
      const int prn = 3 + i * 4;
      const int elevation = 15 + (i * 23 + static_cast<int>(t / 60)) % 70;
      const int azimuth = (i * 45 + static_cast<int>(t / 10)) % 360;
      const int snr = 28 + (i * 7) % 20;
      snprintf(body, sizeof body, ",%02d,%02d,%03d,%02d", prn, elevation, azimuth, snr);
      gsv += body;
    }
    burst += Sentence(gsv);
  }

  // One second of walking; the heading wanders so the track curves.
  const double heading = walk->heading * kPi / 180.0;
  walk->latitude += speed * std::cos(heading) / kMetresPerDegree;
  walk->longitude +=
      speed * std::sin(heading) / (kMetresPerDegree * std::cos(walk->latitude * kPi / 180.0));
  walk->heading = std::fmod(walk->heading + 6.0 * std::sin(t / 23.0) + 360.0, 360.0);
  ++walk->step;
  return burst;
}
