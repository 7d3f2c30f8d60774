#include "tests/gpx/gpx_file_check.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <regex>
#include <sstream>

#include "tests/support/run_program.h"
#include "tests/support/shared_data.h"

std::string ClimbingFixes(int from, int to) {
  std::string log;
  for (int i = from; i < to; ++i)
    log += "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9," + std::to_string(i) + ",M,,M,,*00\n";
  return log;
}

std::string MaskedTimes(const std::string& path) {
  std::string text, masked;
  ReadWholeFile(path, &text);
  static const std::regex stamp(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)");
  auto rest = text.cbegin();
  for (std::sregex_iterator it(text.begin(), text.end(), stamp), end; it != end; ++it) {
    tm fields{};
    strptime(it->str().c_str(), "%Y-%m-%dT%H:%M:%SZ", &fields);
    const bool now = std::llabs(timegm(&fields) - time(nullptr)) <= kNowSeconds;
    masked.append(rest, (*it)[0].first).append(now ? "TIME" : it->str());
    rest = (*it)[0].second;
  }
  return masked.append(rest, text.cend());
}

std::vector<GpxWaypointText> ReadFinishedGpx(const std::string& path) {
  const std::string n = R"((-?\d+\.\d{6}))",
                    time = R"(<time>\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ</time>)";
  static const std::regex header(R"(<\?xml version="1.0"\?>
<gpx xmlns="http://www.topografix.com/GPX/1/0">
  )" + time + "\n");
  static const std::regex waypoint("  <wpt lat=\"" + n + "\" lon=\"" + n + "\">\n    " + time +
                                   "\n    <ele>" + n + R"(</ele>
    <name>(\d+)</name>
    <desc>\4</desc>
    <sym>Dot</sym>
    <type>Dot</type>
  </wpt>
)");
  static const std::regex trailer("  <bounds minlat=\"" + n + "\" minlon=\"" + n + "\" maxlat=\"" +
                                  n + "\" maxlon=\"" + n + "\"/>\n</gpx>\n");
  std::string text;
  ReadWholeFile(path, &text);
  std::vector<GpxWaypointText> waypoints;
  std::smatch m;
  auto at = text.cbegin();
  const auto here = std::regex_constants::match_continuous;
  if (std::regex_search(at, text.cend(), m, header, here)) at = m[0].second;
  for (; std::regex_search(at, text.cend(), m, waypoint, here) &&
         m[4] == std::to_string(waypoints.size());  // numbered from 0
       at = m[0].second)
    waypoints.push_back({m[1], m[2], m[3], m[4]});
  EXPECT_TRUE(at != text.cbegin() && std::regex_match(at, text.cend(), trailer))
      << path << " breaks at byte " << at - text.cbegin() << ": "
      << std::string(at, text.cend()).substr(0, 300);
  return waypoints;
}

std::vector<BabelWaypoint> GpsbabelWaypoints(const std::string& path) {
  const ProgramResult result =
      RunProgram({"/usr/bin/gpsbabel", "-i", "gpx", "-f", path, "-o", "csv", "-F", "-"});
  EXPECT_EQ(result.exit_status, 0) << result.err;
  std::vector<BabelWaypoint> waypoints;
  std::istringstream in(result.out);  // "lat, lon, name" lines
  char comma;
  for (BabelWaypoint w{}; in >> w.lat >> comma >> w.lon >> comma >> w.name;)
    waypoints.push_back(w);
  EXPECT_TRUE(in.eof()) << "GPSBabel wrote " << result.out;
  return waypoints;
}
