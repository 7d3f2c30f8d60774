// tavik-decode: shows what tavik makes of an NMEA 0183 log or a live receiver.
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

#include "gps/gps_port.h"
#include "tools/decode/csv_rows.h"
#include "tools/decode/decode_options.h"
#include "tools/decode/file_input.h"
#include "tools/decode/fix_output.h"
#include "tools/decode/output_status.h"
#include "tools/decode/port_input.h"
#include "tools/decode/port_list.h"
#include "tools/decode/stop_signal.h"

namespace {

enum ExitStatus {
  kExitOk = 0,
  kExitMissingFile = 1,
  kExitUsage = 2,
  kExitRecordingFailed = 3,
  kExitOutputFailed = 4,
};

// Where the lines of files and standard input go: every fix to `on_fix`, and with
// --all a "rejected" row for every other line.
struct LineDecoder {
  const DecodeOptions* options;
  FixCallback on_fix;
  void* fix_context;
  FILE* out;
};

void DecodeLine(const char* line, uint32_t /*length*/, void* context) {
  auto* decoder = static_cast<LineDecoder*>(context);
  if (!DispatchGgaLine(line, decoder->options->ellipsoid, decoder->on_fix, decoder->fix_context) &&
      decoder->options->all) {
    PrintRejectedRow(decoder->out);
  }
}

// Decodes one named file ("-" is standard input); returns the exit status it earns.
int DecodeFile(const std::string& name, LineDecoder* decoder) {
  const bool is_stdin = name == "-";
  FILE* in = is_stdin ? stdin : fopen(name.c_str(), "rb");
  if (in == nullptr) {
    const int error = errno;
    fprintf(stderr, "tavik-decode: cannot read '%s': %s\n", name.c_str(), strerror(error));
    return error == ENOENT ? kExitMissingFile : kExitUsage;
  }
  const bool read_ok = FeedLines(in, DecodeLine, decoder);
  const int error = errno;
  if (!is_stdin) fclose(in);
  if (!read_ok) {
    fprintf(stderr, "tavik-decode: cannot read '%s': %s\n", name.c_str(), strerror(error));
    return kExitUsage;
  }
  return kExitOk;
}

// Decodes the files (standard input without any) into `output`.
int DecodeFiles(DecodeOptions options, FixOutput* output) {
  if (options.files.empty()) options.files.emplace_back("-");
  // A recording is finished cleanly however the input ends.
  if (!options.gpx_path.empty()) InstallStopSignals();
  LineDecoder decoder{&options, FixOutputOnFix, output, stdout};
  int status = kExitOk;
  for (const std::string& name : options.files) {
    if (StopRequested()) break;
    const int file_status = DecodeFile(name, &decoder);
    if (file_status > status) status = file_status;
  }
  return status;
}

// Reads the receiver into `output` until the count of fixes or a stop signal.
int ReadReceiver(DecodeOptions options, FixOutput* output) {
  fflush(stdout);
  if (!OutputWritten(stdout)) return kExitOk;  // told at the exit
  return ReadPort(options, FixOutputOnFix, output, stdout);
}

// Runs a job that prints fixes: the output is prepared before the reader thread exists,
// so no row can come before the header, and the recording is finished afterwards.
int WithFixOutput(const DecodeOptions& options, int (*job)(DecodeOptions, FixOutput*)) {
  static FixOutput output;
  std::string error;
  if (!FixOutputStart(&output, options, stdout, &error)) {
    fprintf(stderr, "tavik-decode: %s\n", error.c_str());
    return kExitMissingFile;
  }
  int status = job(options, &output);
  if (!FixOutputFinish(&output) && status < kExitRecordingFailed) status = kExitRecordingFailed;
  return status;
}

// Runs the command the options ask for.
int Run(int argc, char** argv) {
  DecodeOptions options;
  std::string error;
  switch (ParseDecodeOptions(argc, argv, &options, &error)) {
    case DecodeCommand::kHelp:
      PrintDecodeUsage(stdout);
      return kExitOk;
    case DecodeCommand::kVersion:
      puts("tavik " TAVIK_VERSION);
      return kExitOk;
    case DecodeCommand::kUsageError:
      fprintf(stderr, "tavik-decode: %s (see --help)\n", error.c_str());
      return kExitUsage;
    case DecodeCommand::kDecode:
      return WithFixOutput(options, DecodeFiles);
    case DecodeCommand::kPort:
      return WithFixOutput(options, ReadReceiver);
    case DecodeCommand::kListPorts:
      return ListPorts(stdout);
  }
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  // A closed output pipe fails the write (EPIPE) instead of killing the program, so a
  // recording is still finished and the port released.
  signal(SIGPIPE, SIG_IGN);
  const int status = Run(argc, argv);
  fflush(stdout);
  OutputWritten(stdout);
  const int error = OutputError();
  if (error == 0) return status;
  // A reader that went away needs no words; anything else is a failure to tell.
  if (error != EPIPE)
    fprintf(stderr, "tavik-decode: cannot write the output: %s\n", strerror(error));
  return std::max<int>(status, kExitOutputFailed);
}
