#include "tools/decode/fix_output.h"

#include <cerrno>
#include <cstring>

#include "tools/decode/csv_rows.h"

bool FixOutputStart(FixOutput* output, const DecodeOptions& options, FILE* out,
                    std::string* error) {
  output->csv = !options.readouts;
  output->use_display = options.readouts || !options.gpx_path.empty();
  output->out = out;
  if (output->use_display) {
    // The printer stands in for the window; without --readouts nothing is posted.
    WindowHandle window = options.readouts ? &output->printer : nullptr;
    FixDisplayInit(&output->display, window, nullptr);
    if (options.readouts) InstallReadoutPrinter(&output->printer, &output->display, out);
  }
  if (!options.gpx_path.empty()) {
    errno = 0;
    if (!GpxRecorderOpen(&output->display.recorder, options.gpx_path.c_str())) {
      *error = "cannot create '" + options.gpx_path + "'";
      if (errno != 0) *error += std::string(": ") + strerror(errno);
      return false;
    }
  }
  if (output->csv) PrintCsvHeader(out);
  return true;
}

void FixOutputOnFix(double time, double latitude, double longitude, double altitude,
                    double northing, double easting, void* context) {
  auto* output = static_cast<FixOutput*>(context);
  if (output->use_display) {
    FixDisplayOnFix(time, latitude, longitude, altitude, northing, easting, &output->display);
  }
  if (output->csv) PrintCsvFix(time, latitude, longitude, altitude, northing, easting, output->out);
}

void FixOutputFinish(FixOutput* output) {
  if (output->use_display) GpxRecorderClose(&output->display.recorder);
  InstallMessagePoster(nullptr, nullptr);
  fflush(output->out);
}
