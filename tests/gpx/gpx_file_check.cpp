#include "tests/gpx/gpx_file_check.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "tests/support/run_program.h"

std::vector<std::string> FileLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);)
    lines.push_back(line);
  return lines;
}

std::vector<GpxWaypointText> ReadFinishedGpx(const std::string& path) {
  static const std::regex time(R"re(  <time>\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ</time>)re");
  static const std::regex wpt(R"re(  <wpt lat="(-?\d+\.\d{6})" lon="(-?\d+\.\d{6})">)re");
  static const std::regex wpt_time(R"re(    <time>\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ</time>)re");
  static const std::regex ele(R"re(    <ele>(-?\d+\.\d{6})</ele>)re");
  static const std::regex name(R"re(    <name>(\d+)</name>)re");
  static const std::regex bounds(
      R"re(  <bounds minlat="-?\d+\.\d{6}" minlon="-?\d+\.\d{6}" maxlat="-?\d+\.\d{6}" maxlon="-?\d+\.\d{6}"/>)re");
  std::vector<GpxWaypointText> waypoints;
  const std::vector<std::string> lines = FileLines(path);
  if (lines.size() < 5) {
    ADD_FAILURE() << path << ": only " << lines.size() << " lines";
    return waypoints;
  }
  EXPECT_EQ(lines[0], "<?xml version=\"1.0\"?>");
  EXPECT_EQ(lines[1], "<gpx xmlns=\"http://www.topografix.com/GPX/1/0\">");
  EXPECT_TRUE(std::regex_match(lines[2], time)) << lines[2];
  size_t i = 3;
  std::smatch m;
  while (i + 8 <= lines.size() - 2) {
    GpxWaypointText w;
    if (!std::regex_match(lines[i], m, wpt)) break;
    w.lat = m[1], w.lon = m[2];
    const std::string number = std::to_string(waypoints.size());
    const bool complete =
        std::regex_match(lines[i + 1], wpt_time) && std::regex_match(lines[i + 2], m, ele) &&
        (w.ele = m[1], std::regex_match(lines[i + 3], m, name)) && m[1] == number &&
        lines[i + 4] == "    <desc>" + number + "</desc>" && lines[i + 5] == "    <sym>Dot</sym>" &&
        lines[i + 6] == "    <type>Dot</type>" && lines[i + 7] == "  </wpt>";
    if (!complete) {
      ADD_FAILURE() << path << ": waypoint " << number << " at line " << i + 1 << " is broken";
      return waypoints;
    }
    w.name = number;
    waypoints.push_back(w);
    i += 8;
  }
  EXPECT_EQ(i, lines.size() - 2) << path << ": unexpected line " << lines[i];
  EXPECT_TRUE(std::regex_match(lines[lines.size() - 2], bounds)) << lines[lines.size() - 2];
  EXPECT_EQ(lines.back(), "</gpx>");
  return waypoints;
}

std::vector<BabelWaypoint> GpsbabelWaypoints(const std::string& path) {
  const ProgramResult result =
      RunProgram({"/usr/bin/gpsbabel", "-i", "gpx", "-f", path, "-o", "csv", "-F", "-"});
  EXPECT_EQ(result.exit_status, 0) << result.err;
  std::vector<BabelWaypoint> waypoints;
  std::istringstream in(result.out);
  for (std::string line; std::getline(in, line);) {
    BabelWaypoint w{};
    char name[64] = "";
    if (sscanf(line.c_str(), "%lf, %lf, %63s", &w.lat, &w.lon, name) != 3) {
      ADD_FAILURE() << "GPSBabel wrote '" << line << "'";
      continue;
    }
    w.name = name;
    waypoints.push_back(w);
  }
  return waypoints;
}
