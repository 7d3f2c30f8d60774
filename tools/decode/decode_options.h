// Command line of tavik-decode.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct DecodeOptions {
  int32_t ellipsoid = 0;
  bool all = false;       // a row for every delivered line, "rejected" for those not decoded
  bool readouts = false;  // the window's read-outs instead of CSV rows
  std::string gpx_path;   // record the fixes into this GPX file, as the window does
  std::vector<std::string> files;  // none: standard input
};

enum class DecodeCommand { kDecode, kHelp, kUsageError };

// Fills `options` from argv. On kUsageError `error` names the problem in one line.
DecodeCommand ParseDecodeOptions(int argc, char** argv, DecodeOptions* options, std::string* error);

extern const char kDecodeUsage[];
