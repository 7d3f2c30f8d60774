// Where tavik-decode sends its fixes: CSV rows or the read-outs of a FixDisplay, and
// with --gpx also a recording made by that display, as the window makes it.
#pragma once

#include <cstdio>
#include <string>

#include "display/fix_display.h"
#include "tools/decode/decode_options.h"
#include "tools/decode/readout_output.h"

struct FixOutput {
  bool csv;
  bool use_display;  // --readouts or --gpx
  FILE* out;
  std::string gpx_path;  // empty without --gpx
  FixDisplay display;
  ReadoutPrinter printer;
};

// Prepares the output the options ask for, and opens the GPX recording before the
// first fix. False, with `error` set, when the GPX file cannot be created.
bool FixOutputStart(FixOutput* output, const DecodeOptions& options, FILE* out, std::string* error);

// The FixCallback of tavik-decode; `output` is the FixOutput.
void FixOutputOnFix(double time, double latitude, double longitude, double altitude,
                    double northing, double easting, void* output);

// Closes the recording, writing its bounds and closing tag. False, after saying on
// standard error what went wrong and how many waypoints the file keeps, when a write
// of the recording failed.
bool FixOutputFinish(FixOutput* output);
