// Reading back GPX files the recorder wrote.
#pragma once

#include <string>
#include <vector>

struct GpxWaypointText {
  std::string lat, lon, ele, name;
};

// GGA fixes numbered from..to-1, each a metre higher than the one before, so each is a
// waypoint of its own.
std::string ClimbingFixes(int from, int to);

// A GPX file's text with each timestamp that is the current UTC time (within
// kNowSeconds, for a loaded machine) masked as "TIME", as in the expected files; any
// other time stays, so that a comparison shows it.
inline constexpr long long kNowSeconds = 120;
std::string MaskedTimes(const std::string& path);

// Checks the whole layout of a finished file (header, complete waypoints numbered
// from 0, bounds, closing tag, nothing after) and returns its waypoints; on a layout
// error adds a test failure and returns what was read so far.
std::vector<GpxWaypointText> ReadFinishedGpx(const std::string& path);

struct BabelWaypoint {
  double lat, lon;
  std::string name;
};

// The waypoints GPSBabel reads from a GPX file (its CSV output: "lat, lon, name",
// five decimals).
std::vector<BabelWaypoint> GpsbabelWaypoints(const std::string& path);
