// Command line of tavik-decode.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/serial_port.h"  // kLinkTimeoutMs

struct DecodeOptions {
  int32_t ellipsoid = 0;
  bool all = false;       // a row for every delivered line, "rejected" for those not decoded
  bool readouts = false;  // the window's read-outs instead of CSV rows
  std::string gpx_path;   // record the fixes into this GPX file, as the window does
  std::vector<std::string> files;  // none: standard input
  bool list_ports = false;         // the settings and the ports that can be opened

  // A live receiver (--port): the five setting texts, as the configuration holds them.
  std::string port;
  std::string baud_rate, data_bits, parity, stop_bits;  // defaults: DefaultSettingTexts
  int32_t timeout_ms = kLinkTimeoutMs;
  int64_t count = 0;  // fixes to print before stopping; 0: until interrupted
};

// kDecode: files or standard input; kPort: a receiver; kListPorts: the settings and ports.
enum class DecodeCommand { kDecode, kPort, kListPorts, kHelp, kVersion, kUsageError };

// Fills `options` from argv. On kUsageError `error` names the problem in one line.
DecodeCommand ParseDecodeOptions(int argc, char** argv, DecodeOptions* options, std::string* error);

// Writes the help text to `out`.
void PrintDecodeUsage(FILE* out);
