#include "tools/decode/decode_options.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "gps/setting_tables.h"
#include "nmea/ellipsoid_table.h"
#include "tools/parse_integer.h"

namespace {

// The help text; %d is the default time-out, kLinkTimeoutMs.
const char kDecodeUsageFormat[] =
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
    "  --timeout MS    read time-out in milliseconds (default %d)\n"
    "  --count N       stop after N fixes\n"
    "  --list-ports    list the settings and the ports that can be opened now:\n"
    "                  kind<TAB>text, and the device path for ports\n"
    "  --help          show this help\n"
    "  --version       show the version\n";

}  // namespace

void PrintDecodeUsage(FILE* out) {
  fprintf(out, kDecodeUsageFormat, static_cast<int>(kLinkTimeoutMs));
}

namespace {

// The three jobs; an option names those it goes with.
enum Job : unsigned { kFiles = 1, kPort = 2, kList = 4, kAnyJob = kFiles | kPort | kList };

// Stores an option's value; false, with `error` set, when the value is not one it takes.
using TakeValue = bool (*)(const char* option, const char* value, DecodeOptions* options,
                           std::string* error);

struct OptionRow {
  const char* name;
  unsigned jobs;
  bool DecodeOptions::*flag;  // a switch: set when given
  TakeValue take;             // or an option with a value
};

std::string Quoted(const char* value) {
  return std::string("'") + (value ? value : "") + "'";
}

bool TakeGpx(const char*, const char* value, DecodeOptions* options, std::string* error) {
  if (value == nullptr || *value == '\0') {
    *error = "--gpx needs the name of the file to record into";
    return false;
  }
  options->gpx_path = value;
  return true;
}

bool TakePort(const char*, const char* value, DecodeOptions* options, std::string* error) {
  if (value == nullptr || *value == '\0') {
    *error = "--port needs a port name such as COM1: or /dev/ttyUSB0";
    return false;
  }
  options->port = value;
  return true;
}

bool TakeEllipsoid(const char*, const char* value, DecodeOptions* options, std::string* error) {
  int64_t number = 0;
  if (!ParseInteger(value, 0, kEllipsoidCount - 1, &number)) {
    *error = "ellipsoid must be a number from 0 to 10, not " + Quoted(value);
    return false;
  }
  options->ellipsoid = static_cast<int32_t>(number);
  return true;
}

bool TakeTimeout(const char* option, const char* value, DecodeOptions* options,
                 std::string* error) {
  int64_t number = 0;
  if (!ParseInteger(value, 0, INT32_MAX, &number)) {
    *error = std::string(option) + " must be milliseconds, not " + Quoted(value);
    return false;
  }
  options->timeout_ms = static_cast<int32_t>(number);
  return true;
}

bool TakeCount(const char* option, const char* value, DecodeOptions* options, std::string* error) {
  if (!ParseInteger(value, 1, INT64_MAX, &options->count)) {
    *error = std::string(option) + " must be 1 or more, not " + Quoted(value);
    return false;
  }
  return true;
}

// A line setting's value must be a text of its table, exactly as listed.
template <const SettingEntry* kTable, int kCount, std::string DecodeOptions::*kSetting>
bool TakeSetting(const char* option, const char* value, DecodeOptions* options,
                 std::string* error) {
  if (value != nullptr && FindSettingEntry(kTable, kCount, value) != nullptr) {
    options->*kSetting = value;
    return true;
  }
  *error = std::string(option) + " must be one of";
  for (int i = 0; i < kCount; ++i)
    *error += std::string(" ") + kTable[i].text;
  *error += ", not " + Quoted(value);
  return false;
}

const OptionRow kOptions[] = {
    {"--all", kFiles, &DecodeOptions::all, nullptr},
    {"--readouts", kFiles | kPort, &DecodeOptions::readouts, nullptr},
    {"--gpx", kFiles | kPort, nullptr, TakeGpx},
    {"--ellipsoid", kAnyJob, nullptr, TakeEllipsoid},
    {"--list-ports", kList, &DecodeOptions::list_ports, nullptr},
    {"--port", kPort, nullptr, TakePort},
    {"--baud", kPort, nullptr,
     TakeSetting<BaudRateTable, kBaudRateCount, &DecodeOptions::baud_rate>},
    {"--data-bits", kPort, nullptr,
     TakeSetting<DataBitsTable, kDataBitsCount, &DecodeOptions::data_bits>},
    {"--parity", kPort, nullptr, TakeSetting<ParityTable, kParityCount, &DecodeOptions::parity>},
    {"--stop-bits", kPort, nullptr,
     TakeSetting<StopBitsTable, kStopBitsCount, &DecodeOptions::stop_bits>},
    {"--timeout", kPort, nullptr, TakeTimeout},
    {"--count", kPort, nullptr, TakeCount},
};

// What each job says of an option or file it does not take.
struct JobRow {
  Job job;
  DecodeCommand command;
  const char* refusal;
};

const JobRow kJobs[] = {
    {kList, DecodeCommand::kListPorts, "--list-ports takes no other option or file"},
    {kPort, DecodeCommand::kPort, "--port reads a receiver; it takes no file and no --all"},
    {kFiles, DecodeCommand::kDecode, "line settings, --timeout and --count need --port"},
};

const OptionRow* FindOption(const char* name) {
  for (const OptionRow& row : kOptions) {
    if (strcmp(row.name, name) == 0) return &row;
  }
  return nullptr;
}

}  // namespace

DecodeCommand ParseDecodeOptions(int argc, char** argv, DecodeOptions* options,
                                 std::string* error) {
  options->baud_rate = DefaultSettingTexts[1];
  options->data_bits = DefaultSettingTexts[2];
  options->parity = DefaultSettingTexts[3];
  options->stop_bits = DefaultSettingTexts[4];
  bool only_files = false;
  unsigned taken_by = kAnyJob;  // the jobs that take every option and file given
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (only_files || arg[0] != '-' || strcmp(arg, "-") == 0) {
      options->files.emplace_back(arg);
      taken_by &= kFiles;
      continue;
    }
    if (strcmp(arg, "--") == 0) {
      only_files = true;
      continue;
    }
    if (strcmp(arg, "--help") == 0 || strcmp(arg, "-h") == 0) return DecodeCommand::kHelp;
    if (strcmp(arg, "--version") == 0) return DecodeCommand::kVersion;
    const OptionRow* option = FindOption(arg);
    if (option == nullptr) {
      *error = std::string("unknown option '") + arg + "'";
      return DecodeCommand::kUsageError;
    }
    if (option->flag != nullptr) {
      options->*option->flag = true;
    } else if (!option->take(arg, i + 1 < argc ? argv[++i] : nullptr, options, error)) {
      return DecodeCommand::kUsageError;
    }
    taken_by &= option->jobs;
  }
  // Read-outs change only when a fix does; a rejected line has nothing to show.
  if (options->all && options->readouts) {
    *error = "--all and --readouts cannot be combined";
    return DecodeCommand::kUsageError;
  }
  const Job job = options->list_ports ? kList : !options->port.empty() ? kPort : kFiles;
  for (const JobRow& row : kJobs) {
    if (row.job != job) continue;
    if ((taken_by & job) != 0) return row.command;
    *error = row.refusal;
    return DecodeCommand::kUsageError;
  }
  return DecodeCommand::kUsageError;
}
