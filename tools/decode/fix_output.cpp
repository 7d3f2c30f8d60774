#include "tools/decode/fix_output.h"

#include <cerrno>
#include <cstring>

#include "tools/decode/csv_rows.h"
#include "tools/decode/output_status.h"

bool FixOutputStart(FixOutput* output, const DecodeOptions& options, FILE* out,
                    std::string* error) {
  output->csv = !options.readouts;
  output->use_display = options.readouts || !options.gpx_path.empty();
  output->out = out;
  output->gpx_path = options.gpx_path;
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

bool FixOutputFinish(FixOutput* output) {
  bool recorded = true;
  if (output->use_display) {
    GpxRecorder* recorder = &output->display.recorder;
    GpxRecorderClose(recorder);
    int error = 0;
    int32_t kept = 0;
    if (!output->gpx_path.empty() && GpxRecorderFailed(recorder, &error, &kept)) {
      fprintf(stderr,
              "tavik-decode: cannot write '%s': %s; the recording stopped there and keeps %d "
              "complete waypoints\n",
              output->gpx_path.c_str(), strerror(error), static_cast<int>(kept));
      recorded = false;
    }
  }
  InstallMessagePoster(nullptr, nullptr);
  fflush(output->out);
  OutputWritten(output->out);
  return recorded;
}
