#include "tools/decode/decode_options.h"

#include <cstdlib>
#include <cstring>

#include "nmea/ellipsoid_table.h"

const char kDecodeUsage[] =
    "Usage: tavik-decode [--ellipsoid N] [--all | --readouts] [--gpx OUT] [FILE...]\n"
    "Decodes the GGA sentences of NMEA 0183 logs (standard input without FILE) and\n"
    "prints one CSV row per fix: time,latitude,longitude,altitude,northing_km,easting_km.\n"
    "\n"
    "  --ellipsoid N  project on ellipsoid N (0 WGS 84 .. 10 Everest 1830; default 0)\n"
    "  --all          one row per received line; lines not decoded print 'rejected'\n"
    "  --readouts     instead of CSV, one line per window update: the change bits in\n"
    "                 hexadecimal, then TAB and the text of each read-out (time,\n"
    "                 altitude, latitude, longitude, northing, easting)\n"
    "  --gpx OUT      record the changed positions into the GPX file OUT, as the window\n"
    "                 does; SIGINT and SIGTERM end the input and finish the file\n"
    "  --help         show this help\n";

namespace {

bool ParseInt(const char* text, long low, long high, int32_t* value) {
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  const long parsed = strtol(text, &end, 10);
  if (*end != '\0' || parsed < low || parsed > high) return false;
  *value = static_cast<int32_t>(parsed);
  return true;
}

}  // namespace

DecodeCommand ParseDecodeOptions(int argc, char** argv, DecodeOptions* options,
                                 std::string* error) {
  bool only_files = false;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (only_files || arg[0] != '-' || strcmp(arg, "-") == 0) {
      options->files.emplace_back(arg);
    } else if (strcmp(arg, "--") == 0) {
      only_files = true;
    } else if (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0) {
      return DecodeCommand::kHelp;
    } else if (strcmp(arg, "--all") == 0) {
      options->all = true;
    } else if (strcmp(arg, "--readouts") == 0) {
      options->readouts = true;
    } else if (strcmp(arg, "--gpx") == 0) {
      const char* value = i + 1 < argc ? argv[++i] : nullptr;
      if (value == nullptr || *value == '\0') {
        *error = "--gpx needs the name of the file to record into";
        return DecodeCommand::kUsageError;
      }
      options->gpx_path = value;
    } else if (strcmp(arg, "--ellipsoid") == 0) {
      const char* value = i + 1 < argc ? argv[++i] : nullptr;
      if (!ParseInt(value, 0, kEllipsoidCount - 1, &options->ellipsoid)) {
        *error = std::string("ellipsoid must be a number from 0 to 10, not '") +
                 (value ? value : "") + "'";
        return DecodeCommand::kUsageError;
      }
    } else {
      *error = std::string("unknown option '") + arg + "'";
      return DecodeCommand::kUsageError;
    }
  }
  // Read-outs change only when a fix does; a rejected line has nothing to show.
  if (options->all && options->readouts) {
    *error = "--all and --readouts cannot be combined";
    return DecodeCommand::kUsageError;
  }
  return DecodeCommand::kDecode;
}
