// Reading a live receiver through a GpsPort.
#pragma once

#include <cstdio>

#include "gps/line_handler.h"
#include "tools/decode/decode_options.h"

// Opens options.port with the options' settings and hands every fix to `on_fix` (on
// the reader thread), flushing `out` after each, until options.count fixes or SIGINT /
// SIGTERM. Returns the exit status: 0, or 1 when the port cannot be opened (the reason
// goes to standard error).
int ReadPort(const DecodeOptions& options, FixCallback on_fix, void* fix_context, FILE* out);
