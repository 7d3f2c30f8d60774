#include "tools/decode/decode_options.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "gps/setting_tables.h"
#include "nmea/ellipsoid_table.h"

const char kDecodeUsage[] =
    "Usage: tavik-decode [--ellipsoid N] [--all | --readouts] [--gpx OUT] [FILE...]\n"
    "       tavik-decode --port NAME [--baud B] [--data-bits D] [--parity P]\n"
    "                    [--stop-bits S] [--timeout MS] [--count N] [--ellipsoid N]\n"
    "                    [--readouts] [--gpx OUT]\n"
    "       tavik-decode --list-ports\n"
    "Decodes the GGA sentences of NMEA 0183 logs (standard input without FILE), or of a\n"
    "live receiver, and prints one CSV row per fix:\n"
    "time,latitude,longitude,altitude,northing_km,easting_km.\n"
    "\n"
    "  --ellipsoid N   project on ellipsoid N (0 WGS 84 .. 10 Everest 1830; default 0)\n"
    "  --all           one row per received line; lines not decoded print 'rejected'\n"
    "  --readouts      instead of CSV, one line per window update: the change bits in\n"
    "                  hexadecimal, then TAB and the text of each read-out (time,\n"
    "                  altitude, latitude, longitude, northing, easting)\n"
    "  --gpx OUT       record the changed positions into the GPX file OUT, as the window\n"
    "                  does; SIGINT and SIGTERM end the input and finish the file\n"
    "  --port NAME     read the receiver on COM0: .. COM9: or a device path such as\n"
    "                  /dev/ttyUSB0, until N fixes or Ctrl-C (COMn maps through\n"
    "                  ~/.config/tavik/ports/COMn when that entry exists)\n"
    "  --baud B        256000 128000 115200 57600 38400 19200 9600 4800 2400 1200\n"
    "                  600 300 110 (default 9600)\n"
    "  --data-bits D   8 7 6 5 (default 8)\n"
    "  --parity P      N E O (default N)\n"
    "  --stop-bits S   1 2 (default 1)\n"
    "  --timeout MS    read time-out in milliseconds (default 2000)\n"
    "  --count N       stop after N fixes\n"
    "  --list-ports    list the settings and the ports that can be opened now:\n"
    "                  kind<TAB>text, and the device path for ports\n"
    "  --help          show this help\n";

namespace {

bool ParseInt(const char* text, long low, long high, int32_t* value) {
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  const long parsed = strtol(text, &end, 10);
  if (*end != '\0' || parsed < low || parsed > high) return false;
  *value = static_cast<int32_t>(parsed);
  return true;
}

bool ParseInt64(const char* text, int64_t low, int64_t high, int64_t* value) {
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  errno = 0;
  const long long parsed = strtoll(text, &end, 10);
  if (*end != '\0' || errno != 0 || parsed < low || parsed > high) return false;
  *value = parsed;
  return true;
}

// A setting option's value must be a text of its table, exactly as listed.
bool TakeSetting(const char* option, const char* value, const SettingEntry* table, int count,
                 std::string* setting, std::string* error) {
  if (value != nullptr && FindSettingEntry(table, count, value) != nullptr) {
    *setting = value;
    return true;
  }
  *error = std::string(option) + " must be one of";
  for (int i = 0; i < count; ++i)
    *error += std::string(" ") + table[i].text;
  *error += std::string(", not '") + (value ? value : "") + "'";
  return false;
}

}  // namespace

DecodeCommand ParseDecodeOptions(int argc, char** argv, DecodeOptions* options,
                                 std::string* error) {
  options->baud_rate = DefaultSettingTexts[1];
  options->data_bits = DefaultSettingTexts[2];
  options->parity = DefaultSettingTexts[3];
  options->stop_bits = DefaultSettingTexts[4];
  bool only_files = false, port_given = false, port_setting = false, list_ports = false;
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
    } else if (strcmp(arg, "--list-ports") == 0) {
      list_ports = true;
    } else if (strcmp(arg, "--port") == 0) {
      const char* value = i + 1 < argc ? argv[++i] : nullptr;
      if (value == nullptr || *value == '\0') {
        *error = "--port needs a port name such as COM1: or /dev/ttyUSB0";
        return DecodeCommand::kUsageError;
      }
      options->port = value;
      port_given = true;
    } else if (strcmp(arg, "--baud") == 0 || strcmp(arg, "--data-bits") == 0 ||
               strcmp(arg, "--parity") == 0 || strcmp(arg, "--stop-bits") == 0) {
      const char* value = i + 1 < argc ? argv[++i] : nullptr;
      const bool ok =
          strcmp(arg, "--baud") == 0
              ? TakeSetting(arg, value, BaudRateTable, kBaudRateCount, &options->baud_rate, error)
          : strcmp(arg, "--data-bits") == 0
              ? TakeSetting(arg, value, DataBitsTable, kDataBitsCount, &options->data_bits, error)
          : strcmp(arg, "--parity") == 0
              ? TakeSetting(arg, value, ParityTable, kParityCount, &options->parity, error)
              : TakeSetting(arg, value, StopBitsTable, kStopBitsCount, &options->stop_bits, error);
      if (!ok) return DecodeCommand::kUsageError;
      port_setting = true;
    } else if (strcmp(arg, "--timeout") == 0 || strcmp(arg, "--count") == 0) {
      const char* value = i + 1 < argc ? argv[++i] : nullptr;
      int64_t number = 0;
      const bool timeout = strcmp(arg, "--timeout") == 0;
      if (!ParseInt64(value, timeout ? 0 : 1, timeout ? INT32_MAX : INT64_MAX, &number)) {
        *error = std::string(arg) + (timeout ? " must be milliseconds" : " must be 1 or more") +
                 ", not '" + (value ? value : "") + "'";
        return DecodeCommand::kUsageError;
      }
      if (timeout) {
        options->timeout_ms = static_cast<int32_t>(number);
      } else {
        options->count = number;
      }
      port_setting = true;
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
  if (list_ports) {
    if (port_given || port_setting || !options->files.empty() || options->all ||
        options->readouts || !options->gpx_path.empty()) {
      *error = "--list-ports takes no other option or file";
      return DecodeCommand::kUsageError;
    }
    return DecodeCommand::kListPorts;
  }
  if (port_given) {
    if (!options->files.empty() || options->all) {
      *error = "--port reads a receiver; it takes no file and no --all";
      return DecodeCommand::kUsageError;
    }
    return DecodeCommand::kPort;
  }
  if (port_setting) {
    *error = "line settings, --timeout and --count need --port";
    return DecodeCommand::kUsageError;
  }
  return DecodeCommand::kDecode;
}
